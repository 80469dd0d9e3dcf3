// The box around the float corners, which the resize, rotate and enlarge commands
// work from.
#pragma once

#include "channels/edit_placement.h"

namespace editwnd {

struct CornerBounds {
    float min_x, min_y, max_x, max_y;

    float Width() const { return max_x - min_x; }
    float Height() const { return max_y - min_y; }
    // Written as half the size plus the least coordinate.
    OverlayCorner Centre() const { return {Width() / 2 + min_x, Height() / 2 + min_y}; }
};

CornerBounds BoundsOf(const OverlayCorner* corners);

}  // namespace editwnd
