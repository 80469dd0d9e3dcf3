#include "editwnd/integer_corners.h"

#include <algorithm>
#include <cmath>

namespace editwnd {

int TruncateCoordinate(float v) {
    constexpr float kLimit = 1 << 24;
    if (std::isnan(v)) return 0;
    return static_cast<int>(std::clamp(v, -kLimit, kLimit));
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
