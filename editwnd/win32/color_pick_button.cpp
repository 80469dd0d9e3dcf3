#include "editwnd/win32/color_pick_button.h"

#include <windowsx.h>

#include <optional>
#include <string>

#include "editwnd/colours.h"
#include "editwnd/palette_picker.h"
#include "editwnd/win32/own_module.h"
#include "editwnd/win32/palette_popup.h"
#include "editwnd/win32/picking_cursor_handle.h"
#include "editwnd/win32/system_colour_dialog.h"

namespace editwnd {

bool CColorPickButton::Register() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &CColorPickButton::Proc;
    wc.hInstance = OwnModule();
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kColorPickButtonClass;
    return RegisterClassA(&wc) != 0;
}

void CColorPickButton::Unregister() { UnregisterClassA(kColorPickButtonClass, OwnModule()); }

CColorPickButton* CColorPickButton::FromWindow(HWND hwnd) {
    char name[64] = "";
    if (!hwnd || !GetClassNameA(hwnd, name, sizeof name) || std::string(name) != kColorPickButtonClass) return nullptr;
    return reinterpret_cast<CColorPickButton*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

CColorPickButton::CColorPickButton(HWND hwnd)
    : hwnd_(hwnd), colour_(GetSysColor(COLOR_BTNFACE) & 0xFFFFFF), picking_cursor_(CreatePickingCursor()) {}

CColorPickButton::~CColorPickButton() {
    if (picking_cursor_) DestroyCursor(picking_cursor_);
}

LRESULT CALLBACK CColorPickButton::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DispatchToOwnedObject<CColorPickButton>(hwnd, message, wParam, lParam,
                                                   [hwnd](void*) { return new CColorPickButton(hwnd); });
}

LRESULT CColorPickButton::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN: OnLeftButtonDown(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;
        case kPaletteRelease: OnRelease(static_cast<uint32_t>(wParam)); return 0;
        case kPaletteMoreColours: OnMoreColours(); return 0;
        case WM_SETCURSOR: OnSetCursor(lParam); return TRUE;
        case WM_PAINT: Paint(); return 0;
        case WM_DESTROY: ClosePopup(); return 0;
        default: break;
    }
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}

void CColorPickButton::SetColour(uint32_t colour) {
    colour_ = colour;
    PostMessageA(GetParent(hwnd_), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd_), BN_CLICKED),
                 reinterpret_cast<LPARAM>(hwnd_));
    if (text_window_) SetWindowTextA(text_window_, ColourText(colour_).c_str());
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void CColorPickButton::OnLeftButtonDown(POINT client) {
    if (popup_open_) return;
    popup_ = OpenPalettePopup(hwnd_, colour_);
    if (!popup_) return;
    popup_open_ = 1;
    POINT screen = client;
    ClientToScreen(hwnd_, &screen);
    PostMessageA(popup_, kPalettePress, 0, MAKELPARAM(screen.x, screen.y));
    // The button shows itself pressed while its popup is open.
    RECT r;
    GetWindowRect(hwnd_, &r);
    MapWindowPoints(nullptr, GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
    InvalidateRect(GetParent(hwnd_), &r, TRUE);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void CColorPickButton::OnRelease(uint32_t colour) {
    // A popup may end in more than one way; the first one closes it.
    if (!popup_open_) return;
    ClosePopup();
    if (colour != colour_)
        SetColour(colour);
    else
        InvalidateRect(hwnd_, nullptr, TRUE);
}

void CColorPickButton::OnMoreColours() {
    if (!popup_open_) return;
    ClosePopup();
    InvalidateRect(hwnd_, nullptr, TRUE);
    if (const std::optional<uint32_t> chosen = RunSystemColourDialog(GetParent(hwnd_), std::nullopt))
        SetColour(*chosen);
}

void CColorPickButton::OnSetCursor(LPARAM lParam) const {
    if (UsePickingCursor(popup_open_ != 0, picking_cursor_ != nullptr, LOWORD(lParam) == HTCLIENT))
        SetCursor(picking_cursor_);
    else
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

void CColorPickButton::ClosePopup() {
    if (!popup_open_) return;
    const HWND popup = popup_;
    popup_ = nullptr;
    popup_open_ = 0;
    ClosePalettePopup(popup);
}

void CColorPickButton::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    RECT r;
    GetClientRect(hwnd_, &r);
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (popup_open_ ? DFCS_PUSHED : 0));
    InflateRect(&r, -4, -4);
    if (r.right > r.left && r.bottom > r.top) {
        FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNTEXT));
        InflateRect(&r, -1, -1);
        SetDCBrushColor(dc, colour_);
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }
    EndPaint(hwnd_, &ps);
}

}  // namespace editwnd
