// The edit window on Win32: one child window of the host's that turns its messages
// into calls on the portable model and shows the model's paint. One object per
// process; at most one window at a time.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>

#include "editwnd/edit_target.h"
#include "editwnd/overlay_edit_model.h"
#include "editwnd/taken_picture.h"
#include "editwnd/win32/edit_toolbar.h"

class CMainChMgr;

namespace editwnd {

class COverlayEditWnd {
public:
    COverlayEditWnd();
    COverlayEditWnd(const COverlayEditWnd&) = delete;
    COverlayEditWnd& operator=(const COverlayEditWnd&) = delete;

    // Opens the window over the item with this id as a visible child of parent, with
    // an empty rectangle: the host sizes it. An open window is destroyed first (and so
    // reports). Null for an id that names no overlay or image item of mgr.
    HWND Open(CMainChMgr& mgr, int32_t id, HWND parent);

    // The "Pick Color" dialog the toolbars built from now on offer (the real one from
    // construction; tests put their own); none leaves "Pick Screen Colors..." disabled.
    void SetScreenColourPicker(PickScreenColour pick) { pick_screen_colour_ = std::move(pick); }

    HWND hwnd() const { return hwnd_; }
    const COverlayEditModel& model() const { return model_; }
    // Null until the first size message.
    const CEditToolbar* toolbar() const { return toolbar_.get(); }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Carry(const EditResponse& response);
    void UpdateToolbar();
    void Report();
    void Paint();
    void ShowContextMenu();
    void ChooseCursor();

    HWND hwnd_ = nullptr;
    HWND parent_ = nullptr;
    std::optional<EditTarget> target_;
    COverlayEditModel model_;
    bool sized_ = false;
    PickScreenColour pick_screen_colour_;
    std::unique_ptr<CEditToolbar> toolbar_;
    // The frame without the item and the item's own picture, as opening found them;
    // either may be missing, and the window works without it.
    CTakenPicture background_, picture_;
};

// The process's edit window object, alive while the library is loaded.
COverlayEditWnd& TheOverlayEditWnd();

}  // namespace editwnd
