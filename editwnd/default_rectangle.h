// A placement that names only its top-left corner (the other three all exactly 0) is
// shown as a rectangle of the picture's own size there. Only the display does this;
// the stored corners stay as they are.
#pragma once

#include "channels/edit_placement.h"
#include "editwnd/corner_commit.h"

namespace editwnd {

bool IsDefaultRectangle(const OverlayCorner* corners);

// The corners drawn and handled: the stored ones, or the default rectangle at c0.
CornerQuad DisplayedCorners(const EditPlacement& placement, int picture_width, int picture_height);

}  // namespace editwnd
