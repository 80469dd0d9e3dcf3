#include "editwnd/palette_position.h"

#include "editwnd/colour_palette.h"

namespace editwnd {

EditPoint PalettePopupOrigin(const EditRect& button, int screen_width, int screen_height) {
    int left = button.left;
    if (left > screen_width - kPalettePopupWidth) left = screen_width - kPalettePopupWidth;
    if (left < 0) left = 0;
    // One pixel up so that the popup overlaps the button's bottom edge; near the bottom
    // it is lifted by its height rather than clamped.
    int top = button.bottom - 1;
    if (top > screen_height - kPalettePopupHeight) top -= kPalettePopupHeight;
    return {left, top};
}

}  // namespace editwnd
