#include "gfx/pen.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace gfx {
namespace {

bool Finite(const PointD& p) { return std::isfinite(p.x) && std::isfinite(p.y); }
bool Same(const PointD& a, const PointD& b) { return a.x == b.x && a.y == b.y; }

// Length without overflow or underflow of the squares.
double Length(double dx, double dy) {
    const double m = std::max(std::fabs(dx), std::fabs(dy));
    if (m == 0) return 0;
    const double x = dx / m, y = dy / m;
    return m * std::sqrt(x * x + y * y);
}

// The outer side of the corner at p between unit directions d0 and d1.
void AddJoin(WindingFill& fill, const PointD& p, const PointD& d0, const PointD& d1, double hw) {
    const double cross = d0.x * d1.y - d0.y * d1.x;
    if (cross == 0) return;  // straight on, or straight back (nothing beyond the flat ends)
    const double s = cross > 0 ? -hw : hw;
    const PointD n0{-d0.y, d0.x}, n1{-d1.y, d1.x};
    const PointD a{p.x + s * n0.x, p.y + s * n0.y}, b{p.x + s * n1.x, p.y + s * n1.y};
    // The miter reaches 1 / cos(phi) pen widths from the inner corner, phi half the
    // turn; cos^2(phi) = (1 + n0.n1) / 2.
    const double one_plus_dot = 1 + n0.x * n1.x + n0.y * n1.y;
    if (one_plus_dot * kMiterLimit * kMiterLimit >= 2) {
        const double k = s / one_plus_dot;
        const PointD m{p.x + k * (n0.x + n1.x), p.y + k * (n0.y + n1.y)};
        const PointD piece[4] = {p, a, m, b};
        fill.AddConvex(piece, 4);
    } else {
        const PointD piece[3] = {p, a, b};
        fill.AddConvex(piece, 3);
    }
}

std::vector<PointD> ToDouble(const PointF* points, int count) {
    std::vector<PointD> out(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) out[i] = {points[i].x, points[i].y};
    return out;
}

// Keeps the part of segment a-b on one side of the line x = limit (axis 0) or
// y = limit (axis 1); false when nothing is left. A moved end lands on the line exactly
// and takes its other coordinate from the slope, so horizontal and vertical segments
// of any length stay exact. (Clipping by parameter instead would lose the visible
// part of a segment from -1e30 to 1e30 to rounding.)
bool ClipAxis(PointD& a, PointD& b, int axis, double limit, bool keep_above) {
    auto c = [axis](const PointD& p) { return axis == 0 ? p.x : p.y; };
    auto inside = [&](const PointD& p) { return keep_above ? c(p) >= limit : c(p) <= limit; };
    const bool ia = inside(a), ib = inside(b);
    if (ia && ib) return true;
    if (!ia && !ib) return false;
    PointD& out = ia ? b : a;
    const PointD in = ia ? a : b;
    const double t = (limit - c(in)) / (c(out) - c(in));
    out = axis == 0 ? PointD{limit, in.y + t * (out.y - in.y)} : PointD{in.x + t * (out.x - in.x), limit};
    return true;
}

bool ClipSegment(PointD a, PointD b, double x0, double y0, double x1, double y1, PointD* ca, PointD* cb) {
    if (!ClipAxis(a, b, 0, x0, true) || !ClipAxis(a, b, 0, x1, false) || !ClipAxis(a, b, 1, y0, true) ||
        !ClipAxis(a, b, 1, y1, false))
        return false;
    *ca = a;
    *cb = b;
    return true;
}

// Dashes of a path, 3 units on and 1 off from its first point, each stroked as an open
// path of its own. Only the parts of segments near the target are walked: the margin
// holds every join and end that could reach it, so a path of any length costs at most
// a pass over the target's extent.
void AddDashes(WindingFill& fill, const std::vector<PointD>& p, bool closed, double width, int tw, int th) {
    const int n = static_cast<int>(p.size());
    if (n < 2 || !std::all_of(p.begin(), p.end(), Finite)) return;
    const double unit = width, period = 4 * unit;
    const double margin = kMiterLimit * width + 2;
    const double bx0 = -margin, by0 = -margin, bx1 = tw + margin, by1 = th + margin;

    bool on = true;
    double left = 3 * unit;  // what remains of the current dash or gap
    std::vector<PointD> dash;
    auto flush = [&] {
        if (dash.size() >= 2) AddStroke(fill, dash.data(), static_cast<int>(dash.size()), false, width);
        dash.clear();
    };
    auto skip = [&](double distance) {
        distance = std::fmod(distance, period);
        while (distance > 0) {
            if (distance < left) {
                left -= distance;
                return;
            }
            distance -= left;
            on = !on;
            left = on ? 3 * unit : unit;
        }
    };

    const int segments = closed ? n : n - 1;
    for (int s = 0; s < segments; ++s) {
        const PointD a = p[s], b = p[s + 1 == n ? 0 : s + 1];
        const double len = Length(b.x - a.x, b.y - a.y);
        if (len == 0) continue;
        PointD ca, cb;
        if (!ClipSegment(a, b, bx0, by0, bx1, by1, &ca, &cb)) {
            flush();
            skip(len);
            continue;
        }
        if (!Same(ca, a)) {
            flush();
            skip(Length(ca.x - a.x, ca.y - a.y));
        }
        // Positions along the clipped piece are measured from its own start, so that a
        // piece of an enormous segment keeps its precision.
        const PointD cd{cb.x - ca.x, cb.y - ca.y};
        const double piece = Length(cd.x, cd.y);
        auto at = [&](double q) { return PointD{ca.x + q / piece * cd.x, ca.y + q / piece * cd.y}; };
        double q = 0;
        while (q < piece) {
            const bool last = left >= piece - q;
            if (on) {
                if (dash.empty()) dash.push_back(at(q));
                dash.push_back(last ? cb : at(q + left));
            }
            if (last) {
                left -= piece - q;
                q = piece;
            } else {
                q += left;
                left = 0;
            }
            if (left <= 0) {
                if (on) flush();
                on = !on;
                left = on ? 3 * unit : unit;
            }
        }
        if (!Same(cb, b)) {
            flush();
            skip(Length(b.x - cb.x, b.y - cb.y));
        }
    }
    flush();
}

void DrawDashed(Bitmap& target, const std::vector<PointD>& points, bool closed, Argb colour, float width) {
    if (!(width > 0) || !std::isfinite(width)) return;
    WindingFill fill;
    AddDashes(fill, points, closed, std::max(1.0, double{width}), target.Width(), target.Height());
    fill.Fill(target, colour, false);
}

}  // namespace

