// What the toolbar's property controls show for a placement: the periodic update
// (timer 12) sets the controls from this.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "channels/edit_placement.h"
#include "editwnd/colour_selection.h"
#include "editwnd/swatch_gallery.h"

namespace editwnd {

struct ToolbarView {
    int clip_opacity_position = 0;
    int outline_opacity_position = 0;
    std::string outline_width_text;
    uint32_t key_colour = kNoKeyColour;  // COLORREF the key colour button shows
    uint32_t outline_colour = 0;         // COLORREF the outline colour button shows
    bool no_color_checked = false;
    std::optional<SwatchPosition> key_swatch, outline_swatch;  // marked in 5001, 5002
    bool operator==(const ToolbarView&) const = default;
};

// Brings the selections up to the placement first, as the update does.
ToolbarView UpdateToolbar(const EditPlacement& placement, CColourSelections& selections,
                          const std::vector<SwatchGroup>& gallery);

}  // namespace editwnd
