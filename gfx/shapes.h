// Filled shapes, and the coverage fill that pens and shapes share.
//
// Coordinates follow GDI+'s default pixel offset: pixel (x, y) is the unit square
// centred on the point (x, y). A 1-wide pen along y = 3 therefore covers row 3 and
// nothing else, and a 2-wide one along y = 3.5 covers rows 3 and 4.
#pragma once

#include <vector>

#include "gfx/bitmap.h"
#include "gfx/point.h"

namespace gfx {

// Closed contours filled under the nonzero winding rule, blended source-over with the
// colour's alpha scaled by coverage. Antialiased coverage counts a 4x4 grid of samples
// in each pixel (alpha x samples / 16, rounded); aliased, one sample at the centre. A
// sample exactly on a left or top edge is inside, on a right or bottom edge outside.
// Coordinates far outside the target are fine: only rows and columns of the target
// are ever visited.
class WindingFill {
public:
    // One closed contour; the last point joins the first. A contour with a point that
    // is not finite is dropped.
    void AddContour(const PointD* points, int count);
    // A convex piece, turned to wind the same way as every other piece added this way,
    // so that overlapping pieces fill as their union.
    void AddConvex(const PointD* points, int count);
    bool Empty() const { return edges_.empty(); }
    void Fill(Bitmap& target, Argb colour, bool antialias);

private:
    struct Edge {
        double x0, y0, x1, y1;  // y0 < y1
        int dir;                // +1 going down, -1 going up
    };
    void AddEdges(const PointD* points, int count, bool reverse);
    std::vector<Edge> edges_;
};

// Whole pixels left .. left + width - 1 by top .. top + height - 1, source-over; an
// empty or negative size draws nothing.
void FillRectangle(Bitmap& target, int left, int top, int width, int height, Argb colour);

// The ellipse inscribed in the rectangle, antialiased, source-over; a negative size
// draws nothing. The curve is followed by a polygon within a fiftieth of a pixel of
// it (for radii below 50000 pixels).
void FillEllipse(Bitmap& target, float left, float top, float width, float height, Argb colour);
// Its outline, a pen `pen_width` wide centred on the curve; a width <= 0 draws nothing.
void DrawEllipse(Bitmap& target, float left, float top, float width, float height, Argb colour, float pen_width);

}  // namespace gfx
