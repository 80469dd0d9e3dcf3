// The span sampler and the row blend eight pixels a step with AVX2, for processors
// that have it; the product's baseline is SSE2, so only these functions are built for
// AVX2 and they are called only after asking the processor.
#include <immintrin.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "gfx/blend.h"
#include "warp/warp_span.h"

#define AVX2_FN __attribute__((target("avx2")))
#define AVX2_INLINE inline __attribute__((always_inline, target("avx2")))

namespace warp {

bool HasAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

namespace {

// a < b as unsigned 32-bit lanes.
AVX2_INLINE __m256i Below8(__m256i a, __m256i b) {
    const __m256i flip = _mm256_set1_epi32(INT32_MIN);
    return _mm256_cmpgt_epi32(_mm256_xor_si256(b, flip), _mm256_xor_si256(a, flip));
}

// As ScaleAlpha of the SSE2 sampler: alpha * opacity / 255, integer division.
AVX2_INLINE __m256i ScaleAlpha8(__m256i px, __m256i opacity) {
    const __m256i a = _mm256_srli_epi32(px, 24);
    const __m256i scaled =
        _mm256_srli_epi16(_mm256_mulhi_epu16(_mm256_mullo_epi16(a, opacity), _mm256_set1_epi16(-32639)), 7);
    return _mm256_or_si256(_mm256_and_si256(px, _mm256_set1_epi32(0x00FFFFFF)), _mm256_slli_epi32(scaled, 24));
}

// Byte b of every 32-bit lane, as float.
AVX2_INLINE __m256 Byte8(__m256i px, int b) {
    // Shuffle indices count bytes within each 16-byte half.
    const __m256i pick = _mm256_or_si256(_mm256_setr_epi32(b, 4 + b, 8 + b, 12 + b, b, 4 + b, 8 + b, 12 + b),
                                         _mm256_set1_epi32(static_cast<int>(0x80808000u)));
    return _mm256_cvtepi32_ps(_mm256_shuffle_epi8(px, pick));
}

// The bilinear mix of one channel, the same operations in the same order as Bilerp.
AVX2_INLINE __m256i Mix8(__m256 c0, __m256 c1, __m256 c2, __m256 c3, __m256 fu, __m256 gu, __m256 fv, __m256 gv) {
    const __m256 upper = _mm256_add_ps(_mm256_mul_ps(c0, gu), _mm256_mul_ps(c1, fu));
    const __m256 lower = _mm256_add_ps(_mm256_mul_ps(c2, gu), _mm256_mul_ps(c3, fu));
    __m256 value = _mm256_add_ps(_mm256_mul_ps(upper, gv), _mm256_mul_ps(lower, fv));
    value = _mm256_min_ps(_mm256_max_ps(value, _mm256_setzero_ps()), _mm256_set1_ps(255.0f));
    return _mm256_cvttps_epi32(value);
}

// Mix8 without the clamp, for callers whose packing saturates: in a span's inner part
// (|fu|, |fv| < 1, finite) the value stays far inside the int32 range, so saturating its
// truncation to 0..255 gives what clamping first gives.
AVX2_INLINE __m256i MixUnclamped8(__m256 c0, __m256 c1, __m256 c2, __m256 c3, __m256 fu, __m256 gu, __m256 fv,
                                  __m256 gv) {
    const __m256 upper = _mm256_add_ps(_mm256_mul_ps(c0, gu), _mm256_mul_ps(c1, fu));
    const __m256 lower = _mm256_add_ps(_mm256_mul_ps(c2, gu), _mm256_mul_ps(c3, fu));
    return _mm256_cvttps_epi32(_mm256_add_ps(_mm256_mul_ps(upper, gv), _mm256_mul_ps(lower, fv)));
}

// Channels b, g, r, a (one pixel a lane) saturated to bytes and laid out as pixels.
AVX2_INLINE __m256i PackChannels(__m256i b, __m256i g, __m256i r, __m256i a) {
    const __m256i planar = _mm256_packus_epi16(_mm256_packus_epi32(b, g), _mm256_packus_epi32(r, a));
    const __m256i to_pixels = _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15,  //
                                               0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
    return _mm256_shuffle_epi8(planar, to_pixels);
}

// Byte offsets of whole rows fit a 32-bit gather index only for sources under 1 GiB.
bool Gatherable(const SourceView& s) {
    return s.h < (int64_t{1} << 20) && std::llabs(static_cast<long long>(s.step)) * s.h < (int64_t{1} << 30);
}

// Bilinear ARGB, eight pixels a step, each neighbour through its own gather.
AVX2_FN void BilinearSpan8Argb(gfx::Argb* out, const SourceView& s, const float* us, const float* vs, int64_t count,
                               int32_t opacity, const AlphaScale& scale) {
    const __m256i pair_w = _mm256_set1_epi32(static_cast<int>(s.pair_w));
    const __m256i pair_h = _mm256_set1_epi32(static_cast<int>(s.pair_h));
    const __m256i step = _mm256_set1_epi32(static_cast<int>(s.step)), bpp = _mm256_set1_epi32(4);
    const __m256i vopacity = _mm256_set1_epi32(opacity);
    const __m256 one = _mm256_set1_ps(1.0f);
    const int* upper_left = reinterpret_cast<const int*>(s.top);
    const int* upper_right = reinterpret_cast<const int*>(s.top + 4);
    const int* lower_left = reinterpret_cast<const int*>(s.top + s.step);
    const int* lower_right = reinterpret_cast<const int*>(s.top + s.step + 4);
    int64_t k = 0;
    for (; k + 8 <= count; k += 8) {
        const __m256 u = _mm256_loadu_ps(us + k), v = _mm256_loadu_ps(vs + k);
        const __m256i iu = _mm256_cvttps_epi32(u), iv = _mm256_cvttps_epi32(v);
        if (_mm256_movemask_ps(_mm256_castsi256_ps(_mm256_and_si256(Below8(iu, pair_w), Below8(iv, pair_h)))) != 0xFF) {
            for (int j = 0; j < 8; ++j) out[k + j] = Bilinear<4>(s, us[k + j], vs[k + j], scale);
            continue;
        }
        const __m256 fu = _mm256_sub_ps(u, _mm256_cvtepi32_ps(iu)), fv = _mm256_sub_ps(v, _mm256_cvtepi32_ps(iv));
        const __m256 gu = _mm256_sub_ps(one, fu), gv = _mm256_sub_ps(one, fv);
        const __m256i at = _mm256_add_epi32(_mm256_mullo_epi32(iv, step), _mm256_mullo_epi32(iu, bpp));
        const __m256i n0 = _mm256_i32gather_epi32(upper_left, at, 1);
        const __m256i n1 = _mm256_i32gather_epi32(upper_right, at, 1);
        const __m256i n2 = _mm256_i32gather_epi32(lower_left, at, 1);
        const __m256i n3 = _mm256_i32gather_epi32(lower_right, at, 1);
        __m256i px = Mix8(Byte8(n0, 0), Byte8(n1, 0), Byte8(n2, 0), Byte8(n3, 0), fu, gu, fv, gv);
        for (int b = 1; b < 4; ++b)
            px = _mm256_or_si256(
                px, _mm256_slli_epi32(Mix8(Byte8(n0, b), Byte8(n1, b), Byte8(n2, b), Byte8(n3, b), fu, gu, fv, gv),
                                      8 * b));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k), ScaleAlpha8(px, vopacity));
    }
    for (; k < count; ++k) out[k] = Bilinear<4>(s, us[k], vs[k], scale);
}

