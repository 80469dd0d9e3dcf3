// The screen colour picker: where its popup opens and how its selection follows
// the pointer.
#pragma once

#include <cstdint>
#include <optional>

#include "editwnd/edit_rect.h"

namespace editwnd {

// Where the colour picker's popup opens, given the button's window rectangle and the
// screen size.

// The popup's top-left corner in screen pixels: under the button, left-aligned with it,
// pulled in from the right edge and up by its own height when it would run off the
// bottom.
EditPoint PalettePopupOrigin(const EditRect& button, int screen_width, int screen_height);

// The colour picker popup's selection logic, fed with the pointer events the popup sees
// while it holds the capture. Colours are COLORREFs (0x00BBGGRR); points are screen
// pixels.

// What lies on the screen under the pointer.
struct PointerProbe {
    bool window_found = false;     // some window is under the pointer
    uint32_t pixel = 0;            // its pixel there, as that window draws it
    bool on_more_colours = false;  // that window is the popup's "more colours" button
};

// What the popup window does after a move.
struct PickerMoveEffect {
    int repaint_old_cell = -1;  // -1: none
    int repaint_new_cell = -1;
    bool repaint_swatch = false;  // the swatch and the colour text
    bool release_capture = false;  // so that the "more colours" button can be clicked
    // The owner is asked to set the cursor: hit-test code client area when the arrow is
    // wanted (over the popup's lower area), none otherwise (the eyedropper).
    bool post_cursor_request = false;
    bool arrow_wanted = false;
    bool operator==(const PickerMoveEffect&) const = default;
};

class PalettePicker {
public:
    // popup: the popup's outer rectangle on the screen. Until the set-colour message the
    // current colour is the one given (the button face).
    PalettePicker(const EditRect& popup, uint32_t button_face);

    // The colour the popup opens with: both current and saved.
    void SetColour(uint32_t colour);
    void Press(EditPoint p);
    PickerMoveEffect Move(EditPoint p, const PointerProbe& probe);
    // The colour to send the owner when the popup ends here, if it does.
    std::optional<uint32_t> Release(EditPoint p) const;
    std::optional<uint32_t> Deactivate() const;

    uint32_t current() const { return current_; }
    uint32_t saved() const { return saved_; }
    int selection() const { return selection_; }
    bool moved() const { return moved_; }

private:
    EditRect popup_;
    uint32_t current_;
    uint32_t saved_;
    int selection_ = -1;
    std::optional<EditPoint> press_;
    bool moved_ = false;
};

// The owner's answer to a set-cursor request: the eyedropper only while the popup is
// open, when there is one, and not over the popup's lower area.
bool UsePickingCursor(bool popup_open, bool cursor_exists, bool hit_client_area);

}  // namespace editwnd
