#include "editwnd/overlay_move.h"

#include "editwnd/corner_commit.h"

namespace editwnd {

bool MoveOverlay(EditPlacement& placement, float dx, float dy) {
    CornerQuad corners = CornersOf(placement);
    for (OverlayCorner& c : corners) {
        c.x += dx;
        c.y += dy;
    }
    return CommitCorners(placement, corners);
}

bool NudgeOverlay(EditPlacement& placement, NudgeDirection direction) {
    constexpr float kStep[4][2] = {{-1.0f, 0.0f}, {0.0f, -1.0f}, {1.0f, 0.0f}, {0.0f, 1.0f}};
    const float* step = kStep[static_cast<int>(direction)];
    return MoveOverlay(placement, step[0], step[1]);
}

}  // namespace editwnd
