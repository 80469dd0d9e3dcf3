// Everything the edit window does that needs no window: the placement being edited,
// the handles, the mouse and key state machine, the commands and the undo history.
// The window procedure forwards client-coordinate events here and carries out the
// returned response (repaint, report to the host, cursor, close); the paint draws
// placement() and layout().
#pragma once

#include <functional>
#include <utility>

#include "channels/edit_placement.h"
#include "editwnd/edit_cursors.h"
#include "editwnd/edit_handles.h"
#include "editwnd/edit_history.h"
#include "editwnd/edit_target.h"
#include "editwnd/toolbar_view.h"
#include "resources/resource.h"

namespace editwnd {

// The numbers the edit window shares with the host and with its resources.

// Sent: wParam the item's id, lParam the placement in the item's reference size.
constexpr unsigned WM_EDITWND_CHANGED = 4024;  // WM_USER + 3000
// Posted, wParam and lParam 0: the user asked to close the window.
constexpr unsigned WM_EDITWND_CLOSE = 4025;

enum EditCommandId : int {
    kCommandUndo = ID_EDIT_UNDO,
    kCommandRedo = ID_EDIT_REDO,
    kCommandClose = ID_EDIT_CLOSE,
    kCommandRotate180 = ID_ROTATE_180,
    kCommandRotate90Clockwise = ID_ROTATE_90_CW,
    kCommandRotate90CounterClockwise = ID_ROTATE_90_CCW,
    kCommandEnlarge = ID_ENLARGE_FULL_SCREEN,
    kCommandEnlargeKeepAspect = ID_ENLARGE_FULL_SCREEN_KEEP_ASPECT,
};

constexpr int kContextMenuId = IDR_EDIT_CONTEXT_MENU;

// Timers: 10 takes the undo snapshots, 11 places the toolbar once, 12 updates it.
constexpr unsigned kSnapshotTimer = 10, kToolbarPlaceTimer = 11, kToolbarUpdateTimer = 12;
constexpr unsigned kSnapshotPeriodMs = 50, kToolbarPlacePeriodMs = 10, kToolbarUpdatePeriodMs = 50;

struct EditResponse {
    bool repaint = false;
    bool report = false;           // write MakeReport's result into the item and tell the host
    bool set_move_cursor = false;  // show the four-way move cursor now
    bool close = false;            // post WM_EDITWND_CLOSE to the host
    bool consumed = false;         // a key message goes no further
};

// Virtual-key codes the window reacts to.
constexpr unsigned kKeyLeft = 0x25, kKeyUp = 0x26, kKeyRight = 0x27, kKeyDown = 0x28, kKeyY = 0x59, kKeyZ = 0x5A;

class COverlayEditModel {
public:
    // Receives the debug lines ("pos=..." and "undo pos=...").
    using DebugOutput = std::function<void(const char* line)>;

    explicit COverlayEditModel(DebugOutput debug_output = {}) : debug_output_(std::move(debug_output)) {}

    // A new item: its placement, the size of its picture, nothing changed, no history.
    void Open(const EditPlacement& placement, int picture_width, int picture_height);
    // Rescales to the new client size; the first one takes the base snapshot. Returns
    // false, doing nothing, when cx is 0.
    bool OnSize(int cx, int cy);
    EditCursor OnSetCursor(int x, int y) const;
    EditResponse OnButtonDown(int x, int y);
    EditResponse OnMouseMove(int x, int y);
    EditResponse OnButtonUp();
    EditResponse OnMouseLeave() const;
    EditResponse OnKeyDown(unsigned virtual_key, bool ctrl);
    EditResponse OnCommand(int id);
    bool IsCommandEnabled(int id) const;
    // A toolbar control changed: it counts as a change for the next undo step even when
    // the value is the one already held, as every control's change does.
    EditResponse ApplyProperty(const PropertyEdit& edit);
    // Timer 10: one undo step for whatever changed since the last one.
    void OnSnapshotTimer();
    // The window is going: one last report, and the history goes.
    EditResponse OnDestroy();

    EditReport Report(int item_reference_width, int item_reference_height) const {
        return MakeReport(placement_, item_reference_width, item_reference_height);
    }

    const EditPlacement& placement() const { return placement_; }
    // Refreshed with every change, so it is always what the next paint draws.
    const HandleLayout& layout() const { return layout_; }
    const CEditHistory& history() const { return history_; }
    HandleHit hit() const { return hit_; }
    bool button_down() const { return button_down_; }
    bool inside() const { return inside_; }
    bool changed() const { return changed_; }

private:
    bool ApplyHandleDrag(int x, int y);
    bool ApplyCommand(int id);
    void Show(const EditPlacement& placement);
    void Relayout();
    void Debug(const char* format, float value) const;

    DebugOutput debug_output_;
    EditPlacement placement_;
    int picture_width_ = 0, picture_height_ = 0;
    HandleLayout layout_;
    HandleHit hit_;
    bool button_down_ = false;
    bool cursor_set_ = false;
    int last_x_ = 0, last_y_ = 0;
    bool inside_ = false;
    bool initial_snapshot_taken_ = false;
    CEditHistory history_;
    bool changed_ = false;
};

}  // namespace editwnd
