#include "warp/warp_span.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "gfx/blend.h"

namespace {

int32_t Wrap(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }

constexpr int kEdges[4][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}};

}  // namespace

gfx::Argb SourceView::At(int64_t x, int64_t y) const {
    if (x < 0 || y < 0) return 0;
    if (x >= w) {
        const int64_t linear = y * w + x;  // |x|, |y| < 2^31: no overflow
        y = linear / w;
        x = linear % w;
    }
    if (y >= h) return 0;
    return gfx::LoadPixel(top + y * step + x * (format == gfx::PixelFormat::kArgb32 ? 4 : 3), format);
}

int FindCrossings(const Correspondence* c, int32_t y, Crossing out[4]) {
    int count = 0;
    for (int e = 0; e < 4; ++e) {
        const Correspondence& p = c[kEdges[e][0]];
        const Correspondence& q = c[kEdges[e][1]];
        if (p.y == q.y) continue;
        if (y < std::min(p.y, q.y) || y > std::max(p.y, q.y)) continue;
        // 32-bit arithmetic that wraps as the machine's does; only absurd corners wrap.
        const int32_t num = Wrap(int64_t{Wrap(int64_t{y} - p.y)} * Wrap(int64_t{q.x} - p.x));
        const int32_t den = Wrap(int64_t{q.y} - p.y);
        const int32_t quot = (num == INT32_MIN && den == -1) ? INT32_MIN : num / den;
        out[count++] = {e, Wrap(int64_t{quot} + p.x), y};
    }
    // Stable insertion sort: equal x keep their edge order.
    for (int i = 1; i < count; ++i)
        for (int j = i; j > 0 && out[j - 1].x > out[j].x; --j) std::swap(out[j - 1], out[j]);
    int kept = 0;
    for (int i = 0; i < count; ++i)
        if (kept == 0 || out[i].x != out[kept - 1].x) out[kept++] = out[i];
    if (kept < 2) return 0;
    if (kept == 3) {
        out[3] = out[2];
        out[2] = out[1];
        return 4;
    }
    return kept;
}

void EdgePosition(const Correspondence* c, const Crossing& a, float* u, float* v) {
    const Correspondence& p = c[kEdges[a.edge][0]];
    const Correspondence& q = c[kEdges[a.edge][1]];
    const double ax = static_cast<double>(int64_t{a.x} - p.x), ay = static_cast<double>(int64_t{a.y} - p.y);
    const double ex = static_cast<double>(int64_t{q.x} - p.x), ey = static_cast<double>(int64_t{q.y} - p.y);
    const double t = std::sqrt(ax * ax + ay * ay) / std::sqrt(ex * ex + ey * ey);
    // The weight of P is formed in single precision from t rounded to float; the rest
    // is double until the result is stored.
    const float rest = 1.0f - static_cast<float>(t);
    *u = static_cast<float>(t * q.u + rest * p.u);
    *v = static_cast<float>(t * q.v + rest * p.v);
}

gfx::Argb SampleNearest(const SourceView& s, float u, float v, int32_t opacity) {
    const warp::AlphaScale scale(opacity);
    return s.format == gfx::PixelFormat::kArgb32 ? warp::Nearest<4>(s, u, v, scale) : warp::Nearest<3>(s, u, v, scale);
}

gfx::Argb SampleBilinear(const SourceView& s, float u, float v, int32_t opacity) {
    const warp::AlphaScale scale(opacity);
    return s.format == gfx::PixelFormat::kArgb32 ? warp::Bilinear<4>(s, u, v, scale)
                                                 : warp::Bilinear<3>(s, u, v, scale);
}
