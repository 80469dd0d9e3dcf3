#include "editwnd/property_edit.h"

#include <algorithm>

namespace editwnd {

namespace {

uint32_t SliderValue(int position) { return static_cast<uint32_t>(std::clamp(position, 0, 255)); }

}  // namespace

PropertyEdit ClipOpacityEdit(int position) { return {PlacementProperty::kOpacity, SliderValue(position)}; }
PropertyEdit OutlineOpacityEdit(int position) { return {PlacementProperty::kOutlineOpacity, SliderValue(position)}; }
PropertyEdit OutlineWidthEdit(int width) {
    return {PlacementProperty::kOutlineWidth, static_cast<uint32_t>(std::max(width, 0))};
}
PropertyEdit KeyColourEdit(uint32_t colorref) { return {PlacementProperty::kKeyColour, colorref}; }
PropertyEdit OutlineColourEdit(uint32_t colorref) { return {PlacementProperty::kOutlineColour, colorref}; }

void ApplyPropertyEdit(EditPlacement& placement, const PropertyEdit& edit) {
    switch (edit.property) {
        case PlacementProperty::kOpacity: placement.opacity = static_cast<int32_t>(edit.value); break;
        case PlacementProperty::kOutlineOpacity:
            placement.outline_colour = (placement.outline_colour & 0x00FFFFFFu) | (edit.value & 0xFF) << 24;
            break;
        case PlacementProperty::kOutlineWidth: placement.outline_width = static_cast<int32_t>(edit.value); break;
        case PlacementProperty::kKeyColour: placement.key_colour = edit.value; break;
        case PlacementProperty::kOutlineColour:
            placement.outline_colour = ArgbWithColorRef(placement.outline_colour, edit.value);
            break;
    }
}

}  // namespace editwnd
