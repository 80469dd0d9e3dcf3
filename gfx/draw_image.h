// Drawing a part of an image unscaled, source-over.
#pragma once

#include "gfx/bitmap.h"

namespace gfx {

// The part of src at (sx, sy) of size w x h lands with its top-left at (dx, dy) of the
// target; both rectangles are clipped to their bitmaps. Source and target must not
// overlap in memory.
void DrawImageUnscaled(Bitmap& target, const Bitmap& src, int dx, int dy, int sx, int sy, int w, int h);

}  // namespace gfx
