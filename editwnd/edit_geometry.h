// Whole-pixel corners, the corners' bounds, committing new corners, the default
// rectangle and rescaling between sizes: the geometry every edit builds on.
#pragma once

#include <array>

#include "channels/edit_placement.h"
#include "editwnd/edit_rect.h"

namespace editwnd {

// The corners as whole pixels, and the box around them.

using IntegerQuad = std::array<EditPoint, 4>;

// Truncated toward zero. Beyond +-2^24 pixels nothing is on screen any more, so a
// coordinate is clamped there (and NaN taken as 0) to keep the integer geometry
// built on it from overflowing.
int TruncateCoordinate(float v);

IntegerQuad IntegerCorners(const OverlayCorner* corners);

// Least and greatest x and y of the four points.
EditRect BoundingBox(const IntegerQuad& quad);

// The box around the float corners, which the resize, rotate and enlarge commands
// work from.

struct CornerBounds {
    float min_x, min_y, max_x, max_y;

    float Width() const { return max_x - min_x; }
    float Height() const { return max_y - min_y; }
    // Written as half the size plus the least coordinate.
    OverlayCorner Centre() const { return {Width() / 2 + min_x, Height() / 2 + min_y}; }
};

CornerBounds BoundsOf(const OverlayCorner* corners);

// The one way an edit writes new corners: all four, and only when all are finite.

using CornerQuad = std::array<OverlayCorner, 4>;

CornerQuad CornersOf(const EditPlacement& placement);

// Returns false, leaving the placement as it was, when a corner is NaN or infinite.
bool CommitCorners(EditPlacement& placement, const CornerQuad& corners);

// A placement that names only its top-left corner (the other three all exactly 0) is
// shown as a rectangle of the picture's own size there. Only the display does this;
// the stored corners stay as they are.

bool IsDefaultRectangle(const OverlayCorner* corners);

// The corners drawn and handled: the stored ones, or the default rectangle at c0.
CornerQuad DisplayedCorners(const EditPlacement& placement, int picture_width, int picture_height);

// Moving the corners between pixel spaces: the item's reference size and the client
// size of the window, both ways.

// Scales every corner from the placement's reference size to width x height and makes
// that the reference size. Returns false, changing nothing, when the target size is
// not positive or a corner would not be finite.
bool RescalePlacement(EditPlacement& placement, int width, int height);

}  // namespace editwnd
