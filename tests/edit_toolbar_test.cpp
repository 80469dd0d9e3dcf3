// The edit window toolbar without a window: HSL shades, what each control writes into
// the placement, the width box's text, the colour selections and what the toolbar shows.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "editwnd/colours.h"
#include "editwnd/toolbar_view.h"
#include "tests/edit_placements.h"

using namespace editwnd;

namespace {

// A box with the fields the toolbar edits.
EditPlacement Styled(int32_t opacity, uint32_t key_colour, int32_t outline_width, uint32_t outline_colour) {
    EditPlacement p = test::BoxPlacement(10, 20, 110, 70);
    p.opacity = opacity;
    p.key_colour = key_colour;
    p.outline_width = outline_width;
    p.outline_colour = outline_colour;
    return p;
}

TEST(EditToolbarHsl, KnownColoursRoundTrip) {
    const struct {
        uint32_t colorref;
        double hue, saturation, lightness;
    } cases[] = {
        {0x000000, 0, 0, 0},
        {0xFFFFFF, 0, 0, 1},
        {0xFF00FF, 300, 1, 0.5},  // magenta: hue wraps below red
        // r 192, g 80, b 77; l = 269/510 > 1/2 so s = 115/(510 - 269); h = 60 * 3 / 115.
        {0x4D50C0, 60 * 3 / 115.0, 115 / 241.0, 269 / 510.0},
        // r 31, g 73, b 125; l = 156/510 < 1/2 so s = 94/156; h = 60 * ((31 - 73) / 94 + 4).
        {0x7D491F, 60 * (4 - 42 / 94.0), 94 / 156.0, 156 / 510.0},
    };
    for (const auto& c : cases) {
        const HslColour hsl = HslFromColorRef(c.colorref | 0xFF000000u);  // the top byte is no colour
        EXPECT_NEAR(hsl.hue, c.hue, 1e-9) << std::hex << c.colorref;
        EXPECT_NEAR(hsl.saturation, c.saturation, 1e-9) << std::hex << c.colorref;
        EXPECT_NEAR(hsl.lightness, c.lightness, 1e-9) << std::hex << c.colorref;
        EXPECT_EQ(ColorRefFromHsl(hsl), c.colorref) << std::hex << c.colorref;
    }
}

// Channels are rounded to nearest, halves up.
TEST(EditToolbarHsl, Shades) {
    const struct {
        uint32_t base;
        int percent;
        uint32_t want;
    } cases[] = {
        {0x4D50C0, 0, 0x4D50C0},  // identity
        {0x4D50C0, 100, 0xFFFFFF},
        {0x4D50C0, -100, 0x000000},
        // Tan r 238 g 236 b 225, in the 0..255 scale: L 231.5, C 13, s = 13/(510 - 463).
        // -90: L 23.15, C = 46.3 * 13/47 = 12.81, r 29.55, b 16.75, g 16.75 + 12.81 * 11/13 = 27.58.
        {0xE1ECEE, -90, 0x111C1E},
        // Below L 127.5 darkening scales every channel: r 31 g 73 b 125 at -50 gives
        // 15.5, 36.5, 62.5, all halves, up.
        {0x7D491F, -50, 0x3F2510},
        // r 192 g 80 b 77: L 134.5, s = 115/241. +80: L 230.9, C = (510 - 461.8) * 115/241
        // = 23, r 242.4, b 219.4, g 219.4 + 23 * 3/115 = 220.
        {0x4D50C0, 80, 0xDBDCF2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShadeColorRef(c.base, c.percent), c.want) << std::hex << c.base << std::dec << " " << c.percent;
}

// The outline's alpha is not 0xFF, so that keeping it shows.
TEST(EditToolbarProperty, EachControlWritesOneField) {
    const EditPlacement start = Styled(200, 0x00FF00, 3, 0x80C8C8C8u);
    const struct {
        const char* name;
        PropertyEdit edit;
        int32_t opacity, outline_width;
        uint32_t key_colour, outline_colour;
    } cases[] = {
        {"clip opacity", ClipOpacityEdit(77), 77, 3, 0x00FF00, 0x80C8C8C8u},
        {"clip opacity past the end", ClipOpacityEdit(300), 255, 3, 0x00FF00, 0x80C8C8C8u},
        {"clip opacity below 0", ClipOpacityEdit(-4), 0, 3, 0x00FF00, 0x80C8C8C8u},
        {"outline opacity", OutlineOpacityEdit(255), 200, 3, 0x00FF00, 0xFFC8C8C8u},
        {"outline width", OutlineWidthEdit(12), 200, 12, 0x00FF00, 0x80C8C8C8u},
        {"outline width negative", OutlineWidthEdit(-7), 200, 0, 0x00FF00, 0x80C8C8C8u},
        {"no key colour", KeyColourEdit(kNoKeyColour), 200, 3, 0xFFFFFFFFu, 0x80C8C8C8u},
        // The alpha stays; the COLORREF's top byte is no alpha.
        {"outline colour", OutlineColourEdit(0xFF563412u), 200, 3, 0x00FF00, 0x80123456u},
    };
    for (const auto& c : cases) {
        EditPlacement p = start;
        ApplyPropertyEdit(p, c.edit);
        SCOPED_TRACE(c.name);
        test::ExpectSamePlacement(p, Styled(c.opacity, c.key_colour, c.outline_width, c.outline_colour));
    }
}

TEST(EditToolbarProperty, OutlineWidthText) {
    const struct {
        const char* text;
        OutlineWidthEntry want;
    } cases[] = {
        {"12", {12, false}},  {"-7", {0, true}},   {"-0", {0, false}},
        {"abc", {0, false}},  {"  8", {8, false}}, {"12px", {12, false}},
        {"99999999999", {2147483647, false}},      {"-99999999999", {0, true}},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadOutlineWidth(c.text), c.want) << '"' << c.text << '"';
    EXPECT_EQ(OutlineWidthText(-2147483647 - 1), "-2147483648");
}

// Each choice from the selections that follow key 0x102030 and outline 0x40506070: the
// edit it yields and what the colour buttons then show.
TEST(EditToolbarSelection, EachChoiceSetsOneSelectionAndYieldsItsEdit) {
    using Choice = std::optional<PropertyEdit> (*)(CColourSelections&);
    const struct {
        const char* what;
        Choice choose;
        std::optional<PropertyEdit> edit;
        uint32_t key, outline;
    } cases[] = {
        {"No Color", [](auto& s) { return std::optional(s.ChooseNoKey()); }, KeyColourEdit(kNoKeyColour), kNoKeyColour,
         0x706050},
        {"outline swatch", [](auto& s) { return std::optional(s.ChooseOutline(0x0000FF)); },
         OutlineColourEdit(0x0000FF), 0x102030, 0x0000FF},
        {"key dialog cancelled", [](auto& s) { return s.ChooseKeyFromDialog(std::nullopt); }, std::nullopt, 0x102030,
         0x706050},
        {"key dialog", [](auto& s) { return s.ChooseKeyFromDialog(0xABCDEFu); }, KeyColourEdit(0xABCDEF), 0xABCDEF,
         0x706050},
    };
    const EditPlacement p = Styled(255, 0x102030, 2, 0x40506070u);
    for (const auto& c : cases) {
        CColourSelections sel;
        sel.Follow(p);
        EXPECT_EQ(c.choose(sel), c.edit) << c.what;
        EXPECT_EQ(sel.key(), c.key) << c.what;
        EXPECT_EQ(sel.outline(), c.outline) << c.what;
    }
}

// Also the swatch marked for a colour: the first of the theme, one of its shades, the
// standard red and the last standard swatch, and none for "No Color" or a colour in no
// swatch.
TEST(EditToolbarView, FollowsThePlacement) {
    const auto gallery = ColourGallery();
    const struct {
        int32_t opacity, outline_width;
        uint32_t key_colour, outline_colour;
        ToolbarView want;
    } cases[] = {
        {255, 2, 0xFFFFFFFFu, 0xFFC8C8C8u,
         {255, 255, "2", 0xFFFFFFFFu, 0xC8C8C8, true, std::nullopt, std::nullopt}},
        {0, 0, 0xFFFFFF, 0x80FF0000u, {0, 128, "0", 0xFFFFFF, 0x0000FF, false, SwatchPosition{0, 0}, SwatchPosition{1, 1}}},
        {128, -5, 0x353795, 0x00602000u,
         {128, 0, "-5", 0x353795, 0x002060, false, SwatchPosition{0, 45}, std::nullopt}},
        {400, 7, 0x123456, 0x017030A0u, {255, 1, "7", 0x123456, 0xA03070, false, std::nullopt, SwatchPosition{1, 9}}},
    };
    for (const auto& c : cases) {
        const EditPlacement p = Styled(c.opacity, c.key_colour, c.outline_width, c.outline_colour);
        const EditPlacement before = p;
        CColourSelections sel;
        sel.ChooseKey(0x111111);
        sel.ChooseOutline(0x222222);
        EXPECT_EQ(UpdateToolbar(p, sel, gallery), c.want) << c.opacity;
        EXPECT_EQ(sel.key(), c.want.key_colour);
        EXPECT_EQ(sel.outline(), c.want.outline_colour);
        test::ExpectSamePlacement(p, before);
    }
}

}  // namespace
