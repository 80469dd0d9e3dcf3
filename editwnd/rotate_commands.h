// Turning the overlay by a half or a quarter turn about the centre of its box. Client
// y grows downward, so the clockwise turn is clockwise on screen.
#pragma once

#include "channels/edit_placement.h"

namespace editwnd {

enum class QuarterTurns { kHalf, kClockwise, kCounterClockwise };

// Returns false, changing nothing, when a corner would not be finite.
bool RotateOverlay(EditPlacement& placement, QuarterTurns turn);

}  // namespace editwnd
