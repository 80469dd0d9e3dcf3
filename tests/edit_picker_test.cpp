// The screen colour picker's portable parts: the palette grid, where the popup opens
// and the selection logic. The eyedropper cursor's pattern is the code's own table.
#include <gtest/gtest.h>

#include <utility>

#include "editwnd/colours.h"
#include "editwnd/palette_picker.h"

using namespace editwnd;

namespace {

TEST(EditPicker, ColourTextIsRedGreenBlue) { EXPECT_EQ(ColourText(0x00336699), "#996633"); }

TEST(EditPicker, GridColours) {
    const struct {
        int cell;
        uint32_t want;  // 0x00BBGGRR
    } cases[] = {
        {0, 0xFFFFFF},          // greys down column 0
        {10 * 19, 0x171717},    // 23, not 25
        {20, 0x330000},         // m = 1: blue runs down the block
        {2, 0x003300},          // m = 6: green runs across
        {6 * 19 + 1, 0x000099},    // m = 108, the lower block starts at red 153
        {kPaletteCells, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(PaletteColour(c.cell), c.want) << c.cell;
}

TEST(EditPicker, PointerFindsTheCellWhereItIsDrawn) {
    // A client pixel is one pixel right and down of the outer one; the lines right of
    // and below every cell, the grid's right edge and its bottom among them, hit none.
    for (int cell = 0; cell < kPaletteCells; ++cell) {
        const EditRect s = PaletteCellSwatch(cell);
        for (int y = s.top; y < s.bottom; ++y)
            for (int x = s.left; x < s.right; ++x) ASSERT_EQ(PaletteCellAt(x + 1, y + 1), cell) << x << "," << y;
        const EditRect a = PaletteCellArea(cell);
        ASSERT_EQ(PaletteCellAt(a.right, a.top + 1), -1) << cell;  // the line at x = 10j + 9
        ASSERT_EQ(PaletteCellAt(a.left + 1, a.bottom), -1) << cell;
    }
    // Nor the border, where lines cross, or outside (outer coordinates). Left of and
    // above the grid, division toward zero would give column or row 0.
    for (const auto& [x, y] : {std::pair{0, 5}, {5, 0}, {20, 20}, {5, 135}, {195, 5}, {-5, 5}, {5, -5}, {-15, -15}})
        EXPECT_EQ(PaletteCellAt(x, y), -1) << x << "," << y;
}

TEST(EditPicker, PopupPlacedAndClamped) {
    const struct {
        EditRect button;
        int screen_w, screen_h;
        EditPoint want;
    } cases[] = {
        {{100, 200, 180, 220}, 1024, 768, {100, 219}},
        {{-20, 200, 40, 220}, 1024, 768, {0, 219}},
        {{10, 200, 60, 220}, 150, 768, {0, 219}},  // screen narrower than the popup
        {{1000, 740, 1020, 760}, 1024, 768, {833, 609}},  // 150 higher, flush with the right edge
    };
    for (const auto& c : cases)
        EXPECT_EQ(PalettePopupOrigin(c.button, c.screen_w, c.screen_h), c.want) << c.button.left << "," << c.button.bottom;
}

constexpr EditRect kPopup = {100, 200, 100 + kPalettePopupWidth, 200 + kPalettePopupHeight};
constexpr uint32_t kFace = 0xC0C0C0, kOpened = 0x123456;

PalettePicker OpenPicker() {
    PalettePicker picker(kPopup, kFace);
    EXPECT_EQ(picker.current(), kFace);
    picker.SetColour(kOpened);
    picker.Press({110, 190});
    return picker;
}

PointerProbe Probe(uint32_t pixel) { return {true, pixel, false}; }

TEST(EditPicker, SelectionFollowsThePointer) {
    const uint32_t c39 = PaletteColour(39), c40 = PaletteColour(40);
    const PickerMoveEffect kCursorOnly = {-1, -1, false, false, true, false};
    const struct {
        EditPoint p;
        PointerProbe probe;
        PickerMoveEffect want;
        uint32_t current;
        int selection;
    } steps[] = {
        {{110, 190}, Probe(0xAAAAAA), {}, kOpened, -1},                                   // the press point
        {{50, 60}, Probe(0xAABBCC), {-1, -1, true, false, true, false}, 0xAABBCC, -1},   // the screen
        {{115, 225}, Probe(c39), {-1, 39, true, false, true, false}, c39, 39},          // outer (15, 25)
        {{125, 225}, Probe(c40), {39, 40, true, false, true, false}, c40, 40},
        {{130, 225}, Probe(0xFFFFFF), {40, -1, true, false, true, false}, c40, -1},      // a line keeps the colour
        {{150, 330}, Probe(0xD4D0C8), {-1, -1, false, false, true, true}, kOpened, -1},  // lower area
        {{270, 330}, {true, 0xD4D0C8, true}, {-1, -1, false, true, true, false}, kOpened, -1},  // "more colours"
        {{115, 225}, Probe(c39), {-1, 39, true, false, true, false}, c39, 39},
        {{500, 500}, Probe(0x00FF00), {-1, -1, true, false, true, false}, 0x00FF00, 39},  // outside keeps the cell
        {{600, 600}, {false, 0x777777, false}, kCursorOnly, 0x00FF00, 39},  // no window there: nothing to change
    };
    PalettePicker picker = OpenPicker();
    int i = 0;
    for (const auto& s : steps) {
        EXPECT_EQ(picker.Move(s.p, s.probe), s.want) << "step " << i;
        EXPECT_EQ(picker.current(), s.current) << "step " << i;
        EXPECT_EQ(picker.selection(), s.selection) << "step " << i;
        EXPECT_EQ(picker.saved(), kOpened) << "step " << i;
        EXPECT_EQ(picker.moved(), i > 0) << "step " << i;
        ++i;
    }
}

TEST(EditPicker, HowThePopupEnds) {
    {  // press and release in place: the colour it opened with
        PalettePicker picker = OpenPicker();
        EXPECT_EQ(picker.Move({110, 190}, Probe(0xAAAAAA)), PickerMoveEffect{});
        EXPECT_EQ(picker.Deactivate(), std::nullopt);
        EXPECT_EQ(picker.Release({111, 190}), std::nullopt);
        EXPECT_EQ(picker.Release({110, 190}), kOpened);
    }
    {  // no press yet: moves count and a release ends only after one
        PalettePicker picker(kPopup, kFace);
        picker.SetColour(kOpened);
        EXPECT_EQ(picker.Release({0, 0}), std::nullopt);
        EXPECT_EQ(picker.Move({0, 0}, Probe(0x0A0B0C)).post_cursor_request, true);
        EXPECT_EQ(picker.Release({0, 0}), 0x0A0B0Cu);
    }
}

}  // namespace
