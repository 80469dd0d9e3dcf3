#include "editwnd/win32/overlay_edit_wnd.h"

#include <windowsx.h>

#include <utility>

#include "channels/globals.h"
#include "channels/host_frames.h"
#include "channels/main_ch_mgr.h"
#include "editwnd/edit_paint.h"
#include "editwnd/overlay_edit_model.h"
#include "editwnd/win32/own_module.h"
#include "editwnd/win32/pick_color_dialog.h"
#include "editwnd/win32/window_object.h"
#include "platform/debug_output.h"

namespace editwnd {

namespace {

constexpr char kClassName[] = "FerruleOverlayEditWnd";

}  // namespace

COverlayEditWnd& TheOverlayEditWnd() {
    static COverlayEditWnd window;
    return window;
}

COverlayEditWnd::COverlayEditWnd()
    : model_([](const char* line) { platform::DebugOutput(line); }), pick_screen_colour_(RunPickColorDialog) {}

HWND COverlayEditWnd::Open(CMainChMgr& mgr, int32_t id, HWND parent) {
    std::optional<EditTarget> target = EditTarget::Find(mgr, id);
    // Neither an overlay nor an image item: there is nothing to edit and no window.
    if (!target) return nullptr;
    if (hwnd_) DestroyWindow(hwnd_);  // reports the open item's placement first

    const int n = target->FirstFrame();
    uint8_t* buffer = nullptr;
    int32_t size = 0, width = 0, height = 0;
    ComposeForHost(mgr, n, id, &buffer, &size, &width, &height);
    background_.Take(buffer, size, width, height, 24);

    HostPicture picture;
    const bool have = ItemPictureForHost(mgr, n, id, picture);
    picture_.Take(have ? picture.buffer : nullptr, have ? picture.size : 0, picture.width, picture.height,
                  picture.bits_per_pixel);

    target_ = target;
    parent_ = parent;
    sized_ = false;
    model_.Open(target->Placement(), picture.width, picture.height);

    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = OwnModule();
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    wc.style = CS_DBLCLKS;
    RegisterClassA(&wc);  // fails harmlessly once the class exists
    hwnd_ = CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(-1)), wc.hInstance, this);
    return hwnd_;
}

LRESULT CALLBACK COverlayEditWnd::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = WindowObject(hwnd, message, lParam, &COverlayEditWnd::hwnd_);
    if (!self || self->hwnd_ != hwnd) return DefWindowProcA(hwnd, message, wParam, lParam);
    return self->Handle(message, wParam, lParam);
}

LRESULT COverlayEditWnd::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    // The toolbar has the first word on every message, keys included, as a command-bar
    // framework hooked into the window would. It answers none today and only follows
    // the window's visibility; the width box gets its keys itself, having the focus.
    if (toolbar_) {
        if (const std::optional<LRESULT> answer = toolbar_->Offer(message, wParam, lParam)) return *answer;
    }
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (message) {
        case WM_SIZE:
            if (!model_.OnSize(LOWORD(lParam), HIWORD(lParam))) return 0;
            if (!sized_) {
                sized_ = true;
                toolbar_ = std::make_unique<CEditToolbar>(
                    hwnd_, [this](const PropertyEdit& edit) { Carry(model_.ApplyProperty(edit)); },
                    pick_screen_colour_);
                SetTimer(hwnd_, kToolbarPlaceTimer, kToolbarPlacePeriodMs, nullptr);
                SetTimer(hwnd_, kToolbarUpdateTimer, kToolbarUpdatePeriodMs, nullptr);
                UpdateToolbar();  // Undo and Redo follow the history from the start, not from the first tick
            }
            InvalidateRect(hwnd_, nullptr, FALSE);
            return 0;
        case WM_PAINT: Paint(); return 0;
        case WM_ERASEBKGND: return 1;  // the paint covers every pixel
        case WM_SETCURSOR:
            if (LOWORD(lParam) != HTCLIENT) break;
            ChooseCursor();
            return TRUE;
        case WM_LBUTTONDOWN:
            SetFocus(hwnd_);
            SetCapture(hwnd_);
            Carry(model_.OnButtonDown(x, y));
            return 0;
        case WM_MOUSEMOVE: {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd_, 0};
            TrackMouseEvent(&track);
            Carry(model_.OnMouseMove(x, y));
            return 0;
        }
        case WM_LBUTTONUP:
            ReleaseCapture();
            Carry(model_.OnButtonUp());
            return 0;
        case WM_MOUSELEAVE: Carry(model_.OnMouseLeave()); return 0;
        case WM_RBUTTONUP: ShowContextMenu(); return 0;
        case WM_COMMAND: Carry(model_.OnCommand(LOWORD(wParam))); return 0;
        case WM_SETFOCUS:
            SetTimer(hwnd_, kSnapshotTimer, kSnapshotPeriodMs, nullptr);
            return 0;
        case WM_GETDLGCODE: return DLGC_WANTARROWS;  // arrows nudge, inside a dialog too
        case WM_KEYDOWN: {
            const EditResponse response = model_.OnKeyDown(static_cast<unsigned>(wParam), GetKeyState(VK_CONTROL) < 0);
            Carry(response);
            if (response.consumed) return 0;
            break;
        }
        case WM_TIMER:
            if (wParam == kSnapshotTimer) model_.OnSnapshotTimer();
            if (wParam == kToolbarPlaceTimer) {
                // Placed once more, after the host has settled the window.
                KillTimer(hwnd_, kToolbarPlaceTimer);
                if (toolbar_) toolbar_->PlaceUnder();
            }
            if (wParam == kToolbarUpdateTimer) UpdateToolbar();
            return 0;
        case WM_DESTROY:
            Carry(model_.OnDestroy());
            KillTimer(hwnd_, kToolbarUpdateTimer);
            KillTimer(hwnd_, kSnapshotTimer);
            KillTimer(hwnd_, kToolbarPlaceTimer);
            background_.Clear();
            picture_.Clear();
            CEditToolbar::Dismiss(std::move(toolbar_));
            return 0;
        case WM_NCDESTROY:
            hwnd_ = nullptr;
            target_.reset();
            break;
        default: break;
    }
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}

