// The pieces of the warp: edge crossings of a scan line, source positions along the
// crossed edges, and sampling of the source. Kept apart from the drawing so that each
// can be checked on its own.
#pragma once

#include <emmintrin.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "gfx/bitmap.h"

// Float to int as the x86 conversion does it: truncation toward zero, and the "integer
// indefinite" INT32_MIN for NaN and for anything out of range. Geometry from
// the host can be NaN or 1e30; this keeps every such case defined and far outside.
inline int32_t TruncToInt(float f) {
    // Written out: compilers fold the conversion intrinsic differently for constants.
    return __builtin_fabsf(f) < 2147483648.0f ? static_cast<int32_t>(f) : INT32_MIN;
}

// A target pixel and the source position that maps to it.
struct Correspondence {
    int32_t x, y;
    float u, v;
};

// Where a scan line meets edge `edge` (0: corner 0 to 1, 1: 1 to 2, 2: 2 to 3, 3: 3 to 0).
struct Crossing {
    int edge;
    int32_t x, y;
};

// The crossings of scan line y: sorted by x (stable), repeats of an x removed, and a
// lone middle crossing doubled so that they pair up. Returns 0, 2 or 4.
int FindCrossings(const Correspondence* corners, int32_t y, Crossing out[4]);

// The source position at a crossing, by its distance along the crossed edge.
void EdgePosition(const Correspondence* corners, const Crossing& a, float* u, float* v);

// The source as its 32-bit lock would show it: W pixels a row, the rows 4W bytes
// apart, so a column at or past the row's end reads on into the following rows.
struct SourceView {
    const uint8_t* top;
    ptrdiff_t step;
    int64_t w, h;
    gfx::PixelFormat format;

    uint32_t pair_w, pair_h;  // W - 1 and H - 1: where a 2 x 2 neighbourhood still fits

    static SourceView Of(const gfx::Bitmap& b) {
        return {b.Row(0), b.RowStep(), b.Width(), b.Height(), b.Format(),
                static_cast<uint32_t>(b.Width() > 0 ? b.Width() - 1 : 0),
                static_cast<uint32_t>(b.Height() > 0 ? b.Height() - 1 : 0)};
    }
    // Transparent black outside.
    gfx::Argb At(int64_t x, int64_t y) const;
};

// The colour at (u, v), its alpha scaled by opacity / 255.
gfx::Argb SampleNearest(const SourceView& s, float u, float v, int32_t opacity);
gfx::Argb SampleBilinear(const SourceView& s, float u, float v, int32_t opacity);

// The same for a source of Bpp bytes a pixel (4: ARGB, 3: RGB24), inlined into span
// loops. Neighbours inside the source are read straight from its rows; only positions
// at its borders take the general path.
#define WARP_INLINE inline __attribute__((always_inline))

namespace warp {

inline gfx::Argb Load4(const uint8_t* p) {
    return static_cast<gfx::Argb>(p[0]) | static_cast<gfx::Argb>(p[1]) << 8 | static_cast<gfx::Argb>(p[2]) << 16 |
           static_cast<gfx::Argb>(p[3]) << 24;
}
inline gfx::Argb Load3(const uint8_t* p) {
    return static_cast<gfx::Argb>(p[0]) | static_cast<gfx::Argb>(p[1]) << 8 | static_cast<gfx::Argb>(p[2]) << 16 |
           0xFF000000u;
}
template <int Bpp>
inline gfx::Argb Load(const uint8_t* p) {
    return Bpp == 4 ? Load4(p) : Load3(p);
}

// alpha x opacity / 255 (integer division) for every alpha, looked up per pixel.
struct AlphaScale {
    explicit AlphaScale(int32_t opacity) {
        for (uint32_t a = 0; a < 256; ++a) table[a] = static_cast<uint8_t>(a * static_cast<uint32_t>(opacity) / 255);
    }
    gfx::Argb operator()(gfx::Argb c) const { return (c & 0x00FFFFFFu) | static_cast<gfx::Argb>(table[c >> 24]) << 24; }
    uint8_t table[256];
};

// Two pixels in the low half of a register, each in its own four bytes.
WARP_INLINE __m128i Pair(gfx::Argb left, gfx::Argb right) {
    return _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(left)), _mm_cvtsi32_si128(static_cast<int>(right)));
}

// Two neighbouring pixels of one row. An RGB24 pair is read as two overlapping words
// that both end inside the pair, so nothing past its last byte is touched.
template <int Bpp>
WARP_INLINE __m128i LoadPair(const uint8_t* p) {
    if (Bpp == 4) return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    uint32_t a, b;
    std::memcpy(&a, p, 4);
    std::memcpy(&b, p + 2, 4);
    return Pair(a | 0xFF000000u, (b >> 8) | 0xFF000000u);
}

