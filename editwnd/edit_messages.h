// The numbers the edit window shares with the host and with its resources.
#pragma once

#include "resources/resource.h"

namespace editwnd {

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

}  // namespace editwnd
