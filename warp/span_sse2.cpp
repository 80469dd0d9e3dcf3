#include <emmintrin.h>

#include <cstring>

#include "warp/warp_span.h"

namespace warp {
namespace {

WARP_INLINE uint32_t Word(const uint8_t* p) {
    uint32_t w;
    std::memcpy(&w, p, 4);
    return w;
}

WARP_INLINE __m128i Four(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    return _mm_unpacklo_epi64(Pair(a, b), Pair(c, d));
}

// a < b as unsigned 32-bit lanes.
WARP_INLINE __m128i Below(__m128i a, __m128i b) {
    const __m128i flip = _mm_set1_epi32(INT32_MIN);
    return _mm_cmplt_epi32(_mm_xor_si128(a, flip), _mm_xor_si128(b, flip));
}

// Alpha (the top byte) times opacity / 255, integer division, in each lane: a product
// below 65536 divided by 255 is (x * 0x8081) >> 23.
WARP_INLINE __m128i ScaleAlpha(__m128i px, __m128i opacity) {
    const __m128i a = _mm_srli_epi32(px, 24);
    const __m128i scaled = _mm_srli_epi16(_mm_mulhi_epu16(_mm_mullo_epi16(a, opacity), _mm_set1_epi16(-32639)), 7);
    return _mm_or_si128(_mm_and_si128(px, _mm_set1_epi32(0x00FFFFFF)), _mm_slli_epi32(scaled, 24));
}

// One channel of four pixels: the byte at `shift` of each neighbour's lane as float.
WARP_INLINE __m128 Channel(__m128i px, int shift) {
    return _mm_cvtepi32_ps(_mm_and_si128(_mm_srli_epi32(px, shift), _mm_set1_epi32(0xFF)));
}

// (c0 (1 - fu) + c1 fu) (1 - fv) + (c2 (1 - fu) + c3 fu) fv, clamped and truncated as
// Bilerp does it, for one channel of four pixels.
WARP_INLINE __m128i Mix(__m128 c0, __m128 c1, __m128 c2, __m128 c3, __m128 fu, __m128 gu, __m128 fv, __m128 gv) {
    const __m128 upper = _mm_add_ps(_mm_mul_ps(c0, gu), _mm_mul_ps(c1, fu));
    const __m128 lower = _mm_add_ps(_mm_mul_ps(c2, gu), _mm_mul_ps(c3, fu));
    __m128 value = _mm_add_ps(_mm_mul_ps(upper, gv), _mm_mul_ps(lower, fv));
    value = _mm_min_ps(_mm_max_ps(value, _mm_setzero_ps()), _mm_set1_ps(255.0f));
    return _mm_cvttps_epi32(value);
}

template <int Bpp>
void BilinearSpan(gfx::Argb* out, const SourceView& s, const float* us, const float* vs, int64_t count,
                  int32_t opacity, const AlphaScale& scale) {
    const __m128i pair_w = _mm_set1_epi32(static_cast<int>(s.pair_w)), pair_h = _mm_set1_epi32(static_cast<int>(s.pair_h));
    const __m128i vopacity = _mm_set1_epi32(opacity);
    const __m128 one = _mm_set1_ps(1.0f);
    const ptrdiff_t step = s.step;
    int64_t k = 0;
    for (; k + 4 <= count; k += 4) {
        const __m128 u = _mm_loadu_ps(us + k), v = _mm_loadu_ps(vs + k);
        // The conversion gives INT32_MIN for NaN and out of range, as TruncToInt does;
        // that fails the unsigned test like any other negative coordinate.
        const __m128i iu = _mm_cvttps_epi32(u), iv = _mm_cvttps_epi32(v);
        if (_mm_movemask_ps(_mm_castsi128_ps(_mm_and_si128(Below(iu, pair_w), Below(iv, pair_h)))) != 0xF) {
            for (int j = 0; j < 4; ++j) out[k + j] = Bilinear<Bpp>(s, us[k + j], vs[k + j], scale);
            continue;
        }
        const __m128 fu = _mm_sub_ps(u, _mm_cvtepi32_ps(iu)), fv = _mm_sub_ps(v, _mm_cvtepi32_ps(iv));
        const __m128 gu = _mm_sub_ps(one, fu), gv = _mm_sub_ps(one, fv);
        alignas(16) int32_t x[4], y[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(x), iu);
        _mm_store_si128(reinterpret_cast<__m128i*>(y), iv);
        const uint8_t* p[4];
        for (int j = 0; j < 4; ++j) p[j] = s.top + y[j] * step + x[j] * Bpp;
        // The right neighbour of an RGB24 pixel is read from the word ending with it.
        constexpr int kRight = Bpp == 4 ? 4 : 2;
        constexpr int kRightShift = Bpp == 4 ? 0 : 8;
        const __m128i n0 = Four(Word(p[0]), Word(p[1]), Word(p[2]), Word(p[3]));
        const __m128i n1 = _mm_srli_epi32(
            Four(Word(p[0] + kRight), Word(p[1] + kRight), Word(p[2] + kRight), Word(p[3] + kRight)), kRightShift);
        const __m128i n2 = Four(Word(p[0] + step), Word(p[1] + step), Word(p[2] + step), Word(p[3] + step));
        const __m128i n3 = _mm_srli_epi32(Four(Word(p[0] + step + kRight), Word(p[1] + step + kRight),
                                               Word(p[2] + step + kRight), Word(p[3] + step + kRight)),
                                          kRightShift);
        __m128i px = Mix(Channel(n0, 0), Channel(n1, 0), Channel(n2, 0), Channel(n3, 0), fu, gu, fv, gv);
        px = _mm_or_si128(px, _mm_slli_epi32(Mix(Channel(n0, 8), Channel(n1, 8), Channel(n2, 8), Channel(n3, 8), fu,
                                                 gu, fv, gv),
                                             8));
        px = _mm_or_si128(px, _mm_slli_epi32(Mix(Channel(n0, 16), Channel(n1, 16), Channel(n2, 16), Channel(n3, 16),
                                                 fu, gu, fv, gv),
                                             16));
        if (Bpp == 4) {
            px = _mm_or_si128(px, _mm_slli_epi32(Mix(Channel(n0, 24), Channel(n1, 24), Channel(n2, 24),
                                                     Channel(n3, 24), fu, gu, fv, gv),
                                                 24));
        } else {
            const __m128 opaque = _mm_set1_ps(255.0f);  // RGB24 pixels read as opaque
            px = _mm_or_si128(px, _mm_slli_epi32(Mix(opaque, opaque, opaque, opaque, fu, gu, fv, gv), 24));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), ScaleAlpha(px, vopacity));
    }
    for (; k < count; ++k) out[k] = Bilinear<Bpp>(s, us[k], vs[k], scale);
}

template <int Bpp>
WARP_INLINE uint32_t LoadPixel(const uint8_t* p) {
    if (Bpp == 4) return Word(p);
    uint16_t lo;
    std::memcpy(&lo, p, 2);
    return lo | static_cast<uint32_t>(p[2]) << 16 | 0xFF000000u;  // no byte past the pixel
}

template <int Bpp>
void NearestSpan(gfx::Argb* out, const SourceView& s, const float* us, const float* vs, int64_t count, int32_t opacity,
                 const AlphaScale& scale) {
    const __m128i w = _mm_set1_epi32(static_cast<int>(s.w)), h = _mm_set1_epi32(static_cast<int>(s.h));
    const __m128i vopacity = _mm_set1_epi32(opacity);
    const __m128 zero = _mm_setzero_ps();
    const ptrdiff_t step = s.step;
    int64_t k = 0;
    for (; k + 4 <= count; k += 4) {
        const __m128 u = _mm_loadu_ps(us + k), v = _mm_loadu_ps(vs + k);
        const __m128i iu = _mm_cvttps_epi32(u), iv = _mm_cvttps_epi32(v);
        // u >= 0 and v >= 0 (false for NaN), and inside the W x H pixels.
        const __m128i ok = _mm_and_si128(_mm_castps_si128(_mm_and_ps(_mm_cmpge_ps(u, zero), _mm_cmpge_ps(v, zero))),
                                         _mm_and_si128(Below(iu, w), Below(iv, h)));
        if (_mm_movemask_ps(_mm_castsi128_ps(ok)) != 0xF) {
            for (int j = 0; j < 4; ++j) out[k + j] = Nearest<Bpp>(s, us[k + j], vs[k + j], scale);
            continue;
        }
        alignas(16) int32_t x[4], y[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(x), iu);
        _mm_store_si128(reinterpret_cast<__m128i*>(y), iv);
        const __m128i px = Four(LoadPixel<Bpp>(s.top + y[0] * step + x[0] * Bpp),
                                LoadPixel<Bpp>(s.top + y[1] * step + x[1] * Bpp),
                                LoadPixel<Bpp>(s.top + y[2] * step + x[2] * Bpp),
                                LoadPixel<Bpp>(s.top + y[3] * step + x[3] * Bpp));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), ScaleAlpha(px, vopacity));
    }
    for (; k < count; ++k) out[k] = Nearest<Bpp>(s, us[k], vs[k], scale);
}

}  // namespace

void SampleSpanSse2(gfx::Argb* out, const SourceView& s, const float* u, const float* v, int64_t count, bool nearest,
                    int32_t opacity, const AlphaScale& scale) {
    const bool argb = s.format == gfx::PixelFormat::kArgb32;
    if (nearest)
        argb ? NearestSpan<4>(out, s, u, v, count, opacity, scale) : NearestSpan<3>(out, s, u, v, count, opacity, scale);
    else
        argb ? BilinearSpan<4>(out, s, u, v, count, opacity, scale)
             : BilinearSpan<3>(out, s, u, v, count, opacity, scale);
}

}  // namespace warp
