// Where the colour picker's popup opens, given the button's window rectangle and the
// screen size.
#pragma once

#include "editwnd/edit_rect.h"

namespace editwnd {

// The popup's top-left corner in screen pixels: under the button, left-aligned with it,
// pulled in from the right edge and up by its own height when it would run off the
// bottom.
EditPoint PalettePopupOrigin(const EditRect& button, int screen_width, int screen_height);

}  // namespace editwnd
