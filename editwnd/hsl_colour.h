// Hue, saturation and lightness of a COLORREF, for the lighter and darker swatches.
#pragma once

#include <cstdint>

namespace editwnd {

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

}  // namespace editwnd
