// The edit window toolbar without a window: what each control writes into the
// placement, what it shows, the swatch galleries and their HSL shades.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "editwnd/colour_selection.h"
#include "editwnd/hsl_colour.h"
#include "editwnd/outline_width_text.h"
#include "editwnd/property_edit.h"
#include "editwnd/swatch_gallery.h"
#include "editwnd/toolbar_view.h"
#include "tests/edit_placements.h"

namespace editwnd {
// Readable failures for the table comparisons.
void PrintTo(const Swatch& s, std::ostream* os) { *os << std::hex << "0x" << s.colour << std::dec << " \"" << s.tooltip << '"'; }
}  // namespace editwnd

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

// ---- HSL ----------------------------------------------------------------------------

TEST(EditToolbarHsl, KnownColours) {
    const struct {
        uint32_t colorref;
        double hue, saturation, lightness;
    } cases[] = {
        {0x000000, 0, 0, 0},
        {0xFFFFFF, 0, 0, 1},
        {0x808080, 0, 0, 128 / 255.0},
        {0x0000FF, 0, 1, 0.5},      // red
        {0x00FF00, 120, 1, 0.5},    // green
        {0xFF0000, 240, 1, 0.5},    // blue
        {0x00FFFF, 60, 1, 0.5},     // yellow
        {0xFF00FF, 300, 1, 0.5},    // magenta: hue wraps below red
        {0x000080, 0, 1, 64 / 255.0},
        // 0x4D50C0: r 192, g 80, b 77; l = 269/510 > 1/2 so s = 115/(510 - 269);
        // h = 60 * (80 - 77) / 115.
        {0x4D50C0, 60 * 3 / 115.0, 115 / 241.0, 269 / 510.0},
        // 0x7D491F: r 31, g 73, b 125; l = 156/510 < 1/2 so s = 94/156;
        // h = 60 * ((31 - 73) / 94 + 4).
        {0x7D491F, 60 * (4 - 42 / 94.0), 94 / 156.0, 156 / 510.0},
    };
    for (const auto& c : cases) {
        const HslColour hsl = HslFromColorRef(c.colorref);
        EXPECT_NEAR(hsl.hue, c.hue, 1e-9) << std::hex << c.colorref;
        EXPECT_NEAR(hsl.saturation, c.saturation, 1e-9) << std::hex << c.colorref;
        EXPECT_NEAR(hsl.lightness, c.lightness, 1e-9) << std::hex << c.colorref;
        EXPECT_EQ(ColorRefFromHsl(hsl), c.colorref) << std::hex << c.colorref;
    }
}