// Per 16-byte half, two eight-byte elements' pairs sorted into planes (left b, g, r,
// right b, g, r; the pair starting `skip` bytes in), each plane two bytes: the first
// element's pixel, then the second's.
AVX2_INLINE __m256i SortPlanes(int skip) {
    int8_t m[32];
    for (int h = 0; h < 32; h += 16) {
        for (int i = 0; i < 6; ++i) {
            m[h + 2 * i] = static_cast<int8_t>(skip + i);
            m[h + 2 * i + 1] = static_cast<int8_t>(8 + skip + i);
        }
        for (int i = 12; i < 16; ++i) m[h + i] = -1;
    }
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(m));
}

// Plane k (its four bytes in dword k of a half) spread to one byte a dword.
AVX2_INLINE __m256i SpreadPlane(int k) {
    const char b = static_cast<char>(4 * k);
    return _mm256_setr_epi8(b, -1, -1, -1, b + 1, -1, -1, -1, b + 2, -1, -1, -1, b + 3, -1, -1, -1,  //
                            b, -1, -1, -1, b + 1, -1, -1, -1, b + 2, -1, -1, -1, b + 3, -1, -1, -1);
}

// Plane k of a sorted register (see SpreadPlane) as floats, one pixel a lane.
AVX2_INLINE __m256 Plane8(__m256i planes, __m256i spread) {
    return _mm256_cvtepi32_ps(_mm256_shuffle_epi8(planes, spread));
}

