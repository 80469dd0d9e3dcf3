#include "editwnd/win32/edit_toolbar.h"

#include <commctrl.h>

#include <cstring>
#include <iterator>

#include "editwnd/toolbar_view.h"
#include "editwnd/win32/own_module.h"
#include "editwnd/win32/system_colour_dialog.h"
#include "editwnd/win32/window_object.h"
#include "resources/resource.h"

namespace editwnd {

namespace {

constexpr char kFrameClass[] = "FerruleEditToolbar";
constexpr DWORD kFrameStyle = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN, kFrameExStyle = WS_EX_TOOLWINDOW;
constexpr int kSliderWidth = 100, kWidthBoxWidth = 40, kSliderPage = 16, kLabelGap = 6;
// The placeholder a label stands on; not 0, which would make it a plain separator.
constexpr int kLabelPlaceholder = -1;

enum class Kind { kLabel, kSlider, kWidthBox, kColourButton, kButton, kSeparator };

struct Item {
    Kind kind;
    int id;
    const char* label;
    int width;
};

// Left to right. Sliders, the width box and labels are windows over separators of
// their width; the rest are the toolbar's own buttons with their images.
constexpr Item kItems[] = {
    {Kind::kLabel, 0, "Opaque:", 0},
    {Kind::kSlider, ID_CLIP_OPAQUE, nullptr, kSliderWidth},
    {Kind::kLabel, 0, "Mask Color:", 0},
    {Kind::kColourButton, ID_MASK_COLOR, nullptr, 0},
    {Kind::kLabel, 0, "Frame Width:", 0},
    {Kind::kWidthBox, ID_FRAME_WIDTH, nullptr, kWidthBoxWidth},
    {Kind::kColourButton, ID_FRAME_COLOR, nullptr, 0},
    {Kind::kLabel, 0, "Frame Opaque:", 0},
    {Kind::kSlider, ID_FRAME_OPAQUE, nullptr, kSliderWidth},
    {Kind::kSeparator, 0, nullptr, 0},
    {Kind::kButton, ID_EDIT_UNDO, nullptr, 0},
    {Kind::kButton, ID_EDIT_REDO, nullptr, 0},
    {Kind::kSeparator, 0, nullptr, 0},
    {Kind::kButton, ID_EDIT_CLOSE, nullptr, 0},
};

// What each slider writes.
constexpr struct {
    int id;
    PropertyEdit (*edit)(int position);
} kSliders[] = {{ID_CLIP_OPAQUE, ClipOpacityEdit}, {ID_FRAME_OPAQUE, OutlineOpacityEdit}};

// The colour buttons: which selection each edits, and its popup's entries.
struct ColourButton {
    int id;
    bool key;
    ColourPopupEntries entries;
};
constexpr ColourButton kColourButtons[] = {
    {ID_MASK_COLOR, true,
     {ID_MASK_COLOR_GALLERY, ID_MASK_PICK_SCREEN_COLORS, ID_MASK_MORE_COLORS, ID_MASK_NO_COLOR}},
    {ID_FRAME_COLOR, false, {ID_FRAME_COLOR_GALLERY, ID_FRAME_PICK_SCREEN_COLORS, ID_FRAME_MORE_COLORS, 0}},
};

const ColourButton* FindColourButton(int id) {
    for (const ColourButton& c : kColourButtons)
        if (c.id == id) return &c;
    return nullptr;
}

int TextWidth(const char* text, HFONT font) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size.cx;
}

std::string WindowText(HWND hwnd) {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(hwnd)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace

CEditToolbar::CEditToolbar(HWND edit_window, Apply apply, PickScreenColour pick_screen_colour)
    : edit_window_(edit_window), apply_(std::move(apply)), pick_screen_colour_(std::move(pick_screen_colour)) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    const HINSTANCE module = OwnModule();
    WNDCLASSA wc{};
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = module;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFrameClass;
    RegisterClassA(&wc);  // fails harmlessly once the class exists
    CreateWindowExA(kFrameExStyle, kFrameClass, "Edit", kFrameStyle, 0, 0, 0, 0, GetAncestor(edit_window, GA_ROOT),
                    nullptr, module, this);
    if (!frame_) return;
    for (const Item& item : kItems) {
        if (!item.id) continue;
        char text[256] = "";
        LoadStringA(module, static_cast<UINT>(item.id), text, sizeof text);
        const char* tip = std::strchr(text, '\n');  // "prompt\ntooltip"
        tooltips_[item.id] = tip ? tip + 1 : text;
    }
    images_ = CToolbarImages::Load(module, IDR_EDIT_TOOLBAR);
    BuildBar(module);
    for (const ColourButton& c : kColourButtons) {
        popups_[c.id] = std::make_unique<CColourPopup>(
            frame_, c.entries, gallery_, static_cast<bool>(pick_screen_colour_),
            [this, id = c.id](int entry, uint32_t colorref) { OnPopupChoice(id, entry, colorref); });
    }
    PlaceUnder();
    ShowWindow(frame_, SW_SHOWNOACTIVATE);
}

CEditToolbar::~CEditToolbar() {
    popups_.clear();
    if (frame_) DestroyWindow(frame_);
}

void CEditToolbar::Dismiss(std::unique_ptr<CEditToolbar> toolbar) {
    if (!toolbar || !toolbar->in_dialog_) return;
    ShowWindow(toolbar->frame_, SW_HIDE);
    toolbar.release()->dismissed_ = true;
}

void CEditToolbar::BuildBar(HINSTANCE module) {
    bar_ = CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                           WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NORESIZE |
                               CCS_NOPARENTALIGN,
                           0, 0, 2000, 100, frame_, nullptr, module, nullptr);
    if (!bar_) return;
    SendMessageA(bar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    if (images_) {
        SendMessageA(bar_, TB_SETBITMAPSIZE, 0, MAKELPARAM(images_->width(), images_->height()));
        SendMessageA(bar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_->list()));
    }
    SendMessageA(bar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));

    std::vector<TBBUTTON> buttons;
    for (const Item& item : kItems) {
        TBBUTTON b{};
        b.fsState = TBSTATE_ENABLED;
        b.idCommand = item.id;
        b.fsStyle = BTNS_SEP;
        switch (item.kind) {
            case Kind::kLabel:
                b.iBitmap = TextWidth(item.label, font) + kLabelGap;
                b.idCommand = kLabelPlaceholder;
                break;
            case Kind::kSlider:
            case Kind::kWidthBox: b.iBitmap = item.width; break;
            case Kind::kColourButton:
            case Kind::kButton:
                b.fsStyle = item.kind == Kind::kButton ? BTNS_BUTTON : BTNS_WHOLEDROPDOWN;
                b.iBitmap = images_ ? images_->ImageOf(item.id) : I_IMAGENONE;
                break;
            case Kind::kSeparator: break;
        }
        buttons.push_back(b);
    }
    SendMessageA(bar_, TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    SendMessageA(bar_, TB_AUTOSIZE, 0, 0);

    // Tips show while the host's window, not the bar's, is the active one.
    const HWND tips = reinterpret_cast<HWND>(SendMessageA(bar_, TB_GETTOOLTIPS, 0, 0));
    if (tips) SetWindowLongPtrA(tips, GWL_STYLE, GetWindowLongPtrA(tips, GWL_STYLE) | TTS_ALWAYSTIP);
    for (size_t k = 0; k < std::size(kItems); ++k) {
        const Item& item = kItems[k];
        RECT r{};
        SendMessageA(bar_, TB_GETITEMRECT, k, reinterpret_cast<LPARAM>(&r));
        const int w = r.right - r.left, h = r.bottom - r.top;
        const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id));
        HWND control = nullptr;
        switch (item.kind) {
            case Kind::kLabel:
                control = CreateWindowExA(0, "STATIC", item.label, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_CENTERIMAGE,
                                          r.left + kLabelGap / 2, r.top, w - kLabelGap / 2, h, bar_, id, module,
                                          nullptr);
                break;
            case Kind::kSlider:
                control = CreateWindowExA(0, TRACKBAR_CLASSA, "", WS_CHILD | WS_VISIBLE | TBS_HORZ | TBS_NOTICKS,
                                          r.left, r.top, w, h, bar_, id, module, nullptr);
                SendMessageA(control, TBM_SETRANGE, FALSE, MAKELPARAM(0, 255));
                SendMessageA(control, TBM_SETPAGESIZE, 0, kSliderPage);
                break;
            case Kind::kWidthBox:
                control = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, r.left,
                                          r.top + 1, w, h - 2, bar_, id, module, nullptr);
                break;
            default: continue;
        }
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (!item.id) continue;
        controls_[item.id] = control;
        // The toolbar's tooltip asks the frame for the text, as it does for buttons.
        TTTOOLINFOA tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = frame_;
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        tool.lpszText = LPSTR_TEXTCALLBACKA;
        if (tips) SendMessageA(tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    SetWindowSubclass(bar_, BarProc, 0, reinterpret_cast<DWORD_PTR>(this));

    RECT last{};
    SendMessageA(bar_, TB_GETITEMRECT, std::size(kItems) - 1, reinterpret_cast<LPARAM>(&last));
    const int width = last.right + 2, height = last.bottom + 2;
    SetWindowPos(bar_, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT outer{0, 0, width, height};
    AdjustWindowRectEx(&outer, kFrameStyle, FALSE, kFrameExStyle);
    SetWindowPos(frame_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND CEditToolbar::Control(int id) const {
    const auto at = controls_.find(id);
    return at == controls_.end() ? nullptr : at->second;
}

const CColourPopup* CEditToolbar::Popup(int button_id) const {
    const auto at = popups_.find(button_id);
    return at == popups_.end() ? nullptr : at->second.get();
}

void CEditToolbar::PlaceUnder() {
    RECT r;
    if (!frame_ || !GetWindowRect(edit_window_, &r)) return;
    SetWindowPos(frame_, nullptr, r.left, r.bottom, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CEditToolbar::Update(const EditPlacement& placement, bool can_undo, bool can_redo) {
    if (!bar_) return;
    const ToolbarView view = UpdateToolbar(placement, selections_, gallery_);
    setting_controls_ = true;
    for (const auto& [id, position] : {std::pair{ID_CLIP_OPAQUE, view.clip_opacity_position},
                                       std::pair{ID_FRAME_OPAQUE, view.outline_opacity_position}}) {
        if (SendMessageA(Control(id), TBM_GETPOS, 0, 0) != position)
            SendMessageA(Control(id), TBM_SETPOS, TRUE, position);
    }
    // Left alone while the user types in it and it reads as the width.
    const HWND box = Control(ID_FRAME_WIDTH);
    const std::string text = WindowText(box);
    const bool typing = GetFocus() == box && ReadOutlineWidth(text).width == placement.outline_width;
    if (!typing && text != view.outline_width_text) SetWindowTextA(box, view.outline_width_text.c_str());
    setting_controls_ = false;

    for (const ColourButton& c : kColourButtons) {
        ShowColour(c.id);
        popups_[c.id]->Show(c.key ? view.key_swatch : view.outline_swatch, c.key && view.no_color_checked);
    }
    for (const Item& item : kItems) {
        if (!item.id) continue;
        const bool enabled = item.id == ID_EDIT_UNDO ? can_undo : item.id == ID_EDIT_REDO ? can_redo : true;
        if (HWND control = Control(item.id)) {
            if (!IsWindowEnabled(control) == enabled) EnableWindow(control, enabled);
        } else if (!SendMessageA(bar_, TB_ISBUTTONENABLED, item.id, 0) == enabled) {
            SendMessageA(bar_, TB_ENABLEBUTTON, item.id, MAKELPARAM(enabled, 0));
        }
    }
}

std::optional<LRESULT> CEditToolbar::Offer(UINT message, WPARAM wParam, LPARAM) {
    // A floating bar goes out of sight with its window.
    if (message == WM_SHOWWINDOW && frame_) ShowWindow(frame_, wParam ? SW_SHOWNOACTIVATE : SW_HIDE);
    return std::nullopt;
}

LRESULT CALLBACK CEditToolbar::FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = WindowObject(hwnd, message, lParam, &CEditToolbar::frame_);
    if (self) {
        if (const std::optional<LRESULT> answer = self->OnFrameMessage(message, wParam, lParam)) return *answer;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

std::optional<LRESULT> CEditToolbar::OnFrameMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            // Undo, Redo and Close are the edit window's own commands.
            if (reinterpret_cast<HWND>(lParam) == bar_ && !FindColourButton(LOWORD(wParam)))
                SendMessageA(edit_window_, WM_COMMAND, MAKEWPARAM(LOWORD(wParam), 0), 0);
            return 0;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->code == TBN_DROPDOWN) {
                OpenPopup(reinterpret_cast<const NMTOOLBARA*>(lParam)->iItem);
                return TBDDRET_DEFAULT;
            }
            if (header->code != TTN_GETDISPINFOA && header->code != TTN_GETDISPINFOW) break;
            // Buttons come by command id, the controls by their window.
            const UINT flags = reinterpret_cast<const NMTTDISPINFOA*>(lParam)->uFlags;
            const int id = flags & TTF_IDISHWND ? GetDlgCtrlID(reinterpret_cast<HWND>(header->idFrom))
                                                : static_cast<int>(header->idFrom);
            const char* text = Tooltip(id);
            if (header->code == TTN_GETDISPINFOA) {
                reinterpret_cast<NMTTDISPINFOA*>(lParam)->lpszText = const_cast<char*>(text);
            } else {
                auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
                MultiByteToWideChar(CP_ACP, 0, text, -1, info->szText, static_cast<int>(std::size(info->szText)));
                info->lpszText = info->szText;
            }
            return 0;
        }
        case WM_CLOSE: return 0;  // the bar goes with the edit window only
        case WM_NCDESTROY:
            SetWindowLongPtrA(frame_, GWLP_USERDATA, 0);
            frame_ = bar_ = nullptr;
            controls_.clear();
            break;
        default: break;
    }
    return std::nullopt;
}

LRESULT CALLBACK CEditToolbar::BarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR data) {
    // The controls on the bar tell the bar of their changes.
    auto* self = reinterpret_cast<CEditToolbar*>(data);
    switch (message) {
        case WM_HSCROLL:
            if (lParam) {
                self->OnSlider(reinterpret_cast<HWND>(lParam), LOWORD(wParam));
                return 0;
            }
            break;
        case WM_COMMAND:
            if (reinterpret_cast<HWND>(lParam) == self->Control(ID_FRAME_WIDTH)) {
                if (HIWORD(wParam) == EN_CHANGE) self->OnWidthBoxChange(reinterpret_cast<HWND>(lParam));
                return 0;
            }
            break;
        case WM_NCDESTROY: RemoveWindowSubclass(hwnd, BarProc, 0); break;
        default: break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

void CEditToolbar::OnSlider(HWND slider, int code) {
    if (setting_controls_ || code == TB_ENDTRACK) return;
    const int id = GetDlgCtrlID(slider);
    const int position = static_cast<int>(SendMessageA(slider, TBM_GETPOS, 0, 0));
    for (const auto& s : kSliders)
        if (s.id == id) apply_(s.edit(position));
}

void CEditToolbar::OnWidthBoxChange(HWND box) {
    if (setting_controls_) return;
    const OutlineWidthEntry entry = ReadOutlineWidth(WindowText(box));
    apply_(OutlineWidthEdit(entry.width));
    if (entry.reset_box) {
        setting_controls_ = true;
        SetWindowTextA(box, "0");
        SendMessageA(box, EM_SETSEL, 1, 1);  // the caret after the 0, for typing on
        setting_controls_ = false;
    }
}

void CEditToolbar::OpenPopup(int button_id) {
    RECT r{};
    if (!popups_.count(button_id) || !SendMessageA(bar_, TB_GETRECT, button_id, reinterpret_cast<LPARAM>(&r))) return;
    MapWindowPoints(bar_, nullptr, reinterpret_cast<POINT*>(&r), 2);
    popups_[button_id]->ShowAt(POINT{r.left, r.bottom});
}

void CEditToolbar::OnPopupChoice(int button_id, int entry_id, uint32_t swatch_colorref) {
    const ColourButton& c = *FindColourButton(button_id);
    const uint32_t start = c.key ? selections_.key() : selections_.outline();
    std::optional<PropertyEdit> edit;
    if (entry_id == c.entries.gallery) {
        edit = c.key ? selections_.ChooseKey(swatch_colorref) : selections_.ChooseOutline(swatch_colorref);
    } else if (entry_id == c.entries.no_colour) {
        edit = selections_.ChooseNoKey();
    } else {
        std::optional<uint32_t> picked;
        in_dialog_ = true;
        if (entry_id == c.entries.pick_screen_colours && pick_screen_colour_) {
            picked = pick_screen_colour_(frame_, start);
        } else if (entry_id == c.entries.more_colours) {
            picked = RunSystemColourDialog(frame_, start == kNoKeyColour ? std::nullopt : std::optional(start));
        }
        in_dialog_ = false;
        if (dismissed_) {
            // Nothing on the way back (the popup's choice, its window procedure) touches
            // the toolbar or its popups again.
            delete this;
            return;
        }
        // Cancel yields nothing, and nothing changes.
        edit = c.key ? selections_.ChooseKeyFromDialog(picked) : selections_.ChooseOutlineFromDialog(picked);
    }
    if (!edit) return;
    ShowColour(button_id);
    apply_(*edit);
}

void CEditToolbar::ShowColour(int button_id) {
    const ColourButton& c = *FindColourButton(button_id);
    std::optional<uint32_t> colour = c.key ? selections_.key() : selections_.outline();
    if (c.key && selections_.no_key()) colour.reset();
    const auto shown = shown_colours_.find(button_id);
    if (!images_ || (shown != shown_colours_.end() && shown->second == colour)) return;
    images_->ShowColour(button_id, colour);
    shown_colours_[button_id] = colour;
    RECT r{};
    if (SendMessageA(bar_, TB_GETRECT, button_id, reinterpret_cast<LPARAM>(&r))) InvalidateRect(bar_, &r, TRUE);
}

const char* CEditToolbar::Tooltip(int id) const {
    const auto at = tooltips_.find(id);
    return at == tooltips_.end() ? "" : at->second.c_str();
}

}  // namespace editwnd
