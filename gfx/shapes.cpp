#include "gfx/shapes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>

#include "gfx/blend.h"
#include "gfx/pen.h"

namespace gfx {
namespace {

// v as an int within [lo, hi]; NaN gives lo.
int ClampToInt(double v, int lo, int hi) {
    if (!(v > lo)) return lo;
    if (!(v < hi)) return hi;
    return static_cast<int>(v);
}

bool Finite(const PointD& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

}  // namespace

void WindingFill::AddEdges(const PointD* p, int n, bool reverse) {
    for (int i = 0; i < n; ++i) {
        PointD a = p[i], b = p[i + 1 == n ? 0 : i + 1];
        if (reverse) std::swap(a, b);
        if (a.y < b.y)
            edges_.push_back({a.x, a.y, b.x, b.y, 1});
        else if (a.y > b.y)
            edges_.push_back({b.x, b.y, a.x, a.y, -1});
    }
}

void WindingFill::AddContour(const PointD* points, int count) {
    if (count < 3 || !std::all_of(points, points + count, Finite)) return;
    AddEdges(points, count, false);
}

void WindingFill::AddConvex(const PointD* points, int count) {
    if (count < 3 || !std::all_of(points, points + count, Finite)) return;
    double area = 0;
    for (int i = 0; i < count; ++i) {
        const PointD& a = points[i];
        const PointD& b = points[i + 1 == count ? 0 : i + 1];
        area += a.x * b.y - b.x * a.y;
    }
    if (area == 0 || !std::isfinite(area)) return;
    AddEdges(points, count, area < 0);
}

void WindingFill::Fill(Bitmap& target, Argb colour, bool antialias) {
    const int w = target.Width(), h = target.Height();
    const uint32_t alpha = AlphaOf(colour);
    if (edges_.empty() || w <= 0 || h <= 0 || alpha == 0) return;
    std::sort(edges_.begin(), edges_.end(), [](const Edge& a, const Edge& b) { return a.y0 < b.y0; });
    double bottom = edges_[0].y1;
    for (const Edge& e : edges_) bottom = std::max(bottom, e.y1);
    const double top = std::floor(edges_[0].y0);
    bottom = std::ceil(bottom);
    if (bottom < 0 || top > h - 1) return;
    const int row0 = ClampToInt(top, 0, h - 1), row1 = ClampToInt(bottom, 0, h - 1);

    // Coverage changes along a row, in sixteenths: a pixel's count is the running sum.
    std::vector<int32_t> delta(static_cast<size_t>(w) + 2, 0);
    std::vector<size_t> active;
    active.reserve(edges_.size());
    struct Crossing {
        double x;
        int dir;
    };
    std::vector<Crossing> cross;
    cross.reserve(edges_.size());

    const bool argb = target.Format() == PixelFormat::kArgb32;
    const int bpp = target.BytesPerPixel();
    const int subrows = antialias ? 4 : 1;
    size_t next = 0;
    for (int py = row0; py <= row1; ++py) {
        int lo = w + 1, hi = -1;
        for (int k = 0; k < subrows; ++k) {
            const double ys = antialias ? py - 0.375 + 0.25 * k : py;
            while (next < edges_.size() && edges_[next].y0 <= ys) active.push_back(next++);
            cross.clear();
            for (size_t i = 0; i < active.size();) {
                const Edge& e = edges_[active[i]];
                if (e.y1 <= ys) {
                    active[i] = active.back();
                    active.pop_back();
                    continue;
                }
                // t stays within [0, 1], so the crossing is finite however steep the edge.
                const double t = (ys - e.y0) / (e.y1 - e.y0);
                cross.push_back({e.x0 + t * (e.x1 - e.x0), e.dir});
                ++i;
            }
            if (cross.size() < 2) continue;
            std::sort(cross.begin(), cross.end(), [](const Crossing& a, const Crossing& b) { return a.x < b.x; });
            int wind = 0;
            double start = 0;
            for (const Crossing& c : cross) {
                const int before = wind;
                wind += c.dir;
                if (before == 0 && wind != 0) {
                    start = c.x;
                    continue;
                }
                if (before == 0 || wind != 0) continue;
                if (antialias) {
                    // Sample s of the row sits at (s - 1.5) / 4: pixel s / 4, a quarter step apart.
                    const int s0 = ClampToInt(std::ceil(4 * start + 1.5), 0, 4 * w);
                    const int s1 = ClampToInt(std::ceil(4 * c.x + 1.5), 0, 4 * w);
                    if (s0 >= s1) continue;
                    const int p0 = s0 >> 2, p1 = s1 >> 2;
                    if (p0 == p1) {
                        delta[p0] += s1 - s0;
                        delta[p0 + 1] -= s1 - s0;
                    } else {
                        delta[p0] += 4 - (s0 & 3);
                        delta[p0 + 1] -= 4 - (s0 & 3);
                        delta[p0 + 1] += 4;
                        delta[p1] -= 4;
                        delta[p1] += s1 & 3;
                        delta[p1 + 1] -= s1 & 3;
                    }
                    lo = std::min(lo, p0);
                    hi = std::max(hi, p1 + 1);
                } else {
                    const int p0 = ClampToInt(std::ceil(start), 0, w), p1 = ClampToInt(std::ceil(c.x), 0, w);
                    if (p0 >= p1) continue;
                    delta[p0] += 16;
                    delta[p1] -= 16;
                    lo = std::min(lo, p0);
                    hi = std::max(hi, p1);
                }
            }
        }
        if (hi < lo) continue;
        uint8_t* d = target.Row(py) + static_cast<ptrdiff_t>(lo) * bpp;
        int32_t coverage = 0;
        for (int x = lo; x <= hi; ++x, d += bpp) {
            coverage += delta[x];
            delta[x] = 0;
            if (coverage <= 0 || x >= w) continue;
            const Argb c = WithAlpha(colour, (alpha * static_cast<uint32_t>(coverage) + 8) / 16);
            if (argb)
                BlendOverArgb(d, c);
            else
                BlendOverRgb(d, c);
        }
    }
}

void FillRectangle(Bitmap& target, int left, int top, int width, int height, Argb colour) {
    if (width <= 0 || height <= 0 || AlphaOf(colour) == 0) return;
    const int64_t x0 = std::max<int64_t>(left, 0), x1 = std::min<int64_t>(int64_t{left} + width, target.Width());
    const int64_t y0 = std::max<int64_t>(top, 0), y1 = std::min<int64_t>(int64_t{top} + height, target.Height());
    if (x0 >= x1 || y0 >= y1) return;
    const int bpp = target.BytesPerPixel();
    const bool argb = target.Format() == PixelFormat::kArgb32;
    for (int64_t y = y0; y < y1; ++y) {
        uint8_t* d = target.Row(static_cast<int>(y)) + x0 * bpp;
        for (int64_t x = x0; x < x1; ++x, d += bpp) {
            if (argb)
                BlendOverArgb(d, colour);
            else
                BlendOverRgb(d, colour);
        }
    }
}

namespace {

// cos a for a in [0, pi/2] from its series, so that every build computes the same
// points (libm's cos differs between the C libraries we link against).
double SeriesCos(double a) {
    const double a2 = a * a;
    double term = 1, sum = 1;
    for (int k = 1; k <= 12; ++k) {
        term *= -a2 / ((2 * k - 1) * (2 * k));
        sum += term;
    }
    return sum;
}

// The ellipse as a closed polygon, symmetric about both axes, 4q points. A chord of an
// n-gon strays r (1 - cos(pi / n)) ~ r pi^2 / (2 n^2) from the circle; n is chosen
// to keep that within 1/50 of a pixel.
bool EllipsePolygon(float left, float top, float width, float height, std::vector<PointD>& out) {
    if (!std::isfinite(left) || !std::isfinite(top) || !std::isfinite(width) || !std::isfinite(height)) return false;
    if (width < 0 || height < 0) return false;
    const double rx = width / 2.0, ry = height / 2.0;
    const double cx = left + rx, cy = top + ry;
    const double kPi = 3.14159265358979323846;
    const double n = kPi * std::sqrt(std::max(rx, ry) * 25);
    const int q = ClampToInt(std::ceil(n / 4), 2, 1024);
    std::vector<double> c(static_cast<size_t>(q) + 1);
    for (int i = 0; i <= q; ++i) c[i] = SeriesCos(kPi / 2 * i / q);
    out.resize(static_cast<size_t>(4) * q);
    for (int i = 0; i < q; ++i) {
        const double cs = c[i], sn = c[q - i];
        out[i] = {cx + rx * cs, cy + ry * sn};
        out[q + i] = {cx - rx * sn, cy + ry * cs};
        out[2 * q + i] = {cx - rx * cs, cy - ry * sn};
        out[3 * q + i] = {cx + rx * sn, cy - ry * cs};
    }
    return true;
}

}  // namespace

void FillEllipse(Bitmap& target, float left, float top, float width, float height, Argb colour) {
    if (!(width > 0) || !(height > 0)) return;
    try {
        std::vector<PointD> points;
        if (!EllipsePolygon(left, top, width, height, points)) return;
        WindingFill fill;
        fill.AddContour(points.data(), static_cast<int>(points.size()));
        fill.Fill(target, colour, true);
    } catch (const std::bad_alloc&) {
        // Nothing drawn without the memory.
    }
}

void DrawEllipse(Bitmap& target, float left, float top, float width, float height, Argb colour, float pen_width) {
    if (!(pen_width > 0) || !std::isfinite(pen_width)) return;
    try {
        std::vector<PointD> points;
        if (!EllipsePolygon(left, top, width, height, points)) return;
        WindingFill fill;
        AddStroke(fill, points.data(), static_cast<int>(points.size()), true, pen_width);
        fill.Fill(target, colour, true);
    } catch (const std::bad_alloc&) {
        // Nothing drawn without the memory.
    }
}

}  // namespace gfx
