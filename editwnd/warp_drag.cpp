#include "editwnd/warp_drag.h"

#include "editwnd/corner_commit.h"

namespace editwnd {

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

}  // namespace editwnd
