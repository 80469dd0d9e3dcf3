#include "editwnd/win32/pick_color_dialog.h"

#include "editwnd/win32/color_pick_button.h"
#include "editwnd/win32/own_module.h"
#include "resources/resource.h"

namespace editwnd {

namespace {

constexpr UINT_PTR kOpenTimer = 1;
constexpr UINT kOpenDelayMs = 50;
// Where the button is pressed for the user: inside it, clear of its edge.
constexpr POINT kOpenPress = {10, 10};

struct PickRun {
    uint32_t start;
    std::optional<uint32_t> result;
};

CColorPickButton* Button(HWND dialog) {
    return CColorPickButton::FromWindow(GetDlgItem(dialog, IDC_PICK_COLOR_BUTTON));
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* run = reinterpret_cast<PickRun*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            run = reinterpret_cast<PickRun*>(lParam);
            if (CColorPickButton* button = Button(dialog)) button->SetColour(run->start);
            // Late enough that the dialog is on the screen when the popup opens under it.
            SetTimer(dialog, kOpenTimer, kOpenDelayMs, nullptr);
            return TRUE;
        case WM_TIMER:
            if (wParam != kOpenTimer) break;
            KillTimer(dialog, kOpenTimer);
            if (CColorPickButton* button = Button(dialog))
                SendMessageA(button->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(kOpenPress.x, kOpenPress.y));
            return TRUE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK:
                    if (CColorPickButton* button = Button(dialog); button && run) run->result = button->Colour();
                    EndDialog(dialog, IDOK);
                    return TRUE;
                case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
                default: break;
            }
            break;
        default: break;
    }
    return FALSE;
}

}  // namespace

std::optional<uint32_t> RunPickColorDialog(HWND owner, uint32_t start_colorref) {
    // The class lives as long as the dialog unless someone else registered it first.
    const bool registered = CColorPickButton::Register();
    PickRun run{start_colorref, std::nullopt};
    DialogBoxParamA(OwnModule(), MAKEINTRESOURCEA(IDD_PICK_COLOR), owner, DialogProc, reinterpret_cast<LPARAM>(&run));
    if (registered) CColorPickButton::Unregister();
    return run.result;
}

}  // namespace editwnd
