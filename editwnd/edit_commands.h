// The context menu's commands on the placement: quarter turns and enlarging.
#pragma once

#include "channels/edit_placement.h"

namespace editwnd {

// Turning the overlay by a half or a quarter turn about the centre of its box. Client
// y grows downward, so the clockwise turn is clockwise on screen.

enum class QuarterTurns { kHalf, kClockwise, kCounterClockwise };

// Returns false, changing nothing, when a corner would not be finite.
bool RotateOverlay(EditPlacement& placement, QuarterTurns turn);

// Scaling the overlay's box to fill the client area, freely or keeping its aspect, and
// centring it there.

// Both return false, changing nothing, when the box has no width or height or a corner
// would not be finite.
bool EnlargeToFullScreen(EditPlacement& placement, int client_width, int client_height);
bool EnlargeKeepingAspect(EditPlacement& placement, int client_width, int client_height);

}  // namespace editwnd
