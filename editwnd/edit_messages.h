// The numbers the edit window shares with the host and with its resources.
#pragma once

namespace editwnd {

// Sent: wParam the item's id, lParam the placement in the item's reference size.
constexpr unsigned WM_EDITWND_CHANGED = 4024;  // WM_USER + 3000
// Posted, wParam and lParam 0: the user asked to close the window.
constexpr unsigned WM_EDITWND_CLOSE = 4025;

enum EditCommandId : int {
    kCommandUndo = 32006,
    kCommandRedo = 32007,
    kCommandClose = 32010,
    kCommandRotate180 = 32027,
    kCommandRotate90Clockwise = 32028,
    kCommandRotate90CounterClockwise = 32029,
    kCommandEnlarge = 32030,
    kCommandEnlargeKeepAspect = 32031,
};

constexpr int kContextMenuId = 1010;

// Timers: 10 takes the undo snapshots, 11 places the toolbar once, 12 updates it.
constexpr unsigned kSnapshotTimer = 10, kToolbarPlaceTimer = 11, kToolbarUpdateTimer = 12;
constexpr unsigned kSnapshotPeriodMs = 50, kToolbarPlacePeriodMs = 10, kToolbarUpdatePeriodMs = 50;

}  // namespace editwnd
