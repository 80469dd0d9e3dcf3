#include "editwnd/colour_palette.h"

namespace editwnd {

namespace {

constexpr int kGreys[kPaletteRows] = {255, 232, 209, 186, 163, 140, 117, 94, 71, 48, 23, 0};

bool OnGrid(int cell) { return cell >= 0 && cell < kPaletteCells; }

}  // namespace

uint32_t PaletteColour(int cell) {
    if (!OnGrid(cell)) return 0;
    const int row = cell / kPaletteColumns;
    const int column = cell % kPaletteColumns;
    if (column == 0) return MakeColourRef(kGreys[row], kGreys[row], kGreys[row]);
    // The 216 web colours run down each six-row block, then across, top block first.
    const int block = row / 6;
    const int m = 108 * block + 6 * (column - 1) + row % 6;
    return MakeColourRef(51 * (m / 36), 51 * (m / 6 % 6), 51 * (m % 6));
}

int PaletteCellAt(int x, int y) {
    if (x <= 0 || y <= 0 || y >= kPaletteGridHeight || x >= kPaletteColumns * kPaletteCellPitch) return -1;
    if (x % kPaletteCellPitch == 0 || y % kPaletteCellPitch == 0) return -1;
    return (y / kPaletteCellPitch) * kPaletteColumns + x / kPaletteCellPitch;
}

EditRect PaletteCellSwatch(int cell) {
    if (!OnGrid(cell)) return {};
    const int left = cell % kPaletteColumns * kPaletteCellPitch;
    const int top = cell / kPaletteColumns * kPaletteCellPitch;
    return {left, top, left + kPaletteCellSwatch, top + kPaletteCellSwatch};
}

EditRect PaletteCellArea(int cell) {
    if (!OnGrid(cell)) return {};
    const int left = cell % kPaletteColumns * kPaletteCellPitch;
    const int top = cell / kPaletteColumns * kPaletteCellPitch;
    return {left, top, left + kPaletteCellPitch, top + kPaletteCellPitch};
}

}  // namespace editwnd
