#include "editwnd/hsl_colour.h"

#include <algorithm>
#include <cmath>

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

}  // namespace editwnd
