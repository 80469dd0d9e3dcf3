#include "editwnd/win32/colour_popup.h"

#include <algorithm>

#include "editwnd/win32/own_module.h"
#include "editwnd/win32/window_object.h"

namespace editwnd {

namespace {

constexpr char kClassName[] = "FerruleColourPopup";
constexpr int kMargin = 2, kEntryHeight = 22;

// The entries under the gallery, top to bottom.
constexpr struct {
    int ColourPopupEntries::*id;
    const char* text;
    DWORD style;
} kEntries[] = {
    {&ColourPopupEntries::pick_screen_colours, "Pick Screen Colors...", BS_PUSHBUTTON | BS_FLAT | BS_LEFT},
    {&ColourPopupEntries::more_colours, "More Colors...", BS_PUSHBUTTON | BS_FLAT | BS_LEFT},
    {&ColourPopupEntries::no_colour, "No Color", BS_CHECKBOX | BS_LEFT},
};

}  // namespace

CColourPopup::CColourPopup(HWND owner, const ColourPopupEntries& entries, const std::vector<SwatchGroup>& gallery,
                           bool can_pick_screen, Chosen chosen)
    : entries_(entries), chosen_(std::move(chosen)) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = OwnModule();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);  // fails harmlessly once the class exists
    int rows = 0;
    for (const auto& entry : kEntries) rows += entries_.*entry.id != 0;
    RECT r{0, 0, kGalleryWidth + 2 * kMargin, kGalleryHeight + 2 * kMargin + rows * kEntryHeight};
    AdjustWindowRectEx(&r, WS_POPUP | WS_BORDER, FALSE, WS_EX_TOOLWINDOW);
    CreateWindowExA(WS_EX_TOOLWINDOW, kClassName, "", WS_POPUP | WS_BORDER, 0, 0, r.right - r.left, r.bottom - r.top,
                    owner, nullptr, wc.hInstance, this);
    if (!hwnd_) return;
    gallery_ = std::make_unique<CSwatchGalleryControl>(
        hwnd_, entries_.gallery, kMargin, kMargin, gallery,
        [this](uint32_t colorref) { Choose(entries_.gallery, colorref); });
    int y = kMargin + kGalleryHeight;
    for (const auto& entry : kEntries) {
        const int id = entries_.*entry.id;
        if (!id) continue;
        HWND button = CreateWindowExA(0, "BUTTON", entry.text, WS_CHILD | WS_VISIBLE | entry.style, kMargin, y,
                                      kGalleryWidth, kEntryHeight, hwnd_,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), wc.hInstance, nullptr);
        SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        if (id == entries_.pick_screen_colours) EnableWindow(button, can_pick_screen);
        y += kEntryHeight;
    }
}

CColourPopup::~CColourPopup() {
    gallery_.reset();
    if (hwnd_) DestroyWindow(hwnd_);
}

void CColourPopup::ShowAt(POINT screen) {
    RECT r;
    GetWindowRect(hwnd_, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromPoint(screen, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& area = monitor.rcWork;
    const int x = std::max<int>(area.left, std::min<int>(screen.x, area.right - w));
    const int y = std::max<int>(area.top, std::min<int>(screen.y, area.bottom - h));
    SetWindowPos(hwnd_, HWND_TOP, x, y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(hwnd_);
}

void CColourPopup::Hide() {
    if (hwnd_ && IsWindowVisible(hwnd_)) ShowWindow(hwnd_, SW_HIDE);
}

void CColourPopup::Show(std::optional<SwatchPosition> marked, bool no_colour_checked) {
    if (gallery_) gallery_->Mark(marked);
    if (entries_.no_colour)
        CheckDlgButton(hwnd_, entries_.no_colour, no_colour_checked ? BST_CHECKED : BST_UNCHECKED);
}

void CColourPopup::Choose(int id, uint32_t colorref) {
    // Hidden first: a dialog the choice opens takes its place.
    Hide();
    chosen_(id, colorref);
}

LRESULT CALLBACK CColourPopup::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = WindowObject(hwnd, message, lParam, &CColourPopup::hwnd_);
    if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) self->Hide();
            break;
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED && lParam) self->Choose(LOWORD(wParam), 0);
            return 0;
        case WM_NCDESTROY:
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
            break;
        default: break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace editwnd
