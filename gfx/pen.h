// Pens: lines and polygon outlines of a given width centred on the path, flat ends,
// miter joins (limit 10, then bevel), antialiased through WindingFill (see shapes.h
// for the pixel grid). A width <= 0, or a point that is not finite, draws nothing.
#pragma once

#include "gfx/bitmap.h"
#include "gfx/point.h"
#include "gfx/shapes.h"

namespace gfx {

// Miter length over pen width beyond which a join is bevelled (GDI+'s default).
inline constexpr double kMiterLimit = 10.0;

// Adds the pen's outline of a path to `fill` as convex pieces: one quadrilateral a
// segment, one join piece at each corner (at every vertex of a closed path).
void AddStroke(WindingFill& fill, const PointD* points, int count, bool closed, double width);

void DrawLine(Bitmap& target, PointF a, PointF b, Argb colour, float width);
// Closed: the last point joins the first.
void DrawPolygon(Bitmap& target, const PointF* points, int count, Argb colour, float width);

// Dashed pens, GDI+'s DashStyleDash: dashes of 3 widths with gaps of 1 width, the
// pattern running on along the path from its first point. These mark out the edit
// window's selection, so they are aliased (one sample at each pixel centre) and at
// least one pixel wide: a 1-wide dash along a row of pixel centres is exactly 3 pixels
// on, 1 off.
void DrawDashedLine(Bitmap& target, PointF a, PointF b, Argb colour, float width);
// The path (left, top), (right, top), (right, bottom), (left, bottom), closed.
void DrawDashedRectangle(Bitmap& target, int left, int top, int right, int bottom, Argb colour, float width);
void DrawDashedPolygon(Bitmap& target, const PointF* points, int count, Argb colour, float width);

}  // namespace gfx
