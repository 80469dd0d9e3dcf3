#include "editwnd/swatch_gallery.h"

#include <cstdio>
#include <cstdlib>

#include "editwnd/hsl_colour.h"

namespace editwnd {

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
