#include "editwnd/colour_selection.h"

namespace editwnd {

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

}  // namespace editwnd
