#include "warp/float_walk.h"

#include <immintrin.h>

#include <cfloat>
#include <cmath>
#include <cstring>

namespace {

// 2^n for n in -1022 .. 1023, straight from the bits: no library call per stretch.
double Pow2(int n) {
    const uint64_t b = static_cast<uint64_t>(n + 1023) << 52;
    double r;
    std::memcpy(&r, &b, 8);
    return r;
}

// Inside one stretch of floats with one spacing q (a binade of one sign, or the
// subnormals around zero), adding du rounds to the same multiple of q every time, as
// long as the exact sum cannot leave the stretch. The one exception is a sum that
// falls exactly halfway: it rounds to the even neighbour, so after one such step every
// value is an even multiple of q and the increment is again fixed. Far enough from the
// stretch's ends, many steps collapse into one exact multiplication.
//
// How many of the next k steps from u each add the same exact amount *d: 0 when the
// next step has to be taken on its own, k when the sum no longer moves (*d = 0).
int64_t FixedSteps(float u, float du, int64_t k, double* d) {
    uint32_t bits;
    std::memcpy(&bits, &u, 4);
    const int biased = static_cast<int>(bits >> 23 & 0xFF);
    if (biased == 0xFF) return 0;  // infinity and NaN
    const double ud = u;
    const double adu = std::fabs(static_cast<double>(du));
    double lo, hi, q;
    if (biased == 0) {  // zero and the subnormals
        lo = -static_cast<double>(FLT_MIN);
        hi = static_cast<double>(FLT_MIN);
        q = Pow2(-149);
    } else {  // |u| in [2^(biased - 127), 2^(biased - 126))
        const double a = Pow2(biased - 127), b = 2 * a;
        lo = ud > 0 ? a : -b;
        hi = ud > 0 ? b : -a;
        q = Pow2(biased - 150);
    }
    const bool safe = std::isfinite(adu) && ud - lo >= adu + q && hi - ud >= adu + q;
    const double r = adu / q;
    const bool tie = r - std::floor(r) == 0.5;
    const bool even = (bits & 1) == 0;  // u / q is the significand, whose last bit this is
    if (!safe || (tie && !even)) return 0;
    const float next = u + du;
    *d = static_cast<double>(next) - ud;
    if (*d == 0) return k;
    // Steps whose starting value still lies a full |du| + q inside the stretch.
    const double bound = *d > 0 ? hi - adu - q : lo + adu + q;
    double m = std::floor((bound - ud) / *d) + 1;
    if (m < 1) m = 1;
    if (m > static_cast<double>(k)) m = static_cast<double>(k);
    return static_cast<int64_t>(m);
}

}  // namespace

float AdvanceFloatSum(float u, float du, int64_t k) {
    while (k > 0) {
        if (!std::isfinite(u)) return u;  // infinity and NaN stay what they are
        double d = 0;
        const int64_t m = FixedSteps(u, du, k, &d);
        if (m > 0) {
            if (d == 0) return u;
            u = static_cast<float>(static_cast<double>(u) + static_cast<double>(m) * d);
            k -= m;
            continue;
        }
        const float next = u + du;
        --k;
        if (next == u || !std::isfinite(next)) return next;
        u = next;
    }
    return u;
}

namespace {

// Two lanes of doubles, the same product, sum and rounding as one at a time; the index
// counts in double exactly, two counters so that no chain of additions paces the loop.
// Returns how many of the m values it wrote.
int64_t StretchSse2(double ud, double d, int64_t m, float* o) {
    const __m128d base = _mm_set1_pd(ud), dd = _mm_set1_pd(d), four = _mm_set1_pd(4.0);
    __m128d at_lo = _mm_set_pd(1.0, 0.0), at_hi = _mm_set_pd(3.0, 2.0);
    int64_t i = 0;
    for (; i + 4 <= m; i += 4) {
        const __m128 lo = _mm_cvtpd_ps(_mm_add_pd(base, _mm_mul_pd(at_lo, dd)));
        const __m128 hi = _mm_cvtpd_ps(_mm_add_pd(base, _mm_mul_pd(at_hi, dd)));
        at_lo = _mm_add_pd(at_lo, four);
        at_hi = _mm_add_pd(at_hi, four);
        _mm_storeu_ps(o + i, _mm_movelh_ps(lo, hi));
    }
    return i;
}

// Eight floats a step with AVX2. Every value of a stretch is a float, u + i d exactly,
// and so is 8 d (checked): a float sum whose exact result is a float is that result, so
// after the first eight, each next eight is the previous plus 8 d, one addition a lane.
__attribute__((target("avx2"))) int64_t StretchAvx2(double ud, double d, int64_t m, float* o) {
    const float d8 = static_cast<float>(8.0 * d);
    if (m < 8 || static_cast<double>(d8) != 8.0 * d) return StretchSse2(ud, d, m, o);
    const __m256d base = _mm256_set1_pd(ud), dd = _mm256_set1_pd(d);
    const __m128 lo = _mm256_cvtpd_ps(_mm256_add_pd(base, _mm256_mul_pd(_mm256_setr_pd(0.0, 1.0, 2.0, 3.0), dd)));
    const __m128 hi = _mm256_cvtpd_ps(_mm256_add_pd(base, _mm256_mul_pd(_mm256_setr_pd(4.0, 5.0, 6.0, 7.0), dd)));
    __m256 at = _mm256_set_m128(hi, lo);
    const __m256 step = _mm256_set1_ps(d8);
    int64_t i = 0;
    for (; i + 8 <= m; i += 8) {
        _mm256_storeu_ps(o + i, at);
        at = _mm256_add_ps(at, step);  // past the stretch after the last step: not stored
    }
    return i;
}

// Inside a stretch every value is u + i d exactly, in double and then in float: each is
// a multiple of q no wider than the stretch. Those need no chain from one to the next.
template <int64_t (*Stretch)(double, double, int64_t, float*)>
void Walk(float u, float du, int64_t count, float* out) {
    int64_t k = 0;
    while (k < count) {
        double d = 0;
        const int64_t m = std::isfinite(u) ? FixedSteps(u, du, count - k, &d) : 0;
        if (m == 0) {
            out[k++] = u;
            u = u + du;
            continue;
        }
        const double ud = u;
        float* o = out + k;
        for (int64_t i = Stretch(ud, d, m, o); i < m; ++i) o[i] = static_cast<float>(ud + static_cast<double>(i) * d);
        k += m;
        u = static_cast<float>(ud + static_cast<double>(m) * d);
    }
}

}  // namespace

void WalkFloatSum(float u, float du, int64_t count, float* out) { Walk<StretchSse2>(u, du, count, out); }

void WalkFloatSumAvx2(float u, float du, int64_t count, float* out) { Walk<StretchAvx2>(u, du, count, out); }