void COverlayEditWnd::UpdateToolbar() {
    if (toolbar_)
        toolbar_->Update(model_.placement(), model_.IsCommandEnabled(kCommandUndo),
                         model_.IsCommandEnabled(kCommandRedo));
}

void COverlayEditWnd::Carry(const EditResponse& response) {
    if (response.set_move_cursor) SetCursor(LoadCursor(nullptr, IDC_SIZEALL));
    if (response.report) Report();
    if (response.close) PostMessageA(parent_, WM_EDITWND_CLOSE, 0, 0);
    if (response.repaint) InvalidateRect(hwnd_, nullptr, FALSE);
}

void COverlayEditWnd::Report() {
    // The item is looked up again by id and address at every report, so one the host
    // removed or replaced since the window opened is neither written nor reported.
    if (!target_ || !g_pMainChMgr) return;
    const std::optional<EditTarget> item = target_->Refind(*g_pMainChMgr);
    if (!item) return;
    const EditPlacement& stored = item->Placement();
    EditReport report = model_.Report(stored.reference_width, stored.reference_height);
    item->Write(report);
    // The host reads the placement during the call only; the window's own stays as it is.
    SendMessageA(parent_, WM_EDITWND_CHANGED, static_cast<WPARAM>(item->Id()),
                 reinterpret_cast<LPARAM>(&report.placement));
}

void COverlayEditWnd::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    RECT client;
    GetClientRect(hwnd_, &client);
    const std::unique_ptr<gfx::Bitmap> frame = gfx::Bitmap::Create(client.right, client.bottom);
    if (frame) {
        PaintEditWindow(*frame, background_.bitmap(), picture_.bitmap(),
                        model_.placement(), model_.layout());
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = frame->Width();
        info.bmiHeader.biHeight = -frame->Height();  // top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        SetDIBitsToDevice(dc, 0, 0, frame->Width(), frame->Height(), 0, 0, 0, frame->Height(), frame->Row(0), &info,
                          DIB_RGB_COLORS);
    }
    EndPaint(hwnd_, &ps);
}

void COverlayEditWnd::ShowContextMenu() {
    SetForegroundWindow(hwnd_);
    HMENU menu = LoadMenuA(OwnModule(), MAKEINTRESOURCEA(kContextMenuId));
    if (!menu) return;
    POINT at;
    GetCursorPos(&at);
    // The commands come back to this window as WM_COMMAND.
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_, nullptr);
    DestroyMenu(menu);
}

void COverlayEditWnd::ChooseCursor() {
    POINT at;
    GetCursorPos(&at);
    ScreenToClient(hwnd_, &at);
    LPCSTR system = IDC_ARROW;
    switch (model_.OnSetCursor(at.x, at.y)) {
        case EditCursor::kMove: system = IDC_SIZEALL; break;
        case EditCursor::kSizeWE: system = IDC_SIZEWE; break;
        case EditCursor::kSizeNS: system = IDC_SIZENS; break;
        case EditCursor::kLibrary: SetCursor(LoadCursorA(OwnModule(), MAKEINTRESOURCEA(kLibraryCursorId))); return;
        case EditCursor::kDefault: break;
    }
    SetCursor(LoadCursorA(nullptr, system));
}

}  // namespace editwnd
