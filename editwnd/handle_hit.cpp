#include "editwnd/handle_hit.h"

#include "editwnd/integer_corners.h"
#include "gfx/hit_test.h"

namespace editwnd {

HandleHit HitTestHandles(const HandleLayout& layout, int x, int y) {
    for (int i = 0; i < 4; ++i) {
        if (layout.inner_edge[i].Contains(x, y)) return {HandleFamily::kInnerEdge, i};
        if (layout.outer_edge[i].Contains(x, y)) return {HandleFamily::kOuterEdge, i};
        if (layout.rotation[i].Contains(x, y)) return {HandleFamily::kRotation, i};
    }
    for (int j = 0; j < 8; ++j)
        if (layout.warp[j].Contains(x, y)) return {HandleFamily::kWarp, j};
    return {};
}

bool IsInsideOverlay(const EditPlacement& placement, int x, int y) {
    const IntegerQuad q = IntegerCorners(placement.corners);
    gfx::PointF polygon[4];
    for (int k = 0; k < 4; ++k) polygon[k] = {static_cast<float>(q[k].x), static_cast<float>(q[k].y)};
    return gfx::PointInPolygon(polygon, 4, static_cast<float>(x), static_cast<float>(y));
}

}  // namespace editwnd
