// The colour picker popup's fixed grid and the rest of its client layout. Colours are
// COLORREFs (0x00BBGGRR).
#pragma once

#include <cstdint>

#include "editwnd/edit_rect.h"

namespace editwnd {

constexpr uint32_t MakeColourRef(int red, int green, int blue) {
    return static_cast<uint32_t>(red & 0xFF) | static_cast<uint32_t>(green & 0xFF) << 8 |
           static_cast<uint32_t>(blue & 0xFF) << 16;
}

constexpr int kPaletteColumns = 19;
constexpr int kPaletteRows = 12;
constexpr int kPaletteCells = kPaletteColumns * kPaletteRows;
constexpr int kPaletteCellPitch = 10;  // a 9-pixel swatch and a one-pixel line
constexpr int kPaletteCellSwatch = 9;
constexpr int kPaletteGridHeight = kPaletteRows * kPaletteCellPitch;  // 120

constexpr int kPalettePopupWidth = 191;
constexpr int kPalettePopupHeight = 150;

// The area below the grid, the current colour's swatch and its frame, where the colour
// text starts, and the "more colours" button (client pixels).
constexpr EditRect kPaletteLowerArea = {0, kPaletteGridHeight, kPalettePopupWidth, kPalettePopupHeight};
constexpr EditRect kPaletteSwatch = {5, 125, 40, 143};
constexpr EditRect kPaletteSwatchFrame = {4, 124, 41, 144};  // one pixel outside the swatch
constexpr EditPoint kPaletteTextOrigin = {80, 127};
constexpr int kMoreColoursButtonId = 100;
constexpr EditRect kMoreColoursButton = {167, 126, 167 + 16, 126 + 16};

// The colour of cell row * 19 + column; 0 for an index off the grid.
uint32_t PaletteColour(int cell);

// The cell under a point given relative to the popup's outer top-left corner, its
// one-pixel border included, so that the lines fall on multiples of 10; -1 on a line,
// below the grid or outside.
int PaletteCellAt(int x, int y);

// The 9 x 9 client pixels the cell's colour fills, and its whole 10 x 10 area (what the
// focus rectangle goes round and what is repainted when the selection moves). Empty
// rectangles for an index off the grid.
EditRect PaletteCellSwatch(int cell);
EditRect PaletteCellArea(int cell);

}  // namespace editwnd
