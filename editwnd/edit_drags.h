// What dragging the overlay or one of its handles does to the placement.
#pragma once

#include "channels/edit_placement.h"
#include "editwnd/edit_rect.h"

namespace editwnd {

// Shifting the whole overlay: by the mouse, or by a pixel with the arrow keys.

enum class NudgeDirection { kLeft, kUp, kRight, kDown };

// Returns false, changing nothing, when a corner would not be finite.
bool MoveOverlay(EditPlacement& placement, float dx, float dy);

bool NudgeOverlay(EditPlacement& placement, NudgeDirection direction);

// Dragging a warp handle: a corner goes where the mouse is; an edge midpoint moves its
// edge parallel to itself, the edge's ends sliding along the neighbouring edges.

// index: the warp handle (odd: corner (index - 1) / 2; even: an edge midpoint).
// handle: that handle as last laid out. Returns false, changing nothing, when the
// moved edge is parallel to a neighbour or a corner would not be finite.
bool DragWarpHandle(EditPlacement& placement, int index, const EditRect& handle, int x, int y);

// Dragging the edge handles: the inner ones resize the overlay uniformly about the
// opposite side of its box, the outer ones set the outline width.

// How far (x, y) lies outside the given edge of the box (0 left, 1 top, 2 right,
// 3 bottom); negative when inside.
int OutwardDistance(const EditRect& box, int edge, int x, int y);

// Returns false, changing nothing, when the drag cannot be applied.
bool DragInnerEdge(EditPlacement& placement, int edge, int x, int y);

// The outline width grows by how far the mouse is outside the outer box, and never
// goes below 0.
void DragOuterEdge(EditPlacement& placement, int edge, int x, int y);

// Dragging a rotation handle turns the overlay about the centre of its box by the
// angle between the handle and the mouse.

// handle: the dragged rotation handle as last laid out. Returns false, changing
// nothing, when the handle or the mouse is on the centre.
bool DragRotation(EditPlacement& placement, const EditRect& handle, int x, int y);

}  // namespace editwnd
