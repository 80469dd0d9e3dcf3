#include "warp/draw_warped_image.h"

#include <xmmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "gfx/blend.h"
#include "gfx/image_points.h"
#include "gfx/pen.h"
#include "warp/float_walk.h"
#include "warp/warp_span.h"

namespace {

// One span's pixels, k = 0 .. count - 1 from (u, v) in steps of (du, dv).
template <int Bpp, bool Nearest>
void FillSpan(gfx::Argb* out, const SourceView& s, float u, float v, float du, float dv, int64_t count,
              const warp::AlphaScale& scale) {
    for (int64_t k = 0; k < count; ++k, u += du, v += dv)
        out[k] = Nearest ? warp::Nearest<Bpp>(s, u, v, scale) : warp::Bilinear<Bpp>(s, u, v, scale);
}

using SpanFiller = void (*)(gfx::Argb*, const SourceView&, float, float, float, float, int64_t,
                            const warp::AlphaScale&);

// The same span with its walk written ahead into u and v, then sampled four at a time.
void FillSpanAhead(gfx::Argb* out, const SourceView& s, float u, float v, float du, float dv, int64_t count,
                   bool nearest, int32_t opacity, const warp::AlphaScale& scale, float* us, float* vs, bool avx2) {
    (avx2 ? WalkFloatSumAvx2 : WalkFloatSum)(u, du, count, us);
    (avx2 ? WalkFloatSumAvx2 : WalkFloatSum)(v, dv, count, vs);
    (avx2 ? warp::SampleSpanAvx2 : warp::SampleSpanSse2)(out, s, us, vs, count, nearest, opacity, scale);
}

void DrawRectangle(gfx::Bitmap& target, const gfx::PointF* corners, const gfx::Bitmap& source, int32_t opacity,
                   WarpSampling sampling) {
    const gfx::Interpolation mode = sampling == WarpSampling::kNearest ? gfx::Interpolation::kNearestNeighbor
                                                                       : gfx::Interpolation::kHighQualityBicubic;
    const gfx::PointF points[3] = {{corners[0].x, corners[0].y}, {corners[1].x, corners[1].y},
                                   {corners[3].x, corners[3].y}};
    if (opacity == 255) {
        gfx::DrawImagePoints(target, source, points, mode);
        return;
    }
    std::unique_ptr<gfx::Bitmap> faded = gfx::Bitmap::Create(source.Width(), source.Height());
    const gfx::ArgbLock lock(source);
    if (!faded || !lock.Scan0()) return;  // no memory: nothing drawn
    for (int y = 0; y < source.Height(); ++y) {
        const uint8_t* s = lock.Scan0() + static_cast<ptrdiff_t>(y) * lock.Stride();
        uint8_t* d = faded->Row(y);
        std::memcpy(d, s, static_cast<size_t>(source.Width()) * 4);
        for (int x = 0; x < source.Width(); ++x) d[4 * x + 3] = static_cast<uint8_t>(d[4 * x + 3] * opacity / 255);
    }
    gfx::DrawImagePoints(target, *faded, points, mode);
}

// The warp: every scan line of the quadrilateral inside the frame rectangle is split
// into spans between edge crossings, each span's source positions interpolated from
// the crossings' positions along their edges. Pixels are stored (not blended) into a
// row of the work image, which is then laid over the target source-over; the work
// image never reaches past the target or the quadrilateral's bounding box.
void DrawWarp(gfx::Bitmap& target, const FrameRect& frame, const gfx::PointF* corners, const gfx::Bitmap& source,
              int32_t opacity, WarpSampling sampling, WarpKernel kernel) {
    const int64_t w = source.Width(), h = source.Height();
    if (w <= 0 || h <= 0) return;
    Correspondence c[4];
    const float su[4] = {0.0f, static_cast<float>(w - 1), static_cast<float>(w - 1), 0.0f};
    const float sv[4] = {0.0f, 0.0f, static_cast<float>(h - 1), static_cast<float>(h - 1)};
    for (int i = 0; i < 4; ++i) c[i] = {TruncToInt(corners[i].x), TruncToInt(corners[i].y), su[i], sv[i]};
    const int32_t min_x = std::min({c[0].x, c[1].x, c[2].x, c[3].x});
    const int32_t min_y = std::min({c[0].y, c[1].y, c[2].y, c[3].y});
    const int32_t max_x = std::max({c[0].x, c[1].x, c[2].x, c[3].x});
    const int32_t max_y = std::max({c[0].y, c[1].y, c[2].y, c[3].y});

    // The part of the work image that can reach the target.
    const int32_t x0 = std::max(0, min_x), y0 = std::max(0, min_y);
    const int32_t x1 = std::min(max_x, target.Width() - 1), y1 = std::min(max_y, target.Height() - 1);
    if (x0 > x1 || y0 > y1) return;
    // The pixels the warp considers, right and bottom inclusive.
    const int32_t left = std::max({frame.left, min_x, x0}), right = std::min({frame.right, max_x, x1});
    const int32_t top = std::max(frame.top, min_y), bottom = std::min(frame.bottom, max_y);

    const int row_len = x1 - x0 + 1;
    std::unique_ptr<gfx::Argb[]> row(new (std::nothrow) gfx::Argb[row_len]);
    // A span never reaches past the row: room for its walk.
    std::unique_ptr<float[]> walk(kernel == WarpKernel::kReference ? nullptr : new (std::nothrow) float[2 * row_len]);
    if (!row || (kernel != WarpKernel::kReference && !walk)) return;
    std::fill_n(row.get(), row_len, 0u);

    const SourceView src = SourceView::Of(source);
    const gfx::Argb corner_pixel[4] = {src.At(0, 0), src.At(w - 1, 0), src.At(w - 1, h - 1), src.At(0, h - 1)};
    const int bpp = target.BytesPerPixel();
    const bool argb = source.Format() == gfx::PixelFormat::kArgb32;
    const warp::AlphaScale scale(opacity);
    const bool avx2 = kernel == WarpKernel::kAvx2 && warp::HasAvx2();
    const SpanFiller fill = sampling == WarpSampling::kNearest ? (argb ? FillSpan<4, true> : FillSpan<3, true>)
                                  : (argb ? FillSpan<4, false> : FillSpan<3, false>);

    for (int32_t y = y0; y <= y1; ++y) {
        int32_t lo = row_len, hi = -1;  // the touched part of the row
        Crossing cross[4];
        const int count = (y >= top && y <= bottom) ? FindCrossings(c, y, cross) : 0;
        if (count > 0) {
            // The target's row is read again only by the blend after the sampling; ask for
            // it now, so that it arrives while the sampler works rather than stalling it.
            const int32_t from = std::clamp(cross[0].x, x0, x1), to = std::clamp(cross[count - 1].x, x0, x1);
            const uint8_t* t = target.Row(y) + static_cast<ptrdiff_t>(from) * bpp;
            const uint8_t* end = target.Row(y) + static_cast<ptrdiff_t>(to + 1) * bpp;
            for (; t < end; t += 64) _mm_prefetch(reinterpret_cast<const char*>(t), _MM_HINT_T0);
        }
        for (int pair = 0; pair + 1 < count; pair += 2) {
            const Crossing& a = cross[pair];
            const Crossing& b = cross[pair + 1];
            float ua, va, ub, vb;
            EdgePosition(c, a, &ua, &va);
            EdgePosition(c, b, &ub, &vb);
            const int64_t n = int64_t{b.x} - a.x;
            const float du = n ? (ub - ua) / static_cast<float>(n) : 0.0f;
            const float dv = n ? (vb - va) / static_cast<float>(n) : 0.0f;
            const int64_t first = std::max<int64_t>(0, int64_t{left} - a.x);
            const int64_t last = std::min<int64_t>(n, int64_t{right} - a.x);
            if (first > last) continue;
            float u = AdvanceFloatSum(ua, du, first), v = AdvanceFloatSum(va, dv, first);
            if (kernel == WarpKernel::kReference)
                fill(row.get() + (a.x + first - x0), src, u, v, du, dv, last - first + 1, scale);
            else
                FillSpanAhead(row.get() + (a.x + first - x0), src, u, v, du, dv, last - first + 1,
                              sampling == WarpSampling::kNearest, opacity, scale, walk.get(), walk.get() + row_len,
                              avx2);
            lo = std::min<int32_t>(lo, static_cast<int32_t>(a.x + first - x0));
            hi = std::max<int32_t>(hi, static_cast<int32_t>(a.x + last - x0));
        }
        // The four corner pixels come straight from the source, without the opacity.
        for (int i = 0; i < 4; ++i) {
            if (c[i].y != y || c[i].x < x0 || c[i].x > x1) continue;
            row[c[i].x - x0] = corner_pixel[i];
            lo = std::min(lo, c[i].x - x0);
            hi = std::max(hi, c[i].x - x0);
        }
        if (hi < lo) continue;
        uint8_t* d = target.Row(y) + static_cast<ptrdiff_t>(x0 + lo) * bpp;
        if (target.Format() == gfx::PixelFormat::kRgb24) {
            (avx2 ? warp::BlendRowOverRgbAvx2 : gfx::BlendRowOverRgb)(d, row.get() + lo, hi - lo + 1);
        } else {
            for (int32_t x = lo; x <= hi; ++x, d += 4) gfx::BlendOverArgb(d, row[x]);
        }
        std::fill(row.get() + lo, row.get() + hi + 1, 0u);
    }
}

}  // namespace

WarpKernel WarpKernelNamed(const std::string& name) { return name == "sse2" ? WarpKernel::kSse2 : WarpKernel::kAvx2; }

void DrawWarpedImage(gfx::Bitmap& target, const FrameRect& frame, const gfx::PointF* corners,
                     const gfx::Bitmap& source, const WarpStyle& style) {
    DrawWarpedImageWith(target, frame, corners, source, style, style.kernel);
}

void DrawWarpedImageWith(gfx::Bitmap& target, const FrameRect& frame, const gfx::PointF* corners,
                         const gfx::Bitmap& source, const WarpStyle& style, WarpKernel kernel) {
    // Opacity is a byte's worth; anything outside would overflow the alpha it scales.
    const int32_t opacity = std::clamp(style.opacity, 0, 255);
    if (style.path == WarpPath::kRectangle)
        DrawRectangle(target, corners, source, opacity, style.sampling);
    else
        DrawWarp(target, frame, corners, source, opacity, style.sampling, kernel);
    if (style.outline_width != 0)
        gfx::DrawPolygon(target, corners, 4, style.outline_colour, static_cast<float>(style.outline_width));
}
