#include "gfx/image_points.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "gfx/blend.h"

namespace gfx {
namespace {

// Most kernel taps one bicubic call may spend. Only extreme shears of parallelograms
// far larger than the target come near it; there the widening is scaled back so that
// the call still ends promptly.
constexpr double kTapBudget = 268435456.0;

constexpr int BppOf(PixelFormat f) { return f == PixelFormat::kArgb32 ? 4 : 3; }

// v as an int within [lo, hi]; NaN gives lo. Every double-to-int conversion here goes
// through this or through a value already known to be in range.
int ClampToInt(double v, int lo, int hi) {
    if (!(v > lo)) return lo;
    if (!(v < hi)) return hi;
    return static_cast<int>(v);
}

// The drawing transform run backwards: a target point (px, py) comes from source
// u = ux (px - ox) + uy (py - oy), v = vx (px - ox) + vy (py - oy). Written around
// dest[0] so that identity, translation and power-of-two scales stay exact.
struct Inverse {
    double ox, oy, ux, uy, vx, vy, w, h;
};

// Beyond this a float no longer holds whole pixels; such corners count as degenerate.
constexpr float kMaxCoordinate = 16777216.0f;

bool Invert(const PointF dest[3], int w, int h, Inverse* m) {
    for (int i = 0; i < 3; ++i)
        if (!(std::fabs(dest[i].x) <= kMaxCoordinate) || !(std::fabs(dest[i].y) <= kMaxCoordinate)) return false;
    const double ex = double{dest[1].x} - dest[0].x, ey = double{dest[1].y} - dest[0].y;
    const double fx = double{dest[2].x} - dest[0].x, fy = double{dest[2].y} - dest[0].y;
    const double det = ex * fy - ey * fx;
    if (det == 0 || !std::isfinite(det)) return false;
    *m = {dest[0].x, dest[0].y, w * fy / det, -w * fx / det, -h * ey / det, h * ex / det, double(w), double(h)};
    return std::isfinite(m->ux) && std::isfinite(m->uy) && std::isfinite(m->vx) && std::isfinite(m->vy);
}

struct Job {
    Bitmap* target;
    const Bitmap* src;
    Inverse m;
    int x0, x1, y0, y1;  // target pixels that may be drawn, inclusive
};

// Narrows [lo, hi] to the t where k t + r lies in [0, limit].
bool Narrow(double k, double r, double limit, double& lo, double& hi) {
    if (k == 0) return r >= 0 && r < limit;
    double a = -r / k, b = (limit - r) / k;
    if (a > b) std::swap(a, b);
    lo = std::max(lo, a);
    hi = std::min(hi, b);
    return lo <= hi;
}

// Columns of one row that may be drawn, a pixel to spare either side: the pixel loops
// test every centre themselves.
bool RowSpan(const Job& j, double ru, double rv, int* xs, int* xe) {
    double lo = -HUGE_VAL, hi = HUGE_VAL;
    if (!Narrow(j.m.ux, ru, j.m.w, lo, hi) || !Narrow(j.m.vx, rv, j.m.h, lo, hi)) return false;
    const double a = std::floor(lo - 0.5 + j.m.ox) - 1, b = std::ceil(hi - 0.5 + j.m.ox) + 1;
    if (!(b >= j.x0 && a <= j.x1)) return false;
    *xs = ClampToInt(a, j.x0, j.x1);
    *xe = ClampToInt(b, j.x0, j.x1);
    return true;
}

template <PixelFormat D>
inline void PutArgb(uint8_t* d, Argb c) {
    if constexpr (D == PixelFormat::kArgb32)
        BlendOverArgb(d, c);
    else
        BlendOverRgb(d, c);
}

template <PixelFormat S, PixelFormat D>
inline void Put(uint8_t* d, const uint8_t* s) {
    if constexpr (S == PixelFormat::kRgb24) {
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
        if constexpr (D == PixelFormat::kArgb32) d[3] = 255;
    } else {
        PutArgb<D>(d, LoadPixel(s, PixelFormat::kArgb32));
    }
}

template <PixelFormat S, PixelFormat D>
void NearestGeneral(const Job& j) {
    constexpr int sb = BppOf(S), db = BppOf(D);
    const Inverse& m = j.m;
    for (int y = j.y0; y <= j.y1; ++y) {
        const double ty = y + 0.5 - m.oy;
        const double ru = m.uy * ty, rv = m.vy * ty;
        int xs, xe;
        if (!RowSpan(j, ru, rv, &xs, &xe)) continue;
        uint8_t* d = j.target->Row(y) + static_cast<ptrdiff_t>(xs) * db;
        for (int x = xs; x <= xe; ++x, d += db) {
            const double t = x + 0.5 - m.ox;
            const double u = m.ux * t + ru, v = m.vx * t + rv;
            if (!(u >= 0 && u < m.w && v >= 0 && v < m.h)) continue;
            Put<S, D>(d, j.src->Row(static_cast<int>(v)) + static_cast<ptrdiff_t>(static_cast<int>(u)) * sb);
        }
    }
}

// Unrotated: every row reads the same source columns, so they are worked out once.
template <PixelFormat S, PixelFormat D>
void NearestAxisAligned(const Job& j) {
    constexpr int sb = BppOf(S), db = BppOf(D);
    const Inverse& m = j.m;
    std::unique_ptr<int[]> col(new (std::nothrow) int[j.x1 - j.x0 + 1]);
    if (!col) return;
    int first = -1, count = 0;
    for (int x = j.x0; x <= j.x1; ++x) {
        const double u = m.ux * (x + 0.5 - m.ox);
        if (!(u >= 0 && u < m.w)) continue;
        if (first < 0) first = x;
        col[count++] = static_cast<int>(u);  // u is monotonic in x: the columns are one run
    }
    if (count == 0) return;
    bool run = true;
    for (int i = 1; i < count && run; ++i) run = col[i] == col[0] + i;
    for (int y = j.y0; y <= j.y1; ++y) {
        const double v = m.vy * (y + 0.5 - m.oy);
        if (!(v >= 0 && v < m.h)) continue;
        const uint8_t* s = j.src->Row(static_cast<int>(v));
        uint8_t* d = j.target->Row(y) + static_cast<ptrdiff_t>(first) * db;
        if (run) {
            s += static_cast<ptrdiff_t>(col[0]) * sb;
            if constexpr (S == PixelFormat::kRgb24 && D == PixelFormat::kRgb24) {
                std::memcpy(d, s, static_cast<size_t>(count) * 3);
            } else {
                for (int i = 0; i < count; ++i, d += db, s += sb) Put<S, D>(d, s);
            }
        } else {
            for (int i = 0; i < count; ++i, d += db) Put<S, D>(d, s + static_cast<ptrdiff_t>(col[i]) * sb);
        }
    }
}

// Keys' cubic convolution kernel, a = -0.5.
inline double Keys(double t) {
    t = std::fabs(t);
    if (t < 1) return (1.5 * t - 2.5) * t * t + 1;
    if (t < 2) return ((-0.5 * t + 2.5) * t - 4) * t + 2;
    return 0;
}

inline int MaxTaps(double f) { return static_cast<int>(4 * f) + 2; }

// The kernel's taps for sample position p (source pixel centres at integers), widened
// by f >= 1: indices clamped into [0, n) and scaled by `step`, weights summing to one.
// Unwidened these are Catmull-Rom's four weights in closed form (their sum is one
// already); widened, the nonzero samples of K(t / f), normalised.
int Taps(double p, double f, int n, int step, int* idx, float* w) {
    if (f == 1) {
        const double fl = std::floor(p), t = p - fl, t2 = t * t, t3 = t2 * t;
        w[0] = static_cast<float>((-t3 + 2 * t2 - t) * 0.5);
        w[1] = static_cast<float>((3 * t3 - 5 * t2 + 2) * 0.5);
        w[2] = static_cast<float>((-3 * t3 + 4 * t2 + t) * 0.5);
        w[3] = static_cast<float>((t3 - t2) * 0.5);
        const int i = static_cast<int>(fl);  // p is in [-0.5, n - 0.5)
        for (int k = 0; k < 4; ++k) idx[k] = std::clamp(i - 1 + k, 0, n - 1) * step;
        return 4;
    }
    const double r = 2 * f;
    // p and r are below 2^31 each, so their sum and difference fit 64 bits.
    const int64_t i0 = static_cast<int64_t>(std::ceil(p - r)), i1 = static_cast<int64_t>(std::floor(p + r));
    int k = 0;
    float sum = 0;
    for (int64_t i = i0; i <= i1; ++i) {
        const float wi = static_cast<float>(Keys((static_cast<double>(i) - p) / f));
        if (wi == 0) continue;
        idx[k] = static_cast<int>(std::clamp<int64_t>(i, 0, n - 1)) * step;
        w[k++] = wi;
        sum += wi;
    }
    for (int i = 0; i < k; ++i) w[i] /= sum;
    return k;
}

inline uint32_t Byte(float v) {
    if (!(v > 0)) return 0;
    if (!(v < 255)) return 255;
    return static_cast<uint32_t>(v + 0.5f);
}

// Filtered B, G, R (premultiplied for ARGB sources) and A into a pixel; false when it
// comes out fully transparent. Overshoot is clamped.
template <PixelFormat S>
inline bool Finish(float b, float g, float r, float a, Argb* out) {
    if constexpr (S == PixelFormat::kRgb24) {
        *out = 0xFF000000u | Byte(r) << 16 | Byte(g) << 8 | Byte(b);
    } else {
        if (!(a >= 0.5f)) return false;
        *out = Byte(a) << 24 | Byte(r / a) << 16 | Byte(g / a) << 8 | Byte(b / a);
    }
    return true;
}

// One bicubic sample from column offsets ci (bytes) and rows ri. kFixed, when not
// zero, is the tap count on both axes, so the common unwidened case unrolls.
template <PixelFormat S, int kFixed>
inline bool Cubic(const Bitmap& src, const int* ci, const float* cw, int nc, const int* ri, const float* rw, int nr,
                  Argb* out) {
    if constexpr (kFixed != 0) nc = nr = kFixed;
    float b = 0, g = 0, r = 0, a = 0;
    for (int jj = 0; jj < nr; ++jj) {
        const uint8_t* row = src.Row(ri[jj]);
        float rb = 0, rg = 0, rr = 0, ra = 0;
        for (int i = 0; i < nc; ++i) {
            const uint8_t* p = row + ci[i];
            if constexpr (S == PixelFormat::kArgb32) {
                const float wa = cw[i] * p[3];
                rb += wa * p[0];
                rg += wa * p[1];
                rr += wa * p[2];
                ra += wa;
            } else {
                rb += cw[i] * p[0];
                rg += cw[i] * p[1];
                rr += cw[i] * p[2];
            }
        }
        b += rw[jj] * rb;
        g += rw[jj] * rg;
        r += rw[jj] * rr;
        if constexpr (S == PixelFormat::kArgb32) a += rw[jj] * ra;
    }
    return Finish<S>(b, g, r, a, out);
}

struct Widening {
    double fu, fv;
};

// How far the kernel spreads along each source axis: the source distance one target
// pixel spans there, never below one.
Widening WideningOf(const Job& j) {
    const Inverse& m = j.m;
    double fu = std::clamp(std::sqrt(m.ux * m.ux + m.uy * m.uy), 1.0, m.w);
    double fv = std::clamp(std::sqrt(m.vx * m.vx + m.vy * m.vy), 1.0, m.h);
    const double pixels = (double(j.x1) - j.x0 + 1) * (double(j.y1) - j.y0 + 1);
    const double cost = pixels * (4 * fu + 1) * (4 * fv + 1);
    if (cost > kTapBudget) {
        const double s = std::sqrt(cost / kTapBudget);
        fu = std::max(1.0, fu / s);
        fv = std::max(1.0, fv / s);
    }
    return {fu, fv};
}

template <PixelFormat S, PixelFormat D>
void BicubicGeneral(const Job& j) {
    constexpr int sb = BppOf(S), db = BppOf(D);
    const Inverse& m = j.m;
    const Widening f = WideningOf(j);
    const int tu = MaxTaps(f.fu), tv = MaxTaps(f.fv);
    std::unique_ptr<int[]> idx(new (std::nothrow) int[tu + tv]);
    std::unique_ptr<float[]> wt(new (std::nothrow) float[tu + tv]);
    if (!idx || !wt) return;
    int* ci = idx.get();
    int* ri = ci + tu;
    float* cw = wt.get();
    float* rw = cw + tu;
    const bool fixed = f.fu == 1 && f.fv == 1;
    const int w = j.src->Width(), h = j.src->Height();
    for (int y = j.y0; y <= j.y1; ++y) {
        const double ty = y + 0.5 - m.oy;
        const double ru = m.uy * ty, rv = m.vy * ty;
        int xs, xe;
        if (!RowSpan(j, ru, rv, &xs, &xe)) continue;
        uint8_t* d = j.target->Row(y) + static_cast<ptrdiff_t>(xs) * db;
        for (int x = xs; x <= xe; ++x, d += db) {
            const double t = x + 0.5 - m.ox;
            const double u = m.ux * t + ru, v = m.vx * t + rv;
            if (!(u >= 0 && u < m.w && v >= 0 && v < m.h)) continue;
            const int nc = Taps(u - 0.5, f.fu, w, sb, ci, cw);
            const int nr = Taps(v - 0.5, f.fv, h, 1, ri, rw);
            Argb c;
            const bool any = fixed ? Cubic<S, 4>(*j.src, ci, cw, nc, ri, rw, nr, &c)
                                   : Cubic<S, 0>(*j.src, ci, cw, nc, ri, rw, nr, &c);
            if (any) PutArgb<D>(d, c);
        }
    }
}

// Unrotated, the filter is separable: each target row first filters the source columns
// it needs down the rows into one line of sums, then each pixel filters along that
// line with column taps worked out once for the call.
template <PixelFormat S, PixelFormat D>
void BicubicAxisAligned(const Job& j) {
    constexpr int sb = BppOf(S), db = BppOf(D);
    const Inverse& m = j.m;
    const Widening f = WideningOf(j);
    const int tu = MaxTaps(f.fu), tv = MaxTaps(f.fv);
    const int cols = j.x1 - j.x0 + 1;
    const size_t table = static_cast<size_t>(cols) * tu;
    std::unique_ptr<int[]> idx(new (std::nothrow) int[table + tv]);
    std::unique_ptr<float[]> wt(new (std::nothrow) float[table + tv]);
    std::unique_ptr<int[]> taps(new (std::nothrow) int[cols]);
    if (!idx || !wt || !taps) return;
    const int w = j.src->Width(), h = j.src->Height();
    int first = -1, count = 0, lo = w, hi = -1;
    for (int x = j.x0; x <= j.x1; ++x) {
        const double u = m.ux * (x + 0.5 - m.ox);
        if (!(u >= 0 && u < m.w)) continue;
        if (first < 0) first = x;
        int* ci = idx.get() + static_cast<size_t>(count) * tu;
        const int n = Taps(u - 0.5, f.fu, w, 1, ci, wt.get() + static_cast<size_t>(count) * tu);
        for (int k = 0; k < n; ++k) {
            lo = std::min(lo, ci[k]);
            hi = std::max(hi, ci[k]);
        }
        taps[count++] = n;
    }
    if (count == 0 || hi < lo) return;
    // One line of filtered source columns lo..hi: B, G, R, A (premultiplied for ARGB).
    const int span = hi - lo + 1;
    std::unique_ptr<float[]> line(new (std::nothrow) float[static_cast<size_t>(span) * 4]);
    if (!line) return;
    for (int i = 0; i < count; ++i) {
        int* ci = idx.get() + static_cast<size_t>(i) * tu;
        for (int k = 0; k < taps[i]; ++k) ci[k] = (ci[k] - lo) * 4;
    }
    int* ri = idx.get() + table;
    float* rw = wt.get() + table;
    for (int y = j.y0; y <= j.y1; ++y) {
        const double v = m.vy * (y + 0.5 - m.oy);
        if (!(v >= 0 && v < m.h)) continue;
        const int nr = Taps(v - 0.5, f.fv, h, 1, ri, rw);
        float* out = line.get();
        std::fill_n(out, static_cast<size_t>(span) * 4, 0.0f);
        for (int k = 0; k < nr; ++k) {
            const uint8_t* s = j.src->Row(ri[k]) + static_cast<ptrdiff_t>(lo) * sb;
            const float wk = rw[k];
            for (int c = 0; c < span; ++c, s += sb) {
                float* o = out + 4 * c;
                if constexpr (S == PixelFormat::kArgb32) {
                    const float wa = wk * s[3];
                    o[0] += wa * s[0];
                    o[1] += wa * s[1];
                    o[2] += wa * s[2];
                    o[3] += wa;
                } else {
                    o[0] += wk * s[0];
                    o[1] += wk * s[1];
                    o[2] += wk * s[2];
                }
            }
        }
        uint8_t* d = j.target->Row(y) + static_cast<ptrdiff_t>(first) * db;
        for (int i = 0; i < count; ++i, d += db) {
            const int* ci = idx.get() + static_cast<size_t>(i) * tu;
            const float* cw = wt.get() + static_cast<size_t>(i) * tu;
            float b = 0, g = 0, r = 0, a = 0;
            for (int k = 0; k < taps[i]; ++k) {
                const float* p = out + ci[k];
                b += cw[k] * p[0];
                g += cw[k] * p[1];
                r += cw[k] * p[2];
                a += cw[k] * p[3];
            }
            Argb c;
            if (Finish<S>(b, g, r, a, &c)) PutArgb<D>(d, c);
        }
    }
}

template <PixelFormat S, PixelFormat D>
void Run(const Job& j, Interpolation mode) {
    const Inverse& m = j.m;
    const bool axis = m.uy == 0 && m.vx == 0;
    // Unit scale on whole pixels puts every bicubic sample on a source centre, where
    // the kernel is 1 there and 0 at its neighbours: that is nearest's copy.
    const bool whole = axis && std::fabs(m.ux) == 1 && std::fabs(m.vy) == 1 && m.ox == std::floor(m.ox) &&
                       m.oy == std::floor(m.oy);
    if (mode == Interpolation::kNearestNeighbor || whole) {
        if (axis)
            NearestAxisAligned<S, D>(j);
        else
            NearestGeneral<S, D>(j);
    } else {
        if (axis)
            BicubicAxisAligned<S, D>(j);
        else
            BicubicGeneral<S, D>(j);
    }
}

}  // namespace

void DrawImagePoints(Bitmap& target, const Bitmap& src, const PointF dest[3], Interpolation mode) {
    const int tw = target.Width(), th = target.Height();
    if (src.Width() <= 0 || src.Height() <= 0 || tw <= 0 || th <= 0) return;
    Job j;
    j.target = &target;
    j.src = &src;
    if (!Invert(dest, src.Width(), src.Height(), &j.m)) return;

    // Pixels whose centres lie within the parallelogram's bounding box.
    const double cx[4] = {dest[0].x, dest[1].x, dest[2].x, double{dest[1].x} + dest[2].x - dest[0].x};
    const double cy[4] = {dest[0].y, dest[1].y, dest[2].y, double{dest[1].y} + dest[2].y - dest[0].y};
    const double bx0 = std::floor(*std::min_element(cx, cx + 4) - 0.5);
    const double bx1 = std::ceil(*std::max_element(cx, cx + 4) - 0.5);
    const double by0 = std::floor(*std::min_element(cy, cy + 4) - 0.5);
    const double by1 = std::ceil(*std::max_element(cy, cy + 4) - 0.5);
    if (bx1 < 0 || by1 < 0 || bx0 > tw - 1 || by0 > th - 1) return;
    j.x0 = ClampToInt(bx0, 0, tw - 1);
    j.x1 = ClampToInt(bx1, 0, tw - 1);
    j.y0 = ClampToInt(by0, 0, th - 1);
    j.y1 = ClampToInt(by1, 0, th - 1);

    const bool s32 = src.Format() == PixelFormat::kArgb32, t32 = target.Format() == PixelFormat::kArgb32;
    if (s32 && t32)
        Run<PixelFormat::kArgb32, PixelFormat::kArgb32>(j, mode);
    else if (s32)
        Run<PixelFormat::kArgb32, PixelFormat::kRgb24>(j, mode);
    else if (t32)
        Run<PixelFormat::kRgb24, PixelFormat::kArgb32>(j, mode);
    else
        Run<PixelFormat::kRgb24, PixelFormat::kRgb24>(j, mode);
}

}  // namespace gfx