TEST(EditToolbarHsl, RoundTripsEveryChannelAndIgnoresTheTopByte) {
    for (uint32_t r = 0; r < 256; r += 15)
        for (uint32_t g = 0; g < 256; g += 17)
            for (uint32_t b = 0; b < 256; b += 5) {
                const uint32_t c = r | g << 8 | b << 16;
                ASSERT_EQ(ColorRefFromHsl(HslFromColorRef(c)), c) << std::hex << c;
                ASSERT_EQ(ColorRefFromHsl(HslFromColorRef(c | 0xFF000000u)), c) << std::hex << c;
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
        {0xFFFFFF, 0, 0xFFFFFF},
        {0x000000, -50, 0x000000},
        {0xFFFFFF, 100, 0xFFFFFF},
        {0x4D50C0, 100, 0xFFFFFF},
        {0x4D50C0, -100, 0x000000},
        // Tan r 238 g 236 b 225, in the 0..255 scale: L 231.5, C 13, s = 13/(510 - 463).
        // -90: L 23.15, C = 46.3 * 13/47 = 12.81, r 29.55, b 16.75, g 16.75 + 12.81 * 11/13 = 27.58.
        {0xE1ECEE, -90, 0x111C1E},
        // The gallery's worked shades, in the 0..255 scale; L the lightness, C the chroma
        // (greatest minus least channel). Greys: 255 * 0.95 = 242.25, 255 * 0.65 = 165.75,
        // 127.5; 255 * 0.5, 38.25, 12.75.
        {0xFFFFFF, -5, 0xF2F2F2},
        {0xFFFFFF, -35, 0xA6A6A6},
        {0xFFFFFF, -50, 0x808080},
        {0x000000, 50, 0x808080},
        {0x000000, 15, 0x262626},
        {0x000000, 5, 0x0D0D0D},
        // Dark Blue r 31 g 73 b 125: L 78, s = 94/156. +80: L 78 + 177 * 0.8 = 219.6,
        // C = (510 - 439.2) * 94/156 = 42.66, b 240.93, r 198.27, g 198.27 + 42.66 * 42/94 = 217.33.
        // Below L 127.5 darkening scales every channel: -25 gives 23.25, 54.75, 93.75;
        // -50 gives 15.5, 36.5, 62.5, all halves, up.
        {0x7D491F, 80, 0xF1D9C6},
        {0x7D491F, -25, 0x5E3717},
        {0x7D491F, -50, 0x3F2510},
        // Blue r 79 g 129 b 189: L 134, s = 110/(510 - 268). +80: L 230.8,
        // C = 48.4 * 110/242 = 22, b 241.8, r 219.8, g 219.8 + 22 * 50/110 = 229.8.
        {0xBD814F, 80, 0xF2E6DC},
        // Red r 192 g 80 b 77: L 134.5, s = 115/241. +80: L 134.5 + 120.5 * 0.8 = 230.9,
        // C = (510 - 461.8) * 115/241 = 23, r 242.4, b 219.4, g 219.4 + 23 * 3/115 = 220.
        // -25: L 100.875, C = 201.75 * 115/241 = 96.27, r 149.01, b 52.74, g 55.25.
        {0x4D50C0, 80, 0xDBDCF2},
        {0x4D50C0, -25, 0x353795},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShadeColorRef(c.base, c.percent), c.want) << std::hex << c.base << std::dec << " " << c.percent;
}

// ---- swatch galleries -----------------------------------------------------------------

TEST(EditToolbarGallery, ThemeBaseRowAndShades) {
    const SwatchGroup theme = ThemeColours();
    EXPECT_EQ(theme.caption, "Theme Colors");
    EXPECT_EQ(theme.columns, 10);
    ASSERT_EQ(theme.swatches.size(), 60u);
    const Swatch base[10] = {
        {0xFFFFFF, "White, Background 1"}, {0x000000, "Black, Text 1"},
        {0xE1ECEE, "Tan, Background 2"},   {0x7D491F, "Dark Blue, Text 2"},
        {0xBD814F, "Blue, Accent 1"},      {0x4D50C0, "Red, Accent 2"},
        {0x59BB9B, "Olive Green, Accent 3"}, {0xA26480, "Purple, Accent 4"},
        {0xC6AC4B, "Aqua, Accent 5"},      {0x4696F7, "Orange, Accent 6"},
    };
    for (int i = 0; i < 10; ++i) EXPECT_EQ(theme.swatches[i], base[i]) << i;

    // Rows 1 to 5: each base colour shaded by its column's percent (the shade table holds
    // worked values), with the row's tooltip suffix. The six accents share their percents.
    const int percents[3][5] = {{-5, -15, -25, -35, -50}, {50, 35, 25, 15, 5}, {-10, -25, -50, -75, -90}};
    const int accents[5] = {80, 60, 40, -25, -50};
    for (int row = 1; row < 6; ++row)
        for (int col = 0; col < 10; ++col) {
            const int p = col < 3 ? percents[col][row - 1] : accents[row - 1];
            const Swatch& s = theme.swatches[row * 10 + col];
            EXPECT_EQ(s.colour, ShadeColorRef(base[col].colour, p)) << row << "," << col;
            EXPECT_EQ(s.tooltip, base[col].tooltip + (p > 0 ? ", Lighter " : ", Darker ") + std::to_string(p > 0 ? p : -p) + "%")
                << row << "," << col;
        }
}

// Which swatch the gallery marks is in the toolbar view's table.
TEST(EditToolbarGallery, StandardColours) {
    const SwatchGroup standard = StandardColours();
    EXPECT_EQ(standard.caption, "Standard Colors");
    const Swatch want[10] = {
        {0x0000C0, "Dark Red"}, {0x0000FF, "Red"},         {0x00C0FF, "Orange"},     {0x00FFFF, "Yellow"},
        {0x50D092, "Light Green"}, {0x50B000, "Green"},    {0xF0B000, "Light Blue"}, {0xC07000, "Blue"},
        {0x602000, "Dark Blue"}, {0xA03070, "Purple"},
    };
    ASSERT_EQ(standard.swatches.size(), 10u);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(standard.swatches[i], want[i]) << i;
}

