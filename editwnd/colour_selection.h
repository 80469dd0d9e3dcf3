// The key and outline colour selections: the COLORREFs the colour buttons show and
// the colour commands start from. They follow the placement with each toolbar update;
// choosing a colour sets one and yields the edit that applies it.
#pragma once

#include <cstdint>
#include <optional>

#include "channels/edit_placement.h"
#include "editwnd/property_edit.h"

namespace editwnd {

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

}  // namespace editwnd
