// Dragging a rotation handle turns the overlay about the centre of its box by the
// angle between the handle and the mouse.
#pragma once

#include "channels/edit_placement.h"
#include "editwnd/edit_rect.h"

namespace editwnd {

// handle: the dragged rotation handle as last laid out. Returns false, changing
// nothing, when the handle or the mouse is on the centre.
bool DragRotation(EditPlacement& placement, const EditRect& handle, int x, int y);

}  // namespace editwnd
