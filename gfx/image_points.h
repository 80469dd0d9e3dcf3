// A whole image drawn onto a parallelogram, source-over.
#pragma once

#include "gfx/bitmap.h"
#include "gfx/point.h"

namespace gfx {

enum class Interpolation { kNearestNeighbor, kHighQualityBicubic };

// All of src lands with its top-left, top-right and bottom-left corners at dest[0],
// dest[1] and dest[2]. Target pixel (x, y) is drawn when its centre (x + 0.5, y + 0.5),
// mapped back into src, falls inside [0, W) x [0, H); there is no antialiasing of the
// parallelogram's edges, so every pixel is either drawn whole or left alone.
//
// Nearest takes source pixel (floor(u), floor(v)): the corners (0, 0), (W, 0), (0, H)
// reproduce src exactly. Bicubic is Keys' cubic with a = -0.5 (Catmull-Rom) centred on
// (u - 0.5, v - 0.5), edge pixels repeated, weights normalised, colours interpolated
// premultiplied by alpha; where the image shrinks the kernel is widened by the shrink
// factor along that source axis, so a reduction filters instead of aliasing.
//
// A parallelogram of no area, or with a point that is not finite or beyond +-2^24
// (where floats stop holding whole pixels), draws nothing.
// Source and target must not share memory.
void DrawImagePoints(Bitmap& target, const Bitmap& src, const PointF dest[3], Interpolation mode);

}  // namespace gfx
