// Colours of the toolbar and the screen picker: HSL shades, the palette grid, the
// colour text and the swatch galleries.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "editwnd/edit_rect.h"

namespace editwnd {

// Hue, saturation and lightness of a COLORREF, for the lighter and darker swatches.

// Hue in degrees [0, 360); saturation and lightness in [0, 1].
struct HslColour {
    double hue = 0, saturation = 0, lightness = 0;
};

// Reads the red, green and blue bytes of a COLORREF (0x00BBGGRR); the top byte is ignored.
HslColour HslFromColorRef(uint32_t colorref);
// Back to a COLORREF with a zero top byte. Each channel is rounded to the nearest of
// 0..255, halves upwards.
uint32_t ColorRefFromHsl(const HslColour& hsl);

// Lightness moved towards white by percent (positive) or towards black (negative),
// hue and saturation kept.
uint32_t ShadeColorRef(uint32_t colorref, int percent);

// The colour picker popup's fixed grid and the rest of its client layout. Colours are
// COLORREFs (0x00BBGGRR).

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

// How the colour picker writes a colour: "#" and red, green, blue in hexadecimal.

// colour is a COLORREF (0x00BBGGRR); 0x00336699 gives "#996633".
std::string ColourText(uint32_t colour);

// The swatches of the key colour and outline colour popups: "Theme Colors" (ten base
// colours and five lighter or darker rows of each) and "Standard Colors".

constexpr int kSwatchSize = 17;
constexpr int kGalleryWidth = 171, kGalleryHeight = 145;

struct Swatch {
    uint32_t colour = 0;  // COLORREF 0x00BBGGRR
    std::string tooltip;
    bool operator==(const Swatch&) const = default;
};

struct SwatchGroup {
    std::string caption;
    int columns = 0;
    std::vector<Swatch> swatches;  // row by row
};

constexpr int kThemeColumns = 10, kThemeRows = 6, kStandardSwatches = 10;

// 6 rows of 10, row by row: row 0 the base colours, rows 1 to 5 their shades.
SwatchGroup ThemeColours();
SwatchGroup StandardColours();
// Both groups, theme first: what galleries 5001 and 5002 hold.
std::vector<SwatchGroup> ColourGallery();

struct SwatchPosition {
    int group = 0, index = 0;
    bool operator==(const SwatchPosition&) const = default;
};

// The first swatch equal to colour, the one the gallery marks; none for "No Color".
std::optional<SwatchPosition> FindSwatch(const std::vector<SwatchGroup>& gallery, uint32_t colour);

}  // namespace editwnd
