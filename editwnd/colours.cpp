#include "editwnd/colours.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace editwnd {

namespace {

double Channel(uint32_t colorref, int shift) { return static_cast<double>((colorref >> shift) & 0xFF) / 255.0; }

// The tolerance lets values that are exact halves in real arithmetic round up even when
// the floating-point path lands a hair below them (31 * 0.5 through HSL, for example).
uint32_t ToByte(double v) {
    const double scaled = std::floor(v * 255.0 + 0.5 + 1e-9);
    return static_cast<uint32_t>(std::clamp(scaled, 0.0, 255.0));
}

// One channel of the standard HSL-to-RGB conversion; t is the hue offset in turns.
double HueToChannel(double p, double q, double t) {
    if (t < 0) t += 1;
    if (t > 1) t -= 1;
    if (t < 1.0 / 6) return p + (q - p) * 6 * t;
    if (t < 1.0 / 2) return q;
    if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
}

}  // namespace

HslColour HslFromColorRef(uint32_t colorref) {
    const double r = Channel(colorref, 0), g = Channel(colorref, 8), b = Channel(colorref, 16);
    const double max = std::max({r, g, b}), min = std::min({r, g, b});
    HslColour hsl;
    hsl.lightness = (max + min) / 2;
    const double d = max - min;
    if (d == 0) return hsl;
    hsl.saturation = hsl.lightness > 0.5 ? d / (2 - max - min) : d / (max + min);
    double h;
    if (max == r)
        h = (g - b) / d + (g < b ? 6 : 0);
    else if (max == g)
        h = (b - r) / d + 2;
    else
        h = (r - g) / d + 4;
    hsl.hue = h * 60;
    return hsl;
}

uint32_t ColorRefFromHsl(const HslColour& hsl) {
    const double l = hsl.lightness, s = hsl.saturation;
    double r = l, g = l, b = l;
    if (s != 0) {
        const double q = l < 0.5 ? l * (1 + s) : l + s - l * s;
        const double p = 2 * l - q;
        const double t = hsl.hue / 360;
        r = HueToChannel(p, q, t + 1.0 / 3);
        g = HueToChannel(p, q, t);
        b = HueToChannel(p, q, t - 1.0 / 3);
    }
    return ToByte(r) | ToByte(g) << 8 | ToByte(b) << 16;
}

uint32_t ShadeColorRef(uint32_t colorref, int percent) {
    HslColour hsl = HslFromColorRef(colorref);
    const double l = hsl.lightness;
    hsl.lightness = percent > 0 ? l + (1 - l) * percent / 100.0 : l * (1 + percent / 100.0);
    return ColorRefFromHsl(hsl);
}

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

std::string ColourText(uint32_t colour) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%02X%02X%02X",
                  static_cast<unsigned>(colour & 0xFF), static_cast<unsigned>(colour >> 8 & 0xFF),
                  static_cast<unsigned>(colour >> 16 & 0xFF));
    return std::string("#") + digits;
}

namespace {

struct ThemeColumn {
    const char* name;
    const char* role;
    uint32_t colour;
    int shades[kThemeRows - 1];  // percent: lighter when positive, darker when negative
};

constexpr ThemeColumn kThemeColumnsTable[kThemeColumns] = {
    {"White", "Background 1", 0xFFFFFF, {-5, -15, -25, -35, -50}},
    {"Black", "Text 1", 0x000000, {50, 35, 25, 15, 5}},
    {"Tan", "Background 2", 0xE1ECEE, {-10, -25, -50, -75, -90}},
    {"Dark Blue", "Text 2", 0x7D491F, {80, 60, 40, -25, -50}},
    {"Blue", "Accent 1", 0xBD814F, {80, 60, 40, -25, -50}},
    {"Red", "Accent 2", 0x4D50C0, {80, 60, 40, -25, -50}},
    {"Olive Green", "Accent 3", 0x59BB9B, {80, 60, 40, -25, -50}},
    {"Purple", "Accent 4", 0xA26480, {80, 60, 40, -25, -50}},
    {"Aqua", "Accent 5", 0xC6AC4B, {80, 60, 40, -25, -50}},
    {"Orange", "Accent 6", 0x4696F7, {80, 60, 40, -25, -50}},
};

constexpr struct {
    const char* name;
    uint32_t colour;
} kStandardTable[kStandardSwatches] = {
    {"Dark Red", 0x0000C0}, {"Red", 0x0000FF},         {"Orange", 0x00C0FF}, {"Yellow", 0x00FFFF},
    {"Light Green", 0x50D092}, {"Green", 0x50B000},    {"Light Blue", 0xF0B000}, {"Blue", 0xC07000},
    {"Dark Blue", 0x602000}, {"Purple", 0xA03070},
};

std::string ShadeTooltip(const ThemeColumn& column, int percent) {
    std::string tooltip = std::string(column.name) + ", " + column.role;
    if (percent == 0) return tooltip;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ", %s %i%%", percent > 0 ? "Lighter" : "Darker", std::abs(percent));
    return tooltip + suffix;
}

}  // namespace

SwatchGroup ThemeColours() {
    SwatchGroup group{"Theme Colors", kThemeColumns, {}};
    group.swatches.reserve(kThemeColumns * kThemeRows);
    for (const ThemeColumn& column : kThemeColumnsTable) group.swatches.push_back({column.colour, ShadeTooltip(column, 0)});
    for (int row = 0; row < kThemeRows - 1; ++row) {
        for (const ThemeColumn& column : kThemeColumnsTable) {
            const int percent = column.shades[row];
            group.swatches.push_back({ShadeColorRef(column.colour, percent), ShadeTooltip(column, percent)});
        }
    }
    return group;
}

SwatchGroup StandardColours() {
    SwatchGroup group{"Standard Colors", kStandardSwatches, {}};
    for (const auto& swatch : kStandardTable) group.swatches.push_back({swatch.colour, swatch.name});
    return group;
}

std::vector<SwatchGroup> ColourGallery() { return {ThemeColours(), StandardColours()}; }

std::optional<SwatchPosition> FindSwatch(const std::vector<SwatchGroup>& gallery, uint32_t colour) {
    for (int g = 0; g < static_cast<int>(gallery.size()); ++g) {
        const auto& swatches = gallery[g].swatches;
        for (int i = 0; i < static_cast<int>(swatches.size()); ++i)
            if (swatches[i].colour == colour) return SwatchPosition{g, i};
    }
    return std::nullopt;
}

}  // namespace editwnd
