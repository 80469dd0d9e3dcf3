#include "editwnd/win32/swatch_gallery_control.h"

#include <commctrl.h>
#include <windowsx.h>

#include "editwnd/win32/own_module.h"
#include "editwnd/win32/window_object.h"

namespace editwnd {

namespace {

constexpr char kClassName[] = "FerruleSwatchGallery";
constexpr COLORREF kCaptionBand = RGB(0xDD, 0xE7, 0xEE), kSwatchFrame = RGB(0xC5, 0xC5, 0xC5),
                   kMarkFrame = RGB(0xEF, 0x48, 0x10);

void Frame(HDC dc, RECT r, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FrameRect(dc, &r, brush);
    DeleteObject(brush);
}

void Fill(HDC dc, RECT r, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

}  // namespace

RECT SwatchRect(const std::vector<SwatchGroup>& groups, SwatchPosition position) {
    int top = 0;
    for (int g = 0; g < position.group; ++g) {
        const int rows = (static_cast<int>(groups[g].swatches.size()) + groups[g].columns - 1) / groups[g].columns;
        top += kSwatchCaptionHeight + rows * kSwatchSize;
    }
    const int columns = groups[position.group].columns;
    const int x = position.index % columns * kSwatchSize;
    const int y = top + kSwatchCaptionHeight + position.index / columns * kSwatchSize;
    return RECT{x, y, x + kSwatchSize, y + kSwatchSize};
}

CSwatchGalleryControl::CSwatchGalleryControl(HWND parent, int id, int x, int y, const std::vector<SwatchGroup>& groups,
                                             Chosen chosen)
    : groups_(groups), chosen_(std::move(chosen)) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = OwnModule();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);  // fails harmlessly once the class exists
    CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE, x, y, kGalleryWidth, kGalleryHeight, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), wc.hInstance, this);
    if (!hwnd_) return;
    tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0, hwnd_,
                               nullptr, wc.hInstance, nullptr);
    // One tool per swatch over its rectangle; the tooltip copies the text.
    for (int g = 0; g < static_cast<int>(groups_.size()); ++g) {
        for (int i = 0; i < static_cast<int>(groups_[g].swatches.size()); ++i) {
            TTTOOLINFOA tool{};
            tool.cbSize = sizeof tool;
            tool.uFlags = TTF_SUBCLASS;
            tool.hwnd = hwnd_;
            tool.uId = static_cast<UINT_PTR>(g * 1000 + i);
            tool.rect = SwatchRect(groups_, {g, i});
            tool.lpszText = const_cast<char*>(groups_[g].swatches[i].tooltip.c_str());
            SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        }
    }
}

CSwatchGalleryControl::~CSwatchGalleryControl() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void CSwatchGalleryControl::Mark(std::optional<SwatchPosition> position) {
    if (position == marked_) return;
    marked_ = position;
    InvalidateRect(hwnd_, nullptr, FALSE);
}

LRESULT CALLBACK CSwatchGalleryControl::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = WindowObject(hwnd, message, lParam, &CSwatchGalleryControl::hwnd_);
    if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_PAINT: self->Paint(); return 0;
        case WM_ERASEBKGND: return 1;  // the paint covers every pixel
        case WM_LBUTTONUP:
            if (const auto at = self->HitTest({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}))
                self->chosen_(self->groups_[at->group].swatches[at->index].colour);
            return 0;
        case WM_DESTROY:
            // The tooltip is a popup owned by the top-level window: it goes with this one.
            if (self->tooltip_) DestroyWindow(self->tooltip_);
            self->tooltip_ = nullptr;
            break;
        case WM_NCDESTROY:
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
            break;
        default: break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

std::optional<SwatchPosition> CSwatchGalleryControl::HitTest(POINT at) const {
    for (int g = 0; g < static_cast<int>(groups_.size()); ++g)
        for (int i = 0; i < static_cast<int>(groups_[g].swatches.size()); ++i) {
            const RECT r = SwatchRect(groups_, {g, i});
            if (PtInRect(&r, at)) return SwatchPosition{g, i};
        }
    return std::nullopt;
}

void CSwatchGalleryControl::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    Fill(dc, RECT{0, 0, kGalleryWidth, kGalleryHeight}, GetSysColor(COLOR_WINDOW));
    HGDIOBJ old_font = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    for (int g = 0; g < static_cast<int>(groups_.size()); ++g) {
        const RECT first = SwatchRect(groups_, {g, 0});
        RECT caption{0, first.top - kSwatchCaptionHeight, kGalleryWidth, first.top};
        Fill(dc, caption, kCaptionBand);
        caption.left += 3;
        DrawTextA(dc, groups_[g].caption.c_str(), -1, &caption, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        for (int i = 0; i < static_cast<int>(groups_[g].swatches.size()); ++i) {
            // A 13 x 13 colour in a grey frame, 2 pixels apart; the marked one framed twice.
            const RECT cell = SwatchRect(groups_, {g, i});
            const bool mark = marked_ == SwatchPosition{g, i};
            RECT r = cell;
            InflateRect(&r, -1, -1);
            Frame(dc, r, mark ? kMarkFrame : kSwatchFrame);
            if (mark) Frame(dc, cell, kMarkFrame);
            InflateRect(&r, -1, -1);
            Fill(dc, r, groups_[g].swatches[i].colour);
        }
    }
    SelectObject(dc, old_font);
    EndPaint(hwnd_, &ps);
}

}  // namespace editwnd
