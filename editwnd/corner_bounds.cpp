#include "editwnd/corner_bounds.h"

#include <algorithm>

namespace editwnd {

CornerBounds BoundsOf(const OverlayCorner* c) {
    CornerBounds b{c[0].x, c[0].y, c[0].x, c[0].y};
    for (int k = 1; k < 4; ++k) {
        b.min_x = std::min(b.min_x, c[k].x);
        b.min_y = std::min(b.min_y, c[k].y);
        b.max_x = std::max(b.max_x, c[k].x);
        b.max_y = std::max(b.max_y, c[k].y);
    }
    return b;
}

}  // namespace editwnd
