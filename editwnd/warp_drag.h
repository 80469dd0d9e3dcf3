// Dragging a warp handle: a corner goes where the mouse is; an edge midpoint moves its
// edge parallel to itself, the edge's ends sliding along the neighbouring edges.
#pragma once

#include "channels/edit_placement.h"
#include "editwnd/edit_rect.h"

namespace editwnd {

// index: the warp handle (odd: corner (index - 1) / 2; even: an edge midpoint).
// handle: that handle as last laid out. Returns false, changing nothing, when the
// moved edge is parallel to a neighbour or a corner would not be finite.
bool DragWarpHandle(EditPlacement& placement, int index, const EditRect& handle, int x, int y);

}  // namespace editwnd
