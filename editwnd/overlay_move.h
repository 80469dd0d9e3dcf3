// Shifting the whole overlay: by the mouse, or by a pixel with the arrow keys.
#pragma once

#include "channels/edit_placement.h"

namespace editwnd {

enum class NudgeDirection { kLeft, kUp, kRight, kDown };

// Returns false, changing nothing, when a corner would not be finite.
bool MoveOverlay(EditPlacement& placement, float dx, float dy);

bool NudgeOverlay(EditPlacement& placement, NudgeDirection direction);

}  // namespace editwnd
