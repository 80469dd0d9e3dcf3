// The swatches of the key colour and outline colour popups: "Theme Colors" (ten base
// colours and five lighter or darker rows of each) and "Standard Colors".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace editwnd {

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
