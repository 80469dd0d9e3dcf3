#include "editwnd/rotate_commands.h"

#include "editwnd/corner_bounds.h"
#include "editwnd/corner_commit.h"

namespace editwnd {

bool RotateOverlay(EditPlacement& placement, QuarterTurns turn) {
    const OverlayCorner g = BoundsOf(placement.corners).Centre();
    CornerQuad corners = CornersOf(placement);
    for (OverlayCorner& p : corners) {
        const float dx = p.x - g.x, dy = p.y - g.y;
        switch (turn) {
            case QuarterTurns::kHalf: p = {2 * g.x - p.x, 2 * g.y - p.y}; break;
            case QuarterTurns::kClockwise: p = {g.x + -dy, g.y + dx}; break;
            case QuarterTurns::kCounterClockwise: p = {g.x + dy, g.y + -dx}; break;
        }
    }
    return CommitCorners(placement, corners);
}

}  // namespace editwnd
