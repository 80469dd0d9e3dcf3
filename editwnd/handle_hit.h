// Which handle, if any, a client point is on, and whether it is inside the overlay.
#pragma once

#include "channels/edit_placement.h"
#include "editwnd/handle_layout.h"

namespace editwnd {

struct HandleHit {
    HandleFamily family = HandleFamily::kNone;
    int index = 0;
    bool operator==(const HandleHit&) const = default;
};

// Index by index, inner edge before outer edge before rotation; the warp handles only
// when none of those is hit.
HandleHit HitTestHandles(const HandleLayout& layout, int x, int y);

// Inside the polygon of the stored integer corners (no default rectangle), winding rule.
bool IsInsideOverlay(const EditPlacement& placement, int x, int y);

}  // namespace editwnd