void AddStroke(WindingFill& fill, const PointD* points, int count, bool closed, double width) {
    if (!(width > 0) || !std::isfinite(width) || count < 2) return;
    std::vector<PointD> p;
    p.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        if (!Finite(points[i])) return;
        if (p.empty() || !Same(points[i], p.back())) p.push_back(points[i]);
    }
    if (closed && p.size() > 1 && Same(p.front(), p.back())) p.pop_back();
    const int n = static_cast<int>(p.size());
    if (n < 2) return;
    const double hw = width / 2;
    const int segments = closed ? n : n - 1;
    std::vector<PointD> dir(static_cast<size_t>(segments));
    for (int s = 0; s < segments; ++s) {
        const PointD& a = p[s];
        const PointD& b = p[s + 1 == n ? 0 : s + 1];
        const double dx = b.x - a.x, dy = b.y - a.y, len = Length(dx, dy);
        dir[s] = {dx / len, dy / len};
        const PointD o{-dir[s].y * hw, dir[s].x * hw};
        const PointD quad[4] = {{a.x + o.x, a.y + o.y}, {b.x + o.x, b.y + o.y}, {b.x - o.x, b.y - o.y},
                                {a.x - o.x, a.y - o.y}};
        fill.AddConvex(quad, 4);
    }
    if (closed) {
        for (int v = 0; v < n; ++v) AddJoin(fill, p[v], dir[v == 0 ? segments - 1 : v - 1], dir[v], hw);
    } else {
        for (int v = 1; v + 1 < n; ++v) AddJoin(fill, p[v], dir[v - 1], dir[v], hw);
    }
}

void DrawLine(Bitmap& target, PointF a, PointF b, Argb colour, float width) {
    if (!(width > 0)) return;
    try {
        const PointD p[2] = {{a.x, a.y}, {b.x, b.y}};
        WindingFill fill;
        AddStroke(fill, p, 2, false, width);
        fill.Fill(target, colour, true);
    } catch (const std::bad_alloc&) {
        // Nothing drawn without the memory.
    }
}

void DrawPolygon(Bitmap& target, const PointF* points, int count, Argb colour, float width) {
    if (!points || count < 2 || !(width > 0)) return;
    try {
        const std::vector<PointD> p = ToDouble(points, count);
        WindingFill fill;
        AddStroke(fill, p.data(), count, true, width);
        fill.Fill(target, colour, true);
    } catch (const std::bad_alloc&) {
        // Nothing drawn without the memory.
    }
}

void DrawDashedLine(Bitmap& target, PointF a, PointF b, Argb colour, float width) {
    try {
        DrawDashed(target, {{a.x, a.y}, {b.x, b.y}}, false, colour, width);
    } catch (const std::bad_alloc&) {
        // Nothing drawn without the memory.
    }
}

void DrawDashedRectangle(Bitmap& target, int left, int top, int right, int bottom, Argb colour, float width) {
    try {
        const double l = left, t = top, r = right, b = bottom;
        DrawDashed(target, {{l, t}, {r, t}, {r, b}, {l, b}}, true, colour, width);
    } catch (const std::bad_alloc&) {
        // Nothing drawn without the memory.
    }
}

void DrawDashedPolygon(Bitmap& target, const PointF* points, int count, Argb colour, float width) {
    if (!points || count < 2) return;
    try {
        DrawDashed(target, ToDouble(points, count), true, colour, width);
    } catch (const std::bad_alloc&) {
        // Nothing drawn without the memory.
    }
}

}  // namespace gfx
