// The one way an edit writes new corners: all four, and only when all are finite.
#pragma once

#include <array>

#include "channels/edit_placement.h"

namespace editwnd {

using CornerQuad = std::array<OverlayCorner, 4>;

CornerQuad CornersOf(const EditPlacement& placement);

// Returns false, leaving the placement as it was, when a corner is NaN or infinite.
bool CommitCorners(EditPlacement& placement, const CornerQuad& corners);

}  // namespace editwnd
