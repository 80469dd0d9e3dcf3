#include "editwnd/edge_drag.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "editwnd/corner_bounds.h"
#include "editwnd/corner_commit.h"
#include "editwnd/handle_layout.h"
#include "editwnd/integer_corners.h"

namespace editwnd {

namespace {

EditRect CornerBox(const EditPlacement& placement) { return BoundingBox(IntegerCorners(placement.corners)); }

}  // namespace

int OutwardDistance(const EditRect& box, int edge, int x, int y) {
    switch (edge) {
        case 0: return box.left - x;
        case 1: return box.top - y;
        case 2: return x - box.right;
        default: return y - box.bottom;
    }
}

bool DragInnerEdge(EditPlacement& placement, int edge, int x, int y) {
    const EditRect r = InnerBox(CornerBox(placement));
    const float w = static_cast<float>(r.Width()), h = static_cast<float>(r.Height());
    const int measured = OutwardDistance(r, edge, x, y);
    float gx, gy;
    if (edge % 2 == 0) {
        gx = static_cast<float>(measured);
        gy = h * static_cast<float>(r.Width() + measured) / w - h;
    } else {
        gy = static_cast<float>(measured);
        gx = w * static_cast<float>(r.Height() + measured) / h - w;
    }
    const CornerBounds b = BoundsOf(placement.corners);
    const float bw = b.Width(), bh = b.Height();
    // A box without width or height cannot be scaled: the drag is ignored.
    if (bw == 0.0f || bh == 0.0f) return false;
    const bool left_or_top = edge < 2;
    const float ax = left_or_top ? b.max_x : b.min_x;
    const float ay = left_or_top ? b.max_y : b.min_y;
    CornerQuad corners = CornersOf(placement);
    for (OverlayCorner& c : corners) {
        c.x = (bw + gx) * (c.x - ax) / bw + ax;
        c.y = (bh + gy) * (c.y - ay) / bh + ay;
    }
    return CommitCorners(placement, corners);
}

void DragOuterEdge(EditPlacement& placement, int edge, int x, int y) {
    const EditRect r = OuterBox(InnerBox(CornerBox(placement)), placement.outline_width);
    const int64_t width = int64_t{placement.outline_width} + OutwardDistance(r, edge, x, y);
    placement.outline_width = static_cast<int32_t>(std::clamp<int64_t>(width, 0, std::numeric_limits<int32_t>::max()));
}

}  // namespace editwnd