// ---- what the controls write ------------------------------------------------------------

// The outline's alpha is not 0xFF, so that keeping it shows; the COLORREF conversions
// are also checked by what the toolbar view shows.
TEST(EditToolbarProperty, EachControlWritesOneField) {
    const EditPlacement start = Styled(200, 0x00FF00, 3, 0x80C8C8C8u);
    const struct {
        const char* name;
        PropertyEdit edit;
        int32_t opacity, outline_width;
        uint32_t key_colour, outline_colour;
    } cases[] = {
        {"clip opacity", ClipOpacityEdit(77), 77, 3, 0x00FF00, 0x80C8C8C8u},
        {"clip opacity 0", ClipOpacityEdit(0), 0, 3, 0x00FF00, 0x80C8C8C8u},
        {"clip opacity past the end", ClipOpacityEdit(300), 255, 3, 0x00FF00, 0x80C8C8C8u},
        {"clip opacity below 0", ClipOpacityEdit(-4), 0, 3, 0x00FF00, 0x80C8C8C8u},
        {"outline opacity 255", OutlineOpacityEdit(255), 200, 3, 0x00FF00, 0xFFC8C8C8u},
        {"outline opacity 0", OutlineOpacityEdit(0), 200, 3, 0x00FF00, 0x00C8C8C8u},
        {"outline opacity same", OutlineOpacityEdit(128), 200, 3, 0x00FF00, 0x80C8C8C8u},
        {"outline width", OutlineWidthEdit(12), 200, 12, 0x00FF00, 0x80C8C8C8u},
        {"outline width negative", OutlineWidthEdit(-7), 200, 0, 0x00FF00, 0x80C8C8C8u},
        {"key colour", KeyColourEdit(0x602000), 200, 3, 0x602000, 0x80C8C8C8u},
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
        {"12", {12, false}},
        {"0", {0, false}},
        {"-7", {0, true}},
        {"-0", {0, false}},
        {"abc", {0, false}},
        {"", {0, false}},
        {"  8", {8, false}},
        {"+5", {5, false}},
        {"12px", {12, false}},
        {"1 2", {1, false}},
        {"- 3", {0, false}},
        {"2147483647", {2147483647, false}},
        {"99999999999", {2147483647, false}},
        {"-99999999999", {0, true}},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadOutlineWidth(c.text), c.want) << '"' << c.text << '"';

    // Everyday widths are shown in the toolbar view's table; these are the ends.
    EXPECT_EQ(OutlineWidthText(2147483647), "2147483647");
    EXPECT_EQ(OutlineWidthText(-2147483647 - 1), "-2147483648");
}

// ---- selections ---------------------------------------------------------------------------

// Each choice from the selections that follow key 0x102030 and outline 0x40506070: the
// edit it yields and what the colour buttons then show. What an edit writes is in the
// property table, and what the selections follow in the toolbar view's.
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
        {"key swatch", [](auto& s) { return std::optional(s.ChooseKey(0x0000FF)); }, KeyColourEdit(0x0000FF), 0x0000FF,
         0x706050},
        {"outline swatch", [](auto& s) { return std::optional(s.ChooseOutline(0x0000FF)); },
         OutlineColourEdit(0x0000FF), 0x102030, 0x0000FF},
        {"key dialog cancelled", [](auto& s) { return s.ChooseKeyFromDialog(std::nullopt); }, std::nullopt, 0x102030,
         0x706050},
        {"outline dialog cancelled", [](auto& s) { return s.ChooseOutlineFromDialog(std::nullopt); }, std::nullopt,
         0x102030, 0x706050},
        {"key dialog", [](auto& s) { return s.ChooseKeyFromDialog(0xABCDEFu); }, KeyColourEdit(0xABCDEF), 0xABCDEF,
         0x706050},
        {"outline dialog", [](auto& s) { return s.ChooseOutlineFromDialog(0x010203u); }, OutlineColourEdit(0x010203),
         0x102030, 0x010203},
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

// ---- what the controls show ---------------------------------------------------------------

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
