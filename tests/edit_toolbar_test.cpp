// The edit window toolbar without a window: what each control writes into the
// placement, what it shows, the swatch galleries and their HSL shades.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "editwnd/colour_selection.h"
#include "editwnd/edit_messages.h"
#include "editwnd/hsl_colour.h"
#include "editwnd/outline_width_text.h"
#include "editwnd/overlay_edit_model.h"
#include "editwnd/property_edit.h"
#include "editwnd/swatch_gallery.h"
#include "editwnd/toolbar_view.h"
#include "tests/edit_placements.h"

namespace editwnd {
// Readable failures for the table comparisons.
void PrintTo(const Swatch& s, std::ostream* os) { *os << std::hex << "0x" << s.colour << std::dec << " \"" << s.tooltip << '"'; }
void PrintTo(const SwatchPosition& p, std::ostream* os) { *os << "group " << p.group << " index " << p.index; }
}  // namespace editwnd

using namespace editwnd;

namespace {

void ExpectSamePlacement(const EditPlacement& a, const EditPlacement& b) {
    test::ExpectCorners(a, test::CornersOf(b));
    EXPECT_EQ(a.reference_width, b.reference_width);
    EXPECT_EQ(a.reference_height, b.reference_height);
    EXPECT_EQ(a.opacity, b.opacity);
    EXPECT_EQ(a.key_colour, b.key_colour);
    EXPECT_EQ(a.outline_width, b.outline_width);
    EXPECT_EQ(a.outline_colour, b.outline_colour);
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

// Channels are rounded to nearest, halves up; the galleries' test holds the worked cases.
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

    const struct {
        int row, column;
        Swatch want;
    } shades[] = {
        // Worked in the 0..255 scale, rounded to nearest with halves up; L the lightness,
        // C the chroma (greatest minus least channel). Greys: 255 * 0.95 = 242.25,
        // 255 * 0.65 = 165.75, 127.5; 255 * 0.5, 38.25, 12.75.
        {1, 0, {0xF2F2F2, "White, Background 1, Darker 5%"}},
        {4, 0, {0xA6A6A6, "White, Background 1, Darker 35%"}},
        {5, 0, {0x808080, "White, Background 1, Darker 50%"}},
        {1, 1, {0x808080, "Black, Text 1, Lighter 50%"}},
        {4, 1, {0x262626, "Black, Text 1, Lighter 15%"}},
        {5, 1, {0x0D0D0D, "Black, Text 1, Lighter 5%"}},
        // Dark Blue r 31 g 73 b 125: L 78, s = 94/156. +80: L 78 + 177 * 0.8 = 219.6,
        // C = (510 - 439.2) * 94/156 = 42.66, b 240.93, r 198.27, g 198.27 + 42.66 * 42/94 = 217.33.
        // Below L 127.5 darkening scales every channel: -25 gives 23.25, 54.75, 93.75;
        // -50 gives 15.5, 36.5, 62.5, all halves, up.
        {1, 3, {0xF1D9C6, "Dark Blue, Text 2, Lighter 80%"}},
        {4, 3, {0x5E3717, "Dark Blue, Text 2, Darker 25%"}},
        {5, 3, {0x3F2510, "Dark Blue, Text 2, Darker 50%"}},
        // Blue r 79 g 129 b 189: L 134, s = 110/(510 - 268). +80: L 230.8,
        // C = 48.4 * 110/242 = 22, b 241.8, r 219.8, g 219.8 + 22 * 50/110 = 229.8.
        {1, 4, {0xF2E6DC, "Blue, Accent 1, Lighter 80%"}},
        // Red r 192 g 80 b 77: L 134.5, s = 115/241. +80: L 134.5 + 120.5 * 0.8 = 230.9,
        // C = (510 - 461.8) * 115/241 = 23, r 242.4, b 219.4, g 219.4 + 23 * 3/115 = 220.
        // -25: L 100.875, C = 201.75 * 115/241 = 96.27, r 149.01, b 52.74, g 55.25.
        {1, 5, {0xDBDCF2, "Red, Accent 2, Lighter 80%"}},
        {4, 5, {0x353795, "Red, Accent 2, Darker 25%"}},
    };
    for (const auto& s : shades) EXPECT_EQ(theme.swatches[s.row * 10 + s.column], s.want) << s.row << "," << s.column;

    // Every other shade carries the formula's colour and its row's tooltip suffix.
    const int percents[10][5] = {{-5, -15, -25, -35, -50}, {50, 35, 25, 15, 5}, {-10, -25, -50, -75, -90},
                                 {80, 60, 40, -25, -50},   {80, 60, 40, -25, -50}, {80, 60, 40, -25, -50},
                                 {80, 60, 40, -25, -50},   {80, 60, 40, -25, -50}, {80, 60, 40, -25, -50},
                                 {80, 60, 40, -25, -50}};
    for (int row = 1; row < 6; ++row)
        for (int col = 0; col < 10; ++col) {
            const int p = percents[col][row - 1];
            const Swatch& s = theme.swatches[row * 10 + col];
            EXPECT_EQ(s.colour, ShadeColorRef(base[col].colour, p)) << row << "," << col;
            EXPECT_EQ(s.tooltip, base[col].tooltip + (p > 0 ? ", Lighter " : ", Darker ") + std::to_string(p > 0 ? p : -p) + "%")
                << row << "," << col;
        }
}

TEST(EditToolbarGallery, StandardColoursAndMarking) {
    const SwatchGroup standard = StandardColours();
    EXPECT_EQ(standard.caption, "Standard Colors");
    const Swatch want[10] = {
        {0x0000C0, "Dark Red"}, {0x0000FF, "Red"},         {0x00C0FF, "Orange"},     {0x00FFFF, "Yellow"},
        {0x50D092, "Light Green"}, {0x50B000, "Green"},    {0xF0B000, "Light Blue"}, {0xC07000, "Blue"},
        {0x602000, "Dark Blue"}, {0xA03070, "Purple"},
    };
    ASSERT_EQ(standard.swatches.size(), 10u);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(standard.swatches[i], want[i]) << i;

    const auto gallery = ColourGallery();
    ASSERT_EQ(gallery.size(), 2u);
    const struct {
        uint32_t colour;
        std::optional<SwatchPosition> marked;
    } marks[] = {
        {0xFFFFFF, SwatchPosition{0, 0}},
        {0x0000FF, SwatchPosition{1, 1}},
        {0xA03070, SwatchPosition{1, 9}},
        {0x353795, SwatchPosition{0, 45}},
        {0xFFFFFFFF, std::nullopt},  // "No Color" is not white
        {0x123456, std::nullopt},
    };
    for (const auto& m : marks) EXPECT_EQ(FindSwatch(gallery, m.colour), m.marked) << std::hex << m.colour;
}

// ---- what the controls write ------------------------------------------------------------

TEST(EditToolbarProperty, ColorRefAndArgb) {
    EXPECT_EQ(ColorRefFromArgb(0x80FF0000u), 0x0000FFu);
    EXPECT_EQ(ColorRefFromArgb(0xFF123456u), 0x563412u);
    EXPECT_EQ(ArgbWithColorRef(0x80C8C8C8u, 0x0000FF), 0x80FF0000u);
    EXPECT_EQ(ArgbWithColorRef(0x00000000u, 0x563412), 0x00123456u);
    EXPECT_EQ(ArgbWithColorRef(0x7F000000u, 0xFF563412u), 0x7F123456u);  // the COLORREF's top byte is no alpha
}

TEST(EditToolbarProperty, EachControlWritesOneField) {
    const EditPlacement start = [] {
        EditPlacement p = test::BoxPlacement(10, 20, 110, 70);
        p.opacity = 200;
        p.key_colour = 0x00FF00;
        p.outline_width = 3;
        p.outline_colour = 0xFFC8C8C8u;
        return p;
    }();
    const struct {
        const char* name;
        PropertyEdit edit;
        int32_t opacity, outline_width;
        uint32_t key_colour, outline_colour;
    } cases[] = {
        {"clip opacity", ClipOpacityEdit(77), 77, 3, 0x00FF00, 0xFFC8C8C8u},
        {"clip opacity 0", ClipOpacityEdit(0), 0, 3, 0x00FF00, 0xFFC8C8C8u},
        {"clip opacity past the end", ClipOpacityEdit(300), 255, 3, 0x00FF00, 0xFFC8C8C8u},
        {"clip opacity below 0", ClipOpacityEdit(-4), 0, 3, 0x00FF00, 0xFFC8C8C8u},
        {"outline opacity 128", OutlineOpacityEdit(128), 200, 3, 0x00FF00, 0x80C8C8C8u},
        {"outline opacity 0", OutlineOpacityEdit(0), 200, 3, 0x00FF00, 0x00C8C8C8u},
        {"outline opacity same", OutlineOpacityEdit(255), 200, 3, 0x00FF00, 0xFFC8C8C8u},
        {"outline width", OutlineWidthEdit(12), 200, 12, 0x00FF00, 0xFFC8C8C8u},
        {"outline width negative", OutlineWidthEdit(-7), 200, 0, 0x00FF00, 0xFFC8C8C8u},
        {"key colour", KeyColourEdit(0x602000), 200, 3, 0x602000, 0xFFC8C8C8u},
        {"no key colour", KeyColourEdit(kNoKeyColour), 200, 3, 0xFFFFFFFFu, 0xFFC8C8C8u},
        {"outline colour", OutlineColourEdit(0x0000FF), 200, 3, 0x00FF00, 0xFFFF0000u},
    };
    for (const auto& c : cases) {
        EditPlacement p = start;
        ApplyPropertyEdit(p, c.edit);
        EditPlacement want = start;
        want.opacity = c.opacity;
        want.outline_width = c.outline_width;
        want.key_colour = c.key_colour;
        want.outline_colour = c.outline_colour;
        SCOPED_TRACE(c.name);
        ExpectSamePlacement(p, want);
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

    const struct {
        int32_t width;
        const char* text;
    } shown[] = {{0, "0"}, {12, "12"}, {-3, "-3"}, {2147483647, "2147483647"}, {-2147483647 - 1, "-2147483648"}};
    for (const auto& s : shown) EXPECT_EQ(OutlineWidthText(s.width), s.text) << s.width;
}

// ---- selections ---------------------------------------------------------------------------

TEST(EditToolbarSelection, NoColorThenSwatch) {
    EditPlacement p = test::BoxPlacement(0, 0, 10, 10);
    p.key_colour = 0x00C0FF;
    CColourSelections sel;
    sel.Follow(p);
    EXPECT_EQ(sel.key(), 0x00C0FFu);
    EXPECT_FALSE(sel.no_key());

    ApplyPropertyEdit(p, sel.ChooseNoKey());
    EXPECT_EQ(p.key_colour, 0xFFFFFFFFu);
    EXPECT_EQ(sel.key(), 0xFFFFFFFFu);
    EXPECT_TRUE(sel.no_key());

    ApplyPropertyEdit(p, sel.ChooseKey(StandardColours().swatches[1].colour));  // "Red"
    EXPECT_EQ(p.key_colour, 0x0000FFu);
    EXPECT_EQ(sel.key(), 0x0000FFu);
    EXPECT_FALSE(sel.no_key());
}

TEST(EditToolbarSelection, OutlineSwatchKeepsAlpha) {
    EditPlacement p = test::BoxPlacement(0, 0, 10, 10);
    p.outline_colour = 0xFFC8C8C8u;
    CColourSelections sel;
    sel.Follow(p);
    EXPECT_EQ(sel.outline(), 0xC8C8C8u);
    ApplyPropertyEdit(p, OutlineOpacityEdit(128));
    EXPECT_EQ(p.outline_colour, 0x80C8C8C8u);
    ApplyPropertyEdit(p, sel.ChooseOutline(0x0000FF));
    EXPECT_EQ(p.outline_colour, 0x80FF0000u);
    EXPECT_EQ(sel.outline(), 0x0000FFu);
    sel.Follow(p);
    EXPECT_EQ(sel.outline(), 0x0000FFu);
}

TEST(EditToolbarSelection, DialogCancelYieldsNothing) {
    CColourSelections sel;
    EditPlacement p = test::BoxPlacement(0, 0, 10, 10);
    p.key_colour = 0x102030;
    p.outline_colour = 0x40506070u;
    sel.Follow(p);
    EXPECT_EQ(sel.ChooseKeyFromDialog(std::nullopt), std::nullopt);
    EXPECT_EQ(sel.ChooseOutlineFromDialog(std::nullopt), std::nullopt);
    EXPECT_EQ(sel.key(), 0x102030u);
    EXPECT_EQ(sel.outline(), 0x706050u);
    EXPECT_EQ(sel.ChooseKeyFromDialog(0xABCDEFu), KeyColourEdit(0xABCDEF));
    EXPECT_EQ(sel.ChooseOutlineFromDialog(0x010203u), OutlineColourEdit(0x010203));
    EXPECT_EQ(sel.key(), 0xABCDEFu);
    EXPECT_EQ(sel.outline(), 0x010203u);
}

// ---- what the controls show ---------------------------------------------------------------

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
        {400, 7, 0x123456, 0x01002060u, {255, 1, "7", 0x123456, 0x602000, false, std::nullopt, SwatchPosition{1, 8}}},
    };
    for (const auto& c : cases) {
        EditPlacement p = test::BoxPlacement(0, 0, 10, 10);
        p.opacity = c.opacity;
        p.outline_width = c.outline_width;
        p.key_colour = c.key_colour;
        p.outline_colour = c.outline_colour;
        const EditPlacement before = p;
        CColourSelections sel;
        sel.ChooseKey(0x111111);
        sel.ChooseOutline(0x222222);
        EXPECT_EQ(UpdateToolbar(p, sel, gallery), c.want) << c.opacity;
        EXPECT_EQ(sel.key(), c.want.key_colour);
        EXPECT_EQ(sel.outline(), c.want.outline_colour);
        ExpectSamePlacement(p, before);
    }
}

