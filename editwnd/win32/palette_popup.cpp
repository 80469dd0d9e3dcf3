#include "editwnd/win32/palette_popup.h"

#include <windowsx.h>

#include <cwchar>
#include <optional>
#include <string>

#include "editwnd/colours.h"
#include "editwnd/palette_picker.h"
#include "editwnd/win32/own_module.h"
#include "editwnd/win32/screen_probe.h"
#include "editwnd/win32/window_object.h"

namespace editwnd {

namespace {

RECT ToRect(const EditRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

void Fill(HDC dc, const EditRect& r, COLORREF colour) {
    SetDCBrushColor(dc, colour);
    const RECT rect = ToRect(r);
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// SimSun, as its face is named in its own code page.
HFONT CreatePaletteFont() {
    LOGFONTW font{};
    font.lfHeight = -12;
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = GB2312_CHARSET;
    font.lfOutPrecision = OUT_STROKE_PRECIS;
    font.lfClipPrecision = CLIP_STROKE_PRECIS;
    font.lfQuality = DRAFT_QUALITY;
    font.lfPitchAndFamily = VARIABLE_PITCH | FF_DONTCARE;
    wcscpy(font.lfFaceName, L"\u5B8B\u4F53");
    return CreateFontIndirectW(&font);
}

// What the popup is made from; the window builds its state from it when it is created.
struct PopupStart {
    HWND owner;
    EditRect outer;  // on the screen
};

class PalettePopup {
public:
    explicit PalettePopup(const PopupStart& start)
        : owner_(start.owner), picker_(start.outer, GetSysColor(COLOR_BTNFACE)) {}

    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    const PalettePicker& picker() const { return picker_; }

private:
    template <class T, class Make>
    friend LRESULT editwnd::DispatchToOwnedObject(HWND, UINT, WPARAM, LPARAM, Make);

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    POINT ScreenPoint(LPARAM client) const;
    void Move(POINT p);
    void End(UINT message, uint32_t colour);
    void Paint();
    void DrawMoreColours(const DRAWITEMSTRUCT& item) const;
    void RepaintCell(int cell) const;
    void RepaintSwatch() const;

    HWND hwnd_ = nullptr;
    HWND owner_;
    HWND more_colours_ = nullptr;
    HFONT font_ = nullptr;
    PalettePicker picker_;
    bool ended_ = false;  // the owner has been told once; it closes the popup
};

LRESULT CALLBACK PalettePopup::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DispatchToOwnedObject<PalettePopup>(hwnd, message, wParam, lParam, [hwnd](void* start) {
        auto* self = new PalettePopup(*static_cast<const PopupStart*>(start));
        self->hwnd_ = hwnd;
        return self;
    });
}

LRESULT PalettePopup::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            font_ = CreatePaletteFont();
            more_colours_ = CreateWindowExA(
                0, "BUTTON", "", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, kMoreColoursButton.left, kMoreColoursButton.top,
                kMoreColoursButton.Width(), kMoreColoursButton.Height(), hwnd_,
                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kMoreColoursButtonId)), OwnModule(), nullptr);
            return 0;
        case kPaletteSetColour:
            picker_.SetColour(static_cast<uint32_t>(wParam));
            RepaintSwatch();
            return 0;
        case kPalettePress: picker_.Press({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}); return 0;
        case WM_LBUTTONDOWN: {
            const POINT p = ScreenPoint(lParam);
            picker_.Press({p.x, p.y});
            return 0;
        }
        case WM_MOUSEMOVE: Move(ScreenPoint(lParam)); return 0;
        case WM_LBUTTONUP: {
            const POINT p = ScreenPoint(lParam);
            if (const std::optional<uint32_t> colour = picker_.Release({p.x, p.y})) End(kPaletteRelease, *colour);
            return 0;
        }
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                if (const std::optional<uint32_t> colour = picker_.Deactivate()) End(kPaletteRelease, *colour);
            }
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == kMoreColoursButtonId && HIWORD(wParam) == BN_CLICKED)
                End(kPaletteMoreColours, picker_.current());
            return 0;
        case WM_DRAWITEM:
            if (wParam == static_cast<WPARAM>(kMoreColoursButtonId)) {
                DrawMoreColours(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
                return TRUE;
            }
            break;
        case WM_PAINT: Paint(); return 0;
        case WM_DESTROY:
            if (font_) DeleteObject(font_);
            font_ = nullptr;
            return 0;
        default: break;
    }
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}

POINT PalettePopup::ScreenPoint(LPARAM client) const {
    POINT p{GET_X_LPARAM(client), GET_Y_LPARAM(client)};
    ClientToScreen(hwnd_, &p);
    return p;
}

void PalettePopup::Move(POINT p) {
    // Once the capture went to let "more colours" be clicked, the next move over the
    // popup itself takes it back, so that the screen can be picked from again.
    if (GetCapture() != hwnd_) SetCapture(hwnd_);
    const uint32_t before = picker_.current();
    const PickerMoveEffect effect = picker_.Move({p.x, p.y}, ProbeScreen(p, more_colours_));
    RepaintCell(effect.repaint_old_cell);
    RepaintCell(effect.repaint_new_cell);
    // Going back to the opening colour over the lower area changes no cell, but the
    // swatch must not go on showing the colour it no longer holds.
    if (effect.repaint_swatch || picker_.current() != before) RepaintSwatch();
    if (effect.release_capture) ReleaseCapture();
    // With the capture held the popup gets no set-cursor requests of its own, so the
    // owner chooses: the arrow over the lower area, else the eyedropper.
    if (effect.post_cursor_request)
        PostMessageA(owner_, WM_SETCURSOR, reinterpret_cast<WPARAM>(owner_),
                     MAKELPARAM(effect.arrow_wanted ? HTCLIENT : HTNOWHERE, WM_MOUSEMOVE));
}

