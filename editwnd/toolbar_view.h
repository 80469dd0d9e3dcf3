// The toolbar without a window: what its controls write, the width box's text, the
// colour selections and what the controls show.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "channels/edit_placement.h"
#include "editwnd/colours.h"

namespace editwnd {

// What one toolbar control writes into the placement. The outline colour is ARGB while
// the key colour and every colour the user chooses are COLORREFs (0x00BBGGRR).

enum class PlacementProperty { kOpacity, kOutlineOpacity, kOutlineWidth, kKeyColour, kOutlineColour };

struct PropertyEdit {
    PlacementProperty property = PlacementProperty::kOpacity;
    uint32_t value = 0;  // slider position, width, or COLORREF, by property
    bool operator==(const PropertyEdit&) const = default;
};

// The red, green and blue of an ARGB colour as a COLORREF.
constexpr uint32_t ColorRefFromArgb(uint32_t argb) {
    return (argb >> 16 & 0xFF) | (argb & 0xFF00) | (argb & 0xFF) << 16;
}
// argb with its red, green and blue taken from colorref; the alpha stays.
constexpr uint32_t ArgbWithColorRef(uint32_t argb, uint32_t colorref) {
    return (argb & 0xFF000000u) | (colorref & 0xFF) << 16 | (colorref & 0xFF00) | (colorref >> 16 & 0xFF);
}

// The sliders run from 0 to 255; a position outside is taken as the nearest end.
PropertyEdit ClipOpacityEdit(int position);
PropertyEdit OutlineOpacityEdit(int position);
// A width below 0 is taken as 0.
PropertyEdit OutlineWidthEdit(int width);
PropertyEdit KeyColourEdit(uint32_t colorref);
PropertyEdit OutlineColourEdit(uint32_t colorref);

void ApplyPropertyEdit(EditPlacement& placement, const PropertyEdit& edit);

// The outline width box: its text read as a width, and a width shown as text.

struct OutlineWidthEntry {
    int32_t width = 0;
    bool reset_box = false;  // the text was negative: the box is to show "0"
    bool operator==(const OutlineWidthEntry&) const = default;
};

// Read as a decimal integer the way atoi reads it: leading blanks, an optional sign,
// then digits up to the first other character; no digits read as 0. Values beyond the
// 32-bit range stop at its ends.
OutlineWidthEntry ReadOutlineWidth(std::string_view text);

std::string OutlineWidthText(int32_t width);

// The key and outline colour selections: the COLORREFs the colour buttons show and
// the colour commands start from. They follow the placement with each toolbar update;
// choosing a colour sets one and yields the edit that applies it.

class CColourSelections {
public:
    // The periodic update: the key colour, and the outline colour's red, green and blue.
    void Follow(const EditPlacement& placement);

    uint32_t key() const { return key_; }
    uint32_t outline() const { return outline_; }
    // "No Color" is checked.
    bool no_key() const { return key_ == kNoKeyColour; }

    // A swatch, or OK in "Pick Color" or the system colour dialog.
    PropertyEdit ChooseKey(uint32_t colorref);
    PropertyEdit ChooseOutline(uint32_t colorref);
    // "No Color".
    PropertyEdit ChooseNoKey() { return ChooseKey(kNoKeyColour); }
    // What a colour dialog yielded: nothing on Cancel, which changes nothing.
    std::optional<PropertyEdit> ChooseKeyFromDialog(std::optional<uint32_t> picked);
    std::optional<PropertyEdit> ChooseOutlineFromDialog(std::optional<uint32_t> picked);

private:
    uint32_t key_ = kNoKeyColour;
    uint32_t outline_ = 0;
};

// What the toolbar's property controls show for a placement: the periodic update
// (timer 12) sets the controls from this.

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
