// Source-over of one non-premultiplied ARGB pixel onto a target pixel.
//
// Rounding: a target channel becomes (s * a + d * (255 - a) + 127) / 255, the mix in
// proportion to alpha rounded to nearest. That is exact at both ends: alpha 255 gives
// the source, alpha 0 leaves the target as it was.
#pragma once

#include <emmintrin.h>

#include <cstdint>
#include <cstring>

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

// A row of ARGB pixels onto a row of BGR pixels, exactly as BlendOverRgb one at a
// time, four pixels a step. The mix needs no branch: at alpha 0 and 255 the rounded
// formula gives the target and the source back. (s a + d (255 - a) + 127) is below
// 65536, and x / 255 for such x is (x * 0x8081) >> 23.
inline void BlendRowOverRgb(uint8_t* d, const Argb* s, int count) {
    int x = 0;
    const __m128i zero = _mm_setzero_si128(), full = _mm_set1_epi16(255), half = _mm_set1_epi16(127);
    const __m128i magic = _mm_set1_epi16(static_cast<short>(0x8081));
    for (; x + 4 <= count; x += 4, d += 12) {
        __m128i src;
        std::memcpy(&src, s + x, 16);
        uint32_t w[3];
        std::memcpy(w, d, 12);
        const __m128i dst = _mm_set_epi32(static_cast<int>(w[2] >> 8), static_cast<int>(w[1] >> 16 | w[2] << 16),
                                          static_cast<int>(w[0] >> 24 | w[1] << 8), static_cast<int>(w[0]));
        __m128i out[2];
        for (int half_i = 0; half_i < 2; ++half_i) {
            const __m128i s16 = half_i ? _mm_unpackhi_epi8(src, zero) : _mm_unpacklo_epi8(src, zero);
            const __m128i d16 = half_i ? _mm_unpackhi_epi8(dst, zero) : _mm_unpacklo_epi8(dst, zero);
            // Each pixel's alpha in all four of its lanes.
            const __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s16, 0xFF), 0xFF);
            const __m128i sum = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(s16, a),
                                                            _mm_mullo_epi16(d16, _mm_sub_epi16(full, a))),
                                              half);
            out[half_i] = _mm_srli_epi16(_mm_mulhi_epu16(sum, magic), 7);
        }
        alignas(16) uint32_t px[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(px), _mm_packus_epi16(out[0], out[1]));
        w[0] = (px[0] & 0xFFFFFF) | px[1] << 24;
        w[1] = (px[1] >> 8 & 0xFFFF) | px[2] << 16;
        w[2] = (px[2] >> 16 & 0xFF) | px[3] << 8;
        std::memcpy(d, w, 12);
    }
    for (; x < count; ++x, d += 3) BlendOverRgb(d, s[x]);
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

// A pixel of either layout as ARGB.
inline Argb LoadPixel(const uint8_t* p, PixelFormat f) {
    if (f == PixelFormat::kArgb32)
        return static_cast<Argb>(p[0]) | static_cast<Argb>(p[1]) << 8 | static_cast<Argb>(p[2]) << 16 |
               static_cast<Argb>(p[3]) << 24;
    return static_cast<Argb>(p[0]) | static_cast<Argb>(p[1]) << 8 | static_cast<Argb>(p[2]) << 16 | 0xFF000000u;
}

}  // namespace gfx