void PalettePopup::End(UINT message, uint32_t colour) {
    if (ended_) return;
    ended_ = true;
    PostMessageA(owner_, message, colour, 0);
}

void PalettePopup::RepaintCell(int cell) const {
    if (cell < 0) return;
    const RECT r = ToRect(PaletteCellArea(cell));
    InvalidateRect(hwnd_, &r, TRUE);
}

void PalettePopup::RepaintSwatch() const {
    const RECT r = ToRect(kPaletteLowerArea);
    InvalidateRect(hwnd_, &r, TRUE);
}

void PalettePopup::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    for (int cell = 0; cell < kPaletteCells; ++cell) Fill(dc, PaletteCellSwatch(cell), PaletteColour(cell));
    const HGDIOBJ old_pen = SelectObject(dc, GetStockObject(BLACK_PEN));
    for (int j = 0; j < kPaletteColumns - 1; ++j) {
        const int x = j * kPaletteCellPitch + kPaletteCellSwatch;
        MoveToEx(dc, x, 0, nullptr);
        LineTo(dc, x, kPaletteGridHeight);
    }
    for (int k = 0; k < kPaletteRows; ++k) {
        const int y = k * kPaletteCellPitch + kPaletteCellSwatch;
        MoveToEx(dc, 0, y, nullptr);
        LineTo(dc, kPaletteColumns * kPaletteCellPitch, y);
    }
    SelectObject(dc, old_pen);

    const RECT lower = ToRect(kPaletteLowerArea);
    FillRect(dc, &lower, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
    Fill(dc, kPaletteSwatch, picker_.current());
    const RECT frame = ToRect(kPaletteSwatchFrame);
    FrameRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    const std::string text = ColourText(picker_.current());
    const HGDIOBJ old_font = font_ ? SelectObject(dc, font_) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, kPaletteTextOrigin.x, kPaletteTextOrigin.y, text.c_str(), static_cast<int>(text.size()));
    if (old_font) SelectObject(dc, old_font);

    if (picker_.selection() >= 0) {
        const RECT focus = ToRect(PaletteCellArea(picker_.selection()));
        DrawFocusRect(dc, &focus);
    }
    EndPaint(hwnd_, &ps);
}

void PalettePopup::DrawMoreColours(const DRAWITEMSTRUCT& item) const {
    RECT face = item.rcItem;
    FillRect(item.hDC, &face, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
    DrawEdge(item.hDC, &face, (item.itemState & ODS_SELECTED) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    // Three overlapping squares, each 2 pixels right of and below the one before.
    const COLORREF squares[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(255, 255, 0)};
    for (int i = 0; i < 3; ++i) {
        const int at = face.left + 3 + 2 * i;
        Fill(item.hDC, EditRect{at, face.top + 3 + 2 * i, at + 5, face.top + 3 + 2 * i + 5}, squares[i]);
    }
}

}  // namespace

HWND OpenPalettePopup(HWND button, uint32_t colour) {
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &PalettePopup::Proc;
    wc.hInstance = OwnModule();
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kPaletteClassName;
    if (!RegisterClassA(&wc)) return nullptr;

    HDC dc = GetDC(button);
    const int screen_width = GetDeviceCaps(dc, HORZRES), screen_height = GetDeviceCaps(dc, VERTRES);
    ReleaseDC(button, dc);
    RECT r;
    GetWindowRect(button, &r);
    const EditPoint at = PalettePopupOrigin({r.left, r.top, r.right, r.bottom}, screen_width, screen_height);
    PopupStart start{button, EditRect{at.x, at.y, at.x + kPalettePopupWidth, at.y + kPalettePopupHeight}};
    // A popup given a child as its parent is owned by that child's top-level window;
    // the button itself is kept as the one to tell.
    HWND hwnd =
        CreateWindowExA(WS_EX_TOPMOST, kPaletteClassName, kPaletteTitle, WS_POPUP | WS_BORDER | WS_CLIPCHILDREN, at.x,
                        at.y, kPalettePopupWidth, kPalettePopupHeight, button, nullptr, OwnModule(), &start);
    if (!hwnd) {
        UnregisterClassA(kPaletteClassName, OwnModule());
        return nullptr;
    }
    SendMessageA(hwnd, kPaletteSetColour, colour, 0);
    ShowWindow(hwnd, SW_SHOW);
    SetCapture(hwnd);
    return hwnd;
}

void ClosePalettePopup(HWND popup) {
    if (popup) DestroyWindow(popup);
    UnregisterClassA(kPaletteClassName, OwnModule());
}

const PalettePicker* PalettePickerOf(HWND popup) {
    char name[32] = "";
    if (!popup || !GetClassNameA(popup, name, sizeof name) || std::string(name) != kPaletteClassName) return nullptr;
    const auto* self = reinterpret_cast<const PalettePopup*>(GetWindowLongPtrA(popup, GWLP_USERDATA));
    return self ? &self->picker() : nullptr;
}

}  // namespace editwnd
