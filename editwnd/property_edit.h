// What one toolbar control writes into the placement. The outline colour is ARGB while
// the key colour and every colour the user chooses are COLORREFs (0x00BBGGRR).
#pragma once

#include <cstdint>

#include "channels/edit_placement.h"

namespace editwnd {

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

}  // namespace editwnd