template <int Bpp>
WARP_INLINE gfx::Argb Nearest(const SourceView& s, float u, float v, const AlphaScale& scale) {
    if (!(u >= 0 && v >= 0)) return 0;
    const int32_t iu = TruncToInt(u), iv = TruncToInt(v);
    if (iu < 0 || iv < 0) return 0;  // past 2^31: no such pixel
    if (static_cast<uint32_t>(iu) < static_cast<uint32_t>(s.w) && static_cast<uint32_t>(iv) < static_cast<uint32_t>(s.h))
        return scale(Load<Bpp>(s.top + iv * s.step + iu * Bpp));
    return scale(s.At(iu, iv));
}

// Per channel trunc((c0 (1 - fu) + c1 fu) (1 - fv) + (c2 (1 - fu) + c3 fu) fv) in single
// precision, the four channels in the four lanes of one register: the same operations
// in the same order as one channel at a time. Only corners whose edges extrapolate
// past the source can leave 0..255; such values are clamped (NaN to 0).
WARP_INLINE gfx::Argb Bilerp(__m128i upper_pair, __m128i lower_pair, float fu, float fv) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i up = _mm_unpacklo_epi8(upper_pair, zero), low = _mm_unpacklo_epi8(lower_pair, zero);
    const __m128 c0 = _mm_cvtepi32_ps(_mm_unpacklo_epi16(up, zero)), c1 = _mm_cvtepi32_ps(_mm_unpackhi_epi16(up, zero));
    const __m128 c2 = _mm_cvtepi32_ps(_mm_unpacklo_epi16(low, zero)), c3 = _mm_cvtepi32_ps(_mm_unpackhi_epi16(low, zero));
    const __m128 vfu = _mm_set1_ps(fu), vfv = _mm_set1_ps(fv);
    const __m128 vgu = _mm_set1_ps(1.0f - fu), vgv = _mm_set1_ps(1.0f - fv);
    const __m128 upper = _mm_add_ps(_mm_mul_ps(c0, vgu), _mm_mul_ps(c1, vfu));
    const __m128 lower = _mm_add_ps(_mm_mul_ps(c2, vgu), _mm_mul_ps(c3, vfu));
    __m128 value = _mm_add_ps(_mm_mul_ps(upper, vgv), _mm_mul_ps(lower, vfv));
    value = _mm_min_ps(_mm_max_ps(value, _mm_setzero_ps()), _mm_set1_ps(255.0f));  // max takes 0 for NaN
    const __m128i words = _mm_packs_epi32(_mm_cvttps_epi32(value), zero);
    return static_cast<gfx::Argb>(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
}

template <int Bpp>
WARP_INLINE gfx::Argb Bilinear(const SourceView& s, float u, float v, const AlphaScale& scale) {
    const int32_t iu = TruncToInt(u), iv = TruncToInt(v);
    const float fu = u - static_cast<float>(iu), fv = v - static_cast<float>(iv);
    __m128i upper, lower;
    // Unsigned: a negative coordinate fails the same test as one past the last pair.
    if (static_cast<uint32_t>(iu) < s.pair_w && static_cast<uint32_t>(iv) < s.pair_h) {
        const uint8_t* p = s.top + iv * s.step + iu * Bpp;
        upper = LoadPair<Bpp>(p);
        lower = LoadPair<Bpp>(p + s.step);
    } else if (iu == INT32_MIN || iv == INT32_MIN) {
        return 0;
    } else {
        upper = Pair(s.At(iu, iv), s.At(int64_t{iu} + 1, iv));
        lower = Pair(s.At(iu, int64_t{iv} + 1), s.At(int64_t{iu} + 1, int64_t{iv} + 1));
    }
    return scale(Bilerp(upper, lower, fu, fv));
}

}  // namespace warp

namespace warp {

// The pixels at (u[k], v[k]), k = 0 .. count - 1, four at a time: the same bytes as
// Nearest or Bilinear one pixel at a time. Groups that touch the source's borders take
// those per pixel.
void SampleSpanSse2(gfx::Argb* out, const SourceView& s, const float* u, const float* v, int64_t count,
                    bool nearest, int32_t opacity, const AlphaScale& scale);

// gfx::BlendRowOverRgb eight pixels a step; only where HasAvx2().
void BlendRowOverRgbAvx2(uint8_t* d, const gfx::Argb* s, int count);

// Whether this processor runs the AVX2 kernels below.
bool HasAvx2();

// SampleSpanSse2 eight pixels a step; only where HasAvx2().
void SampleSpanAvx2(gfx::Argb* out, const SourceView& s, const float* u, const float* v, int64_t count,
                    bool nearest, int32_t opacity, const AlphaScale& scale);

}  // namespace warp
