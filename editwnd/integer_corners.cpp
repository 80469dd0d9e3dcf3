#include "editwnd/integer_corners.h"

#include <algorithm>

namespace editwnd {

int TruncateCoordinate(float v) {
    constexpr float kLimit = 16777216.0f;
    if (!(v > -kLimit)) return v != v ? 0 : -16777216;
    if (!(v < kLimit)) return 16777216;
    return static_cast<int>(v);
}

IntegerQuad IntegerCorners(const OverlayCorner* corners) {
    IntegerQuad quad;
    for (int k = 0; k < 4; ++k) quad[k] = {TruncateCoordinate(corners[k].x), TruncateCoordinate(corners[k].y)};
    return quad;
}

EditRect BoundingBox(const IntegerQuad& quad) {
    EditRect r{quad[0].x, quad[0].y, quad[0].x, quad[0].y};
    for (const EditPoint& p : quad) {
        r.left = std::min(r.left, p.x);
        r.top = std::min(r.top, p.y);
        r.right = std::max(r.right, p.x);
        r.bottom = std::max(r.bottom, p.y);
    }
    return r;
}

}  // namespace editwnd
