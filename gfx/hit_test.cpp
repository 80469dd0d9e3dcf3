#include "gfx/hit_test.h"

#include <cmath>
#include <utility>

namespace gfx {

bool PointInPolygon(const PointF* points, int count, float x, float y) {
    if (!points || count < 3 || !std::isfinite(x) || !std::isfinite(y)) return false;
    const double px = x, py = y;
    int winding = 0;
    for (int i = 0; i < count; ++i) {
        const PointF& a = points[i];
        const PointF& b = points[i + 1 == count ? 0 : i + 1];
        if (!std::isfinite(a.x) || !std::isfinite(a.y)) return false;
        double x0 = a.x, y0 = a.y, x1 = b.x, y1 = b.y;
        int dir = 1;
        if (y0 > y1) {
            std::swap(x0, x1);
            std::swap(y0, y1);
            dir = -1;
        }
        // Edges cover [y0, y1): a vertex on the ray counts once, horizontal edges never.
        if (!(py >= y0 && py < y1)) continue;
        // Crossings at or left of the point, as the fill counts them: the point is right
        // of (or on) the edge when the cross product is not positive.
        if ((x1 - x0) * (py - y0) - (px - x0) * (y1 - y0) <= 0) winding += dir;
    }
    return winding != 0;
}

}  // namespace gfx
