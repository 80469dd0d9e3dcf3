#include "editwnd/palette_picker.h"

#include "editwnd/colours.h"

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

PalettePicker::PalettePicker(const EditRect& popup, uint32_t button_face)
    : popup_(popup), current_(button_face), saved_(button_face) {}

void PalettePicker::SetColour(uint32_t colour) {
    current_ = colour;
    saved_ = colour;
}

void PalettePicker::Press(EditPoint p) { press_ = p; }

PickerMoveEffect PalettePicker::Move(EditPoint p, const PointerProbe& probe) {
    PickerMoveEffect effect;
    // The move that follows a press reports the press point itself.
    if (press_ && p == *press_) return effect;
    moved_ = true;
    if (probe.window_found) {
        if (!popup_.Contains(p.x, p.y)) {
            current_ = probe.pixel;
            effect.repaint_swatch = true;
        } else {
            const int x = p.x - popup_.left;
            const int y = p.y - popup_.top;
            int cell = -1;
            if (y < kPaletteGridHeight) {
                cell = PaletteCellAt(x, y);
            } else {
                // The lower area shows what the popup opened with, so moving there backs
                // out of a pick.
                current_ = saved_;
                if (probe.on_more_colours)
                    effect.release_capture = true;
                else
                    effect.arrow_wanted = true;
            }
            if (cell != selection_) {
                effect.repaint_old_cell = selection_;
                if (cell != -1) {
                    current_ = probe.pixel;
                    effect.repaint_new_cell = cell;
                }
                effect.repaint_swatch = true;
                selection_ = cell;
            }
        }
    }
    effect.post_cursor_request = true;
    return effect;
}

std::optional<uint32_t> PalettePicker::Release(EditPoint p) const {
    // A click without a move keeps the colour the popup opened with; a drag takes the
    // one under the release point.
    if (moved_ || (press_ && p == *press_)) return current_;
    return std::nullopt;
}

std::optional<uint32_t> PalettePicker::Deactivate() const {
    if (moved_) return current_;
    return std::nullopt;
}

bool UsePickingCursor(bool popup_open, bool cursor_exists, bool hit_client_area) {
    return popup_open && cursor_exists && !hit_client_area;
}

}  // namespace editwnd
