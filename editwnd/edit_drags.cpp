#include "editwnd/edit_drags.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "editwnd/edit_geometry.h"
#include "editwnd/edit_handles.h"

namespace editwnd {

bool MoveOverlay(EditPlacement& placement, float dx, float dy) {
    CornerQuad corners = CornersOf(placement);
    for (OverlayCorner& c : corners) {
        c.x += dx;
        c.y += dy;
    }
    return CommitCorners(placement, corners);
}

bool NudgeOverlay(EditPlacement& placement, NudgeDirection direction) {
    constexpr float kStep[4][2] = {{-1.0f, 0.0f}, {0.0f, -1.0f}, {1.0f, 0.0f}, {0.0f, 1.0f}};
    const float* step = kStep[static_cast<int>(direction)];
    return MoveOverlay(placement, step[0], step[1]);
}

namespace {

// The line e*y - m*x = K: e = 0, m = 1 for a vertical line, else e = 1 and m the slope.
struct Line {
    float e, m, k;
};

Line Through(OverlayCorner p, OverlayCorner q, float shift_x = 0.0f, float shift_y = 0.0f) {
    Line l{1.0f, 0.0f, 0.0f};
    if (p.x - q.x == 0.0f)
        l = {0.0f, 1.0f, 0.0f};
    else
        l.m = (p.y - q.y) / (p.x - q.x);
    l.k = l.e * p.y - l.m * p.x + l.e * shift_y - l.m * shift_x;
    return l;
}

bool Parallel(const Line& a, const Line& b) { return a.e == b.e && a.m == b.m; }

// Where the moved edge meets a neighbour; the neighbour gives y unless it is vertical.
OverlayCorner Meet(const Line& moved, const Line& side) {
    OverlayCorner p;
    if (moved.e == 0.0f) {
        p.x = -moved.k / moved.m;
        p.y = side.m * p.x + side.k;
    } else if (side.e == 0.0f) {
        p.x = -side.k / side.m;
        p.y = moved.m * p.x + moved.k;
    } else {
        p.x = -(side.k - moved.k) / (side.m - moved.m);
        p.y = side.m * p.x + side.k;
    }
    return p;
}

// Per even handle: the moved edge runs from corner a to corner c; b neighbours a and
// d neighbours c.
struct EdgeCorners {
    int a, b, c, d;
};
constexpr EdgeCorners kMidpointEdges[4] = {{3, 2, 0, 1}, {0, 3, 1, 2}, {1, 0, 2, 3}, {2, 1, 3, 0}};

}  // namespace

bool DragWarpHandle(EditPlacement& placement, int index, const EditRect& handle, int x, int y) {
    CornerQuad corners = CornersOf(placement);
    if (index % 2 == 1) {
        corners[index / 2] = {static_cast<float>(x), static_cast<float>(y)};
        return CommitCorners(placement, corners);
    }
    const EdgeCorners& n = kMidpointEdges[index / 2];
    const OverlayCorner a = corners[n.a], b = corners[n.b], c = corners[n.c], d = corners[n.d];
    const EditPoint centre = handle.Centre();
    const Line moved = Through(a, c, static_cast<float>(x - centre.x), static_cast<float>(y - centre.y));
    const Line side_a = Through(a, b), side_c = Through(c, d);
    // No intersection with a parallel neighbour: the drag is ignored.
    if (Parallel(moved, side_a) || Parallel(moved, side_c)) return false;
    corners[n.a] = Meet(moved, side_a);
    corners[n.c] = Meet(moved, side_c);
    return CommitCorners(placement, corners);
}

namespace {

EditRect CornerBox(const EditPlacement& placement) { return BoundingBox(IntegerCorners(placement.corners)); }

}  // namespace

int OutwardDistance(const EditRect& box, int edge, int x, int y) {
    switch (edge) {
        case 0: return box.left - x;
        case 1: return box.top - y;
        case 2: return x - box.right;
        default: return y - box.bottom;
    }
}

bool DragInnerEdge(EditPlacement& placement, int edge, int x, int y) {
    const EditRect r = InnerBox(CornerBox(placement));
    const float w = static_cast<float>(r.Width()), h = static_cast<float>(r.Height());
    const int measured = OutwardDistance(r, edge, x, y);
    float gx, gy;
    if (edge % 2 == 0) {
        gx = static_cast<float>(measured);
        gy = h * static_cast<float>(r.Width() + measured) / w - h;
    } else {
        gy = static_cast<float>(measured);
        gx = w * static_cast<float>(r.Height() + measured) / h - w;
    }
    const CornerBounds b = BoundsOf(placement.corners);
    const float bw = b.Width(), bh = b.Height();
    // A box without width or height cannot be scaled: the drag is ignored.
    if (bw == 0.0f || bh == 0.0f) return false;
    const bool left_or_top = edge < 2;
    const float ax = left_or_top ? b.max_x : b.min_x;
    const float ay = left_or_top ? b.max_y : b.min_y;
    CornerQuad corners = CornersOf(placement);
    for (OverlayCorner& c : corners) {
        c.x = (bw + gx) * (c.x - ax) / bw + ax;
        c.y = (bh + gy) * (c.y - ay) / bh + ay;
    }
    return CommitCorners(placement, corners);
}

void DragOuterEdge(EditPlacement& placement, int edge, int x, int y) {
    const EditRect r = OuterBox(InnerBox(CornerBox(placement)), placement.outline_width);
    const int64_t width = int64_t{placement.outline_width} + OutwardDistance(r, edge, x, y);
    placement.outline_width = static_cast<int32_t>(std::clamp<int64_t>(width, 0, std::numeric_limits<int32_t>::max()));
}

namespace {

float Length(float x, float y) { return std::sqrt(x * x + y * y); }

}  // namespace

bool DragRotation(EditPlacement& placement, const EditRect& handle, int x, int y) {
    const IntegerQuad q = IntegerCorners(placement.corners);
    const EditPoint centre = BoundingBox(q).Centre();
    const float cx = static_cast<float>(centre.x), cy = static_cast<float>(centre.y);
    const EditPoint h = handle.Centre();
    float ux = static_cast<float>(h.x) - cx, uy = static_cast<float>(h.y) - cy;
    float vx = static_cast<float>(x) - cx, vy = static_cast<float>(y) - cy;
    const float lu = Length(ux, uy), lv = Length(vx, vy);
    // No direction to measure an angle from or to: the move is ignored.
    if (lu == 0.0f || lv == 0.0f) return false;
    ux /= lu;
    uy /= lu;
    vx /= lv;
    vy /= lv;
    const float cosine = ux * vx + uy * vy;
    const float sine = ux * vy - uy * vx;

    CornerQuad corners = CornersOf(placement);
    for (int k = 0; k < 4; ++k) {
        const float r = Length(static_cast<float>(q[k].x) - cx, static_cast<float>(q[k].y) - cy);
        if (r == 0.0f) continue;  // a corner on the centre stays there
        OverlayCorner& p = corners[k];
        const float qx = (p.x - cx) / r, qy = (p.y - cy) / r;
        p = {(qx * cosine - qy * sine) * r + cx, (qx * sine + qy * cosine) * r + cy};
    }
    return CommitCorners(placement, corners);
}

}  // namespace editwnd