// Bilinear RGB24, eight pixels a step: each row's pair of neighbours (six bytes) comes
// in one eight-byte gather element, two gathers a row instead of four. The row lower
// in memory is read forward from the pair, the one higher in memory backward to it, so
// every byte read lies between the two pairs and nothing outside the source is touched
// (rows at least two bytes apart). Plain loads: on the processors at hand eight-byte
// gathers cost as much as four-byte ones, and the loads are cheaper than either.
AVX2_FN void BilinearSpan8Rgb(gfx::Argb* out, const SourceView& s, const float* us, const float* vs, int64_t count,
                              int32_t opacity, const AlphaScale& scale) {
    const __m256i pair_w = _mm256_set1_epi32(static_cast<int>(s.pair_w));
    const __m256i pair_h = _mm256_set1_epi32(static_cast<int>(s.pair_h));
    const __m256i step = _mm256_set1_epi32(static_cast<int>(s.step)), bpp = _mm256_set1_epi32(3);
    const __m256i vopacity = _mm256_set1_epi32(opacity);
    const __m256 one = _mm256_set1_ps(1.0f);
    const bool down = s.step > 0;  // the upper row lies lower in memory
    const uint8_t* upper = s.top - (down ? 0 : 2);
    const uint8_t* lower = s.top + s.step - (down ? 2 : 0);
    const __m256i forward = SortPlanes(0), backward = SortPlanes(2);
    const __m256i upper_planes = down ? forward : backward, lower_planes = down ? backward : forward;
    const __m256i plane0 = SpreadPlane(0), plane1 = SpreadPlane(1), plane2 = SpreadPlane(2), plane3 = SpreadPlane(3);
    // Up to 32 groups at a time: first where each pixel's pair lies, then the pixels.
    // The loads no longer wait on the multiplications of their own group.
    constexpr int kGroups = 32;
    int32_t at_all[8 * kGroups];  // unaligned stores: 64-bit MinGW does not align the stack to 32
    int64_t k = 0;
    while (k + 8 <= count) {
        const int groups = static_cast<int>(std::min<int64_t>((count - k) / 8, kGroups));
        uint32_t inside = 0;  // bit g: group g lies wholly inside the pairs
        for (int g = 0; g < groups; ++g) {
            const __m256i iu = _mm256_cvttps_epi32(_mm256_loadu_ps(us + k + 8 * g));
            const __m256i iv = _mm256_cvttps_epi32(_mm256_loadu_ps(vs + k + 8 * g));
            const __m256i ok = _mm256_and_si256(Below8(iu, pair_w), Below8(iv, pair_h));
            inside |= static_cast<uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(ok)) == 0xFF) << g;
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(at_all + 8 * g),
                                _mm256_add_epi32(_mm256_mullo_epi32(iv, step), _mm256_mullo_epi32(iu, bpp)));
        }
        for (int g = 0; g < groups; ++g, k += 8) {
            if (!(inside >> g & 1)) {
                for (int j = 0; j < 8; ++j) out[k + j] = Bilinear<3>(s, us[k + j], vs[k + j], scale);
                continue;
            }
            const __m256 u = _mm256_loadu_ps(us + k), v = _mm256_loadu_ps(vs + k);
            const __m256i iu = _mm256_cvttps_epi32(u), iv = _mm256_cvttps_epi32(v);
            const __m256 fu = _mm256_sub_ps(u, _mm256_cvtepi32_ps(iu)), fv = _mm256_sub_ps(v, _mm256_cvtepi32_ps(iv));
            const __m256 gu = _mm256_sub_ps(one, fu), gv = _mm256_sub_ps(one, fv);
            const int32_t* at_each = at_all + 8 * g;
            __m256i p0123[2], p45[2];  // per row: planes 0-3, and 4-5
            for (int r = 0; r < 2; ++r) {
                const uint8_t* base = r ? lower : upper;
                const __m256i sort = r ? lower_planes : upper_planes;
                const auto q = [&](int j) {
                    long long x;
                    std::memcpy(&x, base + at_each[j], 8);
                    return x;
                };
                // Pixels 0, 1, 4, 5 in one register and 2, 3, 6, 7 in the other, so
                // that after sorting into planes a 16-bit interleave puts 0-3 and 4-7
                // in order.
                const __m256i a = _mm256_shuffle_epi8(_mm256_set_epi64x(q(5), q(4), q(1), q(0)), sort);
                const __m256i b = _mm256_shuffle_epi8(_mm256_set_epi64x(q(7), q(6), q(3), q(2)), sort);
                p0123[r] = _mm256_unpacklo_epi16(a, b);
                p45[r] = _mm256_unpackhi_epi16(a, b);
            }
            // One channel at a time, its four neighbours widened just before they are
            // mixed: fewer registers live at once.
            const __m256i blue = MixUnclamped8(Plane8(p0123[0], plane0), Plane8(p0123[0], plane3),
                                               Plane8(p0123[1], plane0), Plane8(p0123[1], plane3), fu, gu, fv, gv);
            const __m256i green = MixUnclamped8(Plane8(p0123[0], plane1), Plane8(p45[0], plane0),
                                                Plane8(p0123[1], plane1), Plane8(p45[1], plane0), fu, gu, fv, gv);
            const __m256i red = MixUnclamped8(Plane8(p0123[0], plane2), Plane8(p45[0], plane1),
                                              Plane8(p0123[1], plane2), Plane8(p45[1], plane1), fu, gu, fv, gv);
            const __m256 opaque = _mm256_set1_ps(255.0f);  // RGB24 pixels read as opaque
            const __m256i px =
                PackChannels(blue, green, red, MixUnclamped8(opaque, opaque, opaque, opaque, fu, gu, fv, gv));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k), ScaleAlpha8(px, vopacity));
        }
    }
    for (; k < count; ++k) out[k] = Bilinear<3>(s, us[k], vs[k], scale);
}

