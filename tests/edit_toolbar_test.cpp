// The edit window toolbar without a window: HSL shades, the limits of what each control
// writes into the placement, and the width box's text. Plain choices and what the
// controls show are the window suite's.
#include <gtest/gtest.h>

#include <cstdint>
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

// Shades go through HSL and back. Channels are rounded to nearest, halves up.
TEST(EditToolbarHsl, Shades) {
    const struct {
        uint32_t base;
        int percent;
        uint32_t want;
    } cases[] = {
        {0x4D50C0, 0, 0x4D50C0},  // identity
        {0xFF00FF, -50, 0x800080},  // magenta: its hue wraps below red
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

// The outline's alpha is not 0xFF, so that keeping it shows. The plain writes are the
// window suite's; here the limits.
TEST(EditToolbarProperty, EachControlWritesOneField) {
    const EditPlacement start = Styled(200, 0x00FF00, 3, 0x80C8C8C8u);
    const struct {
        const char* name;
        PropertyEdit edit;
        int32_t opacity, outline_width;
        uint32_t key_colour, outline_colour;
    } cases[] = {
        {"clip opacity past the end", ClipOpacityEdit(300), 255, 3, 0x00FF00, 0x80C8C8C8u},
        {"outline opacity", OutlineOpacityEdit(255), 200, 3, 0x00FF00, 0xFFC8C8C8u},
        {"outline width negative", OutlineWidthEdit(-7), 200, 0, 0x00FF00, 0x80C8C8C8u},
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
        {"-7", {0, true}}, {"abc", {0, false}}, {"  8", {8, false}}, {"12px", {12, false}},
        {"99999999999", {2147483647, false}},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadOutlineWidth(c.text), c.want) << '"' << c.text << '"';
    EXPECT_EQ(OutlineWidthText(-2147483647 - 1), "-2147483648");
}

}  // namespace
