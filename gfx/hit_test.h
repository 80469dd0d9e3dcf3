// Whether a point lies inside a polygon, GDI+'s IsVisible on a path filled with
// FillModeWinding.
#pragma once

#include "gfx/point.h"

namespace gfx {

// Nonzero winding: inside where the polygon (closed, last point joining the first)
// winds around the point at least once either way, so the overlap of a
// self-intersecting star counts. On the boundary the fills' sampling rule decides: a
// point on a left or top edge is inside, on a right or bottom edge outside, the way a
// fill of the polygon would treat a sample there. Fewer than three points, or a point
// that is not finite, is never inside.
bool PointInPolygon(const PointF* points, int count, float x, float y);

}  // namespace gfx
