#include "editwnd/corner_commit.h"

#include <cmath>

namespace editwnd {

CornerQuad CornersOf(const EditPlacement& placement) {
    return {placement.corners[0], placement.corners[1], placement.corners[2], placement.corners[3]};
}

bool CommitCorners(EditPlacement& placement, const CornerQuad& corners) {
    for (const OverlayCorner& c : corners)
        if (!std::isfinite(c.x) || !std::isfinite(c.y)) return false;
    for (int k = 0; k < 4; ++k) placement.corners[k] = corners[k];
    return true;
}

}  // namespace editwnd
