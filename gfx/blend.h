// Source-over of one non-premultiplied ARGB pixel onto a target pixel.
//
// Rounding: a target channel becomes (s * a + d * (255 - a) + 127) / 255, the mix in
// proportion to alpha rounded to nearest. That is exact at both ends: alpha 255 gives
// the source, alpha 0 leaves the target as it was.
#pragma once

#include <cstdint>

#include "gfx/bitmap.h"

namespace gfx {

inline uint8_t MixChannel(uint32_t s, uint32_t d, uint32_t a) {
    return static_cast<uint8_t>((s * a + d * (255 - a) + 127) / 255);
}

// Onto an opaque BGR target (a frame pixel); the target stays opaque.
inline void BlendOverRgb(uint8_t* d, Argb s) {
    const uint32_t a = s >> 24;
    if (a == 0) return;
    if (a == 255) {
        d[0] = static_cast<uint8_t>(s);
        d[1] = static_cast<uint8_t>(s >> 8);
        d[2] = static_cast<uint8_t>(s >> 16);
        return;
    }
    d[0] = MixChannel(s & 0xFF, d[0], a);
    d[1] = MixChannel((s >> 8) & 0xFF, d[1], a);
    d[2] = MixChannel((s >> 16) & 0xFF, d[2], a);
}

// Onto a BGRA target whose own alpha counts: the result's alpha is a + da (255 - a) / 255
// and its colour the alpha-weighted mix of the two, each rounded to nearest. Onto a
// fully transparent target this is a copy of the source.
inline void BlendOverArgb(uint8_t* d, Argb s) {
    const uint32_t a = s >> 24;
    if (a == 0) return;
    const uint32_t da = d[3];
    if (a == 255 || da == 0) {
        d[0] = static_cast<uint8_t>(s);
        d[1] = static_cast<uint8_t>(s >> 8);
        d[2] = static_cast<uint8_t>(s >> 16);
        d[3] = static_cast<uint8_t>(a);
        return;
    }
    const uint32_t ws = a * 255;               // source weight, scaled by 255
    const uint32_t wd = da * (255 - a);        // target weight, scaled by 255
    const uint32_t w = ws + wd;
    for (int i = 0; i < 3; ++i) {
        const uint32_t sc = (s >> (8 * i)) & 0xFF;
        d[i] = static_cast<uint8_t>((sc * ws + d[i] * wd + w / 2) / w);
    }
    d[3] = static_cast<uint8_t>((w + 127) / 255);
}

// Onto whichever layout the target has.
inline void BlendOver(Bitmap& target, uint8_t* d, Argb s) {
    if (target.Format() == PixelFormat::kArgb32)
        BlendOverArgb(d, s);
    else
        BlendOverRgb(d, s);
}

// A pixel of either layout as ARGB.
inline Argb LoadPixel(const uint8_t* p, PixelFormat f) {
    if (f == PixelFormat::kArgb32)
        return static_cast<Argb>(p[0]) | static_cast<Argb>(p[1]) << 8 | static_cast<Argb>(p[2]) << 16 |
               static_cast<Argb>(p[3]) << 24;
    return static_cast<Argb>(p[0]) | static_cast<Argb>(p[1]) << 8 | static_cast<Argb>(p[2]) << 16 | 0xFF000000u;
}

}  // namespace gfx