// ---- through the model: the toolbar's edits reach the undo history ---------------------------

TEST(EditToolbarModel, AnEditIsOneUndoStep) {
    COverlayEditModel model;
    model.Open(test::BoxPlacement(100, 100, 300, 200), 10, 10);
    model.OnSize(320, 240);
    ASSERT_EQ(model.history().UndoDepth(), 1u);
    const EditPlacement base = model.placement();

    EXPECT_TRUE(model.ApplyProperty(OutlineOpacityEdit(128)).repaint);
    EXPECT_TRUE(model.changed());
    EXPECT_EQ(model.placement().outline_colour, 0x80C8C8C8u);
    model.OnSnapshotTimer();
    EXPECT_FALSE(model.changed());
    EXPECT_EQ(model.history().UndoDepth(), 2u);

    // Setting the value already held still counts, as any control's change does.
    model.ApplyProperty(OutlineOpacityEdit(128));
    EXPECT_TRUE(model.changed());
    model.OnSnapshotTimer();
    EXPECT_EQ(model.history().UndoDepth(), 3u);

    // A wider outline moves the outer box at once.
    const EditRect outer = model.layout().outer_box;
    model.ApplyProperty(OutlineWidthEdit(12));
    EXPECT_EQ(model.layout().outer_box, outer.Inflated(10));
    model.OnSnapshotTimer();

    EXPECT_TRUE(model.OnCommand(kCommandUndo).repaint);
    EXPECT_EQ(model.placement().outline_width, 2);
    EXPECT_EQ(model.layout().outer_box, outer);
    model.OnCommand(kCommandUndo);
    model.OnCommand(kCommandUndo);
    ExpectSamePlacement(model.placement(), base);
    EXPECT_FALSE(model.changed());
}

}  // namespace
