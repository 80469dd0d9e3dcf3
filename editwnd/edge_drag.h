// Dragging the edge handles: the inner ones resize the overlay uniformly about the
// opposite side of its box, the outer ones set the outline width.
#pragma once

#include "channels/edit_placement.h"
#include "editwnd/edit_rect.h"

namespace editwnd {

// How far (x, y) lies outside the given edge of the box (0 left, 1 top, 2 right,
// 3 bottom); negative when inside.
int OutwardDistance(const EditRect& box, int edge, int x, int y);

// Returns false, changing nothing, when the drag cannot be applied.
bool DragInnerEdge(EditPlacement& placement, int edge, int x, int y);

// The outline width grows by how far the mouse is outside the outer box, and never
// goes below 0.
void DragOuterEdge(EditPlacement& placement, int edge, int x, int y);

}  // namespace editwnd
