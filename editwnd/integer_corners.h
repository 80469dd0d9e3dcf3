// The corners as whole pixels, and the box around them.
#pragma once

#include <array>

#include "channels/edit_placement.h"
#include "editwnd/edit_rect.h"

namespace editwnd {

using IntegerQuad = std::array<EditPoint, 4>;

// Truncated toward zero. Beyond +-2^24 pixels nothing is on screen any more, so a
// coordinate is clamped there (and NaN taken as 0) to keep the integer geometry
// built on it from overflowing.
int TruncateCoordinate(float v);

IntegerQuad IntegerCorners(const OverlayCorner* corners);

// Least and greatest x and y of the four points.
EditRect BoundingBox(const IntegerQuad& quad);

}  // namespace editwnd