template <int Bpp>
AVX2_FN void NearestSpan8(gfx::Argb* out, const SourceView& s, const float* us, const float* vs, int64_t count,
                          int32_t opacity, const AlphaScale& scale) {
    const __m256i w = _mm256_set1_epi32(static_cast<int>(s.w)), h = _mm256_set1_epi32(static_cast<int>(s.h));
    const __m256i step = _mm256_set1_epi32(static_cast<int>(s.step)), bpp = _mm256_set1_epi32(Bpp);
    const __m256i vopacity = _mm256_set1_epi32(opacity);
    // An RGB24 pixel is read as the word ending with it; the first byte of the source's
    // memory has no byte before it, so a group reaching it goes pixel by pixel.
    const int64_t lowest = s.step < 0 ? (s.h - 1) * s.step : 0;
    const __m256i first = _mm256_set1_epi32(static_cast<int>(lowest));
    const int* base = reinterpret_cast<const int*>(s.top - (Bpp == 4 ? 0 : 1));
    const __m256 zero = _mm256_setzero_ps();
    int64_t k = 0;
    for (; k + 8 <= count; k += 8) {
        const __m256 u = _mm256_loadu_ps(us + k), v = _mm256_loadu_ps(vs + k);
        const __m256i iu = _mm256_cvttps_epi32(u), iv = _mm256_cvttps_epi32(v);
        const __m256i at = _mm256_add_epi32(_mm256_mullo_epi32(iv, step), _mm256_mullo_epi32(iu, bpp));
        __m256i ok = _mm256_castps_si256(
            _mm256_and_ps(_mm256_cmp_ps(u, zero, _CMP_GE_OQ), _mm256_cmp_ps(v, zero, _CMP_GE_OQ)));
        ok = _mm256_and_si256(ok, _mm256_and_si256(Below8(iu, w), Below8(iv, h)));
        if (Bpp == 3) ok = _mm256_and_si256(ok, _mm256_cmpgt_epi32(at, first));
        if (_mm256_movemask_ps(_mm256_castsi256_ps(ok)) != 0xFF) {
            for (int j = 0; j < 8; ++j) out[k + j] = Nearest<Bpp>(s, us[k + j], vs[k + j], scale);
            continue;
        }
        __m256i px = _mm256_i32gather_epi32(base, at, 1);
        if (Bpp == 3) px = _mm256_or_si256(_mm256_srli_epi32(px, 8), _mm256_set1_epi32(static_cast<int>(0xFF000000u)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k), ScaleAlpha8(px, vopacity));
    }
    for (; k < count; ++k) out[k] = Nearest<Bpp>(s, us[k], vs[k], scale);
}

}  // namespace

