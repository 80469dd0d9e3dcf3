#include "editwnd/toolbar_view.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "gfx/bitmap.h"

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

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

OutlineWidthEntry ReadOutlineWidth(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // The magnitude saturates just past the 32-bit range; a negative one only needs to be seen.
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        if (magnitude < kLimit) magnitude = std::min<int64_t>(magnitude * 10 + (text[i] - '0'), kLimit);
    if (negative) return {0, magnitude != 0};
    return {static_cast<int32_t>(std::min<int64_t>(magnitude, kLimit - 1)), false};
}

std::string OutlineWidthText(int32_t width) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(width));
    return text;
}

void CColourSelections::Follow(const EditPlacement& placement) {
    key_ = placement.key_colour;
    outline_ = ColorRefFromArgb(placement.outline_colour);
}

PropertyEdit CColourSelections::ChooseKey(uint32_t colorref) {
    key_ = colorref;
    return KeyColourEdit(key_);
}

PropertyEdit CColourSelections::ChooseOutline(uint32_t colorref) {
    outline_ = colorref;
    return OutlineColourEdit(outline_);
}

std::optional<PropertyEdit> CColourSelections::ChooseKeyFromDialog(std::optional<uint32_t> picked) {
    if (!picked) return std::nullopt;
    return ChooseKey(*picked);
}

std::optional<PropertyEdit> CColourSelections::ChooseOutlineFromDialog(std::optional<uint32_t> picked) {
    if (!picked) return std::nullopt;
    return ChooseOutline(*picked);
}

ToolbarView UpdateToolbar(const EditPlacement& placement, CColourSelections& selections,
                          const std::vector<SwatchGroup>& gallery) {
    selections.Follow(placement);
    ToolbarView view;
    // A slider cannot show a value beyond its range; the placement may hold one.
    view.clip_opacity_position = std::clamp(static_cast<int>(placement.opacity), 0, 255);
    view.outline_opacity_position = gfx::AlphaOf(placement.outline_colour);
    view.outline_width_text = OutlineWidthText(placement.outline_width);
    view.key_colour = selections.key();
    view.outline_colour = selections.outline();
    view.no_color_checked = selections.no_key();
    view.key_swatch = FindSwatch(gallery, selections.key());
    view.outline_swatch = FindSwatch(gallery, selections.outline());
    return view;
}

}  // namespace editwnd
