#include "editwnd/rescale.h"

#include "editwnd/corner_commit.h"

namespace editwnd {

bool RescalePlacement(EditPlacement& placement, int width, int height) {
    if (width <= 0 || height <= 0) return false;
    CornerQuad corners = CornersOf(placement);
    // A record without a reference size has nothing to scale from: its corners are
    // taken to be in the new size already.
    if (placement.reference_width > 0 && placement.reference_height > 0) {
        const float rw = static_cast<float>(placement.reference_width);
        const float rh = static_cast<float>(placement.reference_height);
        for (OverlayCorner& c : corners) {
            c.x = static_cast<float>(width) * c.x / rw;
            c.y = static_cast<float>(height) * c.y / rh;
        }
        if (!CommitCorners(placement, corners)) return false;
    }
    placement.reference_width = width;
    placement.reference_height = height;
    return true;
}

}  // namespace editwnd
