// The edit window's picture: the frame without the item, the item's picture in its
// quadrilateral, and the outline and handles over them. Drawn off screen, so the
// window only copies the result.
#pragma once

#include "channels/edit_placement.h"
#include "editwnd/edit_handles.h"
#include "gfx/bitmap.h"

namespace editwnd {

inline constexpr gfx::Argb kHandleFill = 0xC8FF0000u;  // translucent red
inline constexpr gfx::Argb kHandleOutline = 0xFFFFFFFFu;
inline constexpr gfx::Argb kRotationLine = 0xFFFF0000u;
inline constexpr gfx::Argb kSelectionPen = 0xFFFFFFFFu;  // dashed

// Paints the client area `target`: the background (either format) stretched over it,
// the picture keyed and warped with nearest sampling into the placement's corners,
// then the decorations of `layout` in their order. A missing background or picture
// (null) leaves that layer out.
void PaintEditWindow(gfx::Bitmap& target, const gfx::Bitmap* background, const gfx::Bitmap* picture,
                     const EditPlacement& placement, const HandleLayout& layout);

}  // namespace editwnd
