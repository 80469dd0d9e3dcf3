// Moving the corners between pixel spaces: the item's reference size and the client
// size of the window, both ways.
#pragma once

#include "channels/edit_placement.h"

namespace editwnd {

// Scales every corner from the placement's reference size to width x height and makes
// that the reference size. Returns false, changing nothing, when the target size is
// not positive or a corner would not be finite.
bool RescalePlacement(EditPlacement& placement, int width, int height);

}  // namespace editwnd