// BlendRowOverRgb eight pixels a step: the target's 24 bytes are read as two 16-byte
// halves (hence the ten pixels of room) and spread to one pixel a 32-bit lane.
AVX2_FN void BlendRowOverRgbAvx2(uint8_t* d, const gfx::Argb* s, int count) {
    const __m256i zero = _mm256_setzero_si256(), full = _mm256_set1_epi16(255), half = _mm256_set1_epi16(127);
    const __m256i magic = _mm256_set1_epi16(static_cast<short>(0x8081));
    const __m256i spread = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1,  //
                                            0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m256i gather = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1,  //
                                            0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    const __m256i join = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7);
    int x = 0;
    for (; x + 10 <= count; x += 8, d += 24) {
        const __m256i src = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + x));
        const __m256i dst = _mm256_shuffle_epi8(
            _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(d + 12), reinterpret_cast<const __m128i*>(d)), spread);
        __m256i out[2];
        for (int half_i = 0; half_i < 2; ++half_i) {
            const __m256i s16 = half_i ? _mm256_unpackhi_epi8(src, zero) : _mm256_unpacklo_epi8(src, zero);
            const __m256i d16 = half_i ? _mm256_unpackhi_epi8(dst, zero) : _mm256_unpacklo_epi8(dst, zero);
            const __m256i a = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s16, 0xFF), 0xFF);
            const __m256i sum = _mm256_add_epi16(
                _mm256_add_epi16(_mm256_mullo_epi16(s16, a), _mm256_mullo_epi16(d16, _mm256_sub_epi16(full, a))), half);
            out[half_i] = _mm256_srli_epi16(_mm256_mulhi_epu16(sum, magic), 7);
        }
        const __m256i packed = _mm256_permutevar8x32_epi32(
            _mm256_shuffle_epi8(_mm256_packus_epi16(out[0], out[1]), gather), join);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm256_castsi256_si128(packed));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(d + 16), _mm256_extracti128_si256(packed, 1));
    }
    gfx::BlendRowOverRgb(d, s + x, count - x);
}

void SampleSpanAvx2(gfx::Argb* out, const SourceView& s, const float* u, const float* v, int64_t count, bool nearest,
                    int32_t opacity, const AlphaScale& scale) {
    if (!Gatherable(s)) return SampleSpanSse2(out, s, u, v, count, nearest, opacity, scale);
    const bool argb = s.format == gfx::PixelFormat::kArgb32;
    if (nearest)
        argb ? NearestSpan8<4>(out, s, u, v, count, opacity, scale) : NearestSpan8<3>(out, s, u, v, count, opacity, scale);
    else if (argb)
        BilinearSpan8Argb(out, s, u, v, count, opacity, scale);
    else if (std::llabs(static_cast<long long>(s.step)) >= 2)
        BilinearSpan8Rgb(out, s, u, v, count, opacity, scale);
    else
        SampleSpanSse2(out, s, u, v, count, false, opacity, scale);
}

}  // namespace warp
