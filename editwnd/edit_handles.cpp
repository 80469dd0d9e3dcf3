#include "editwnd/edit_handles.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "editwnd/edit_geometry.h"
#include "gfx/hit_test.h"

namespace editwnd {

namespace {

// Where an edge handle's top-left lies on each axis: at the box's low edge, its
// middle or its high edge, then shifted.
enum Anchor { kLow, kMiddle, kHigh };
struct EdgePlace {
    Anchor x;
    int dx;
    Anchor y;
    int dy;
};
constexpr EdgePlace kEdgePlaces[4] = {
    {kLow, -2, kMiddle, -2},   // left
    {kMiddle, -4, kLow, -2},   // top
    {kHigh, -2, kMiddle, -2},  // right
    {kMiddle, -4, kHigh, -2},  // bottom
};

int At(Anchor a, int low, int high) { return a == kLow ? low : a == kHigh ? high : low + (high - low) / 2; }

EditRect Square(int left, int top, int size) { return {left, top, left + size, top + size}; }

EditRect CentredSquare(EditPoint centre, int size) {
    return Square(centre.x - size / 2, centre.y - size / 2, size);
}

// The rotation handle of corner p: 15 pixels from p on the far side from the centre,
// each axis truncated.
EditPoint RotationHandleCentre(EditPoint centre, EditPoint p) {
    const float fx = static_cast<float>(std::abs(centre.x - p.x));
    const float fy = static_cast<float>(std::abs(centre.y - p.y));
    const float d = std::sqrt(fx * fx + fy * fy);
    if (d == 0.0f) return p;  // a corner on the centre has no direction to go
    const int ox = static_cast<int>(fx * kRotationHandleDistance / d);
    const int oy = static_cast<int>(fy * kRotationHandleDistance / d);
    return {p.x < centre.x ? p.x - ox : p.x + ox, p.y < centre.y ? p.y - oy : p.y + oy};
}

}  // namespace

EditRect InnerBox(const EditRect& bounding_box) { return bounding_box.Inflated(8); }

EditRect OuterBox(const EditRect& inner_box, int outline_width) {
    // Clamped like the corners, so that a wild width in a record cannot overflow.
    return inner_box.Inflated(std::clamp(outline_width, -(1 << 24), 1 << 24) + 8);
}

std::array<EditRect, 4> EdgeHandles(const EditRect& box) {
    std::array<EditRect, 4> handles;
    for (int i = 0; i < 4; ++i) {
        const EdgePlace& e = kEdgePlaces[i];
        handles[i] = Square(At(e.x, box.left, box.right) + e.dx, At(e.y, box.top, box.bottom) + e.dy, kEdgeHandleSize);
    }
    return handles;
}

HandleLayout LayoutHandles(const EditPlacement& placement, int picture_width, int picture_height) {
    HandleLayout layout;
    layout.outline = DisplayedCorners(placement, picture_width, picture_height);
    const IntegerQuad q = IntegerCorners(layout.outline.data());
    const EditRect box = BoundingBox(q);

    layout.inner_box = InnerBox(box);
    layout.outer_box = OuterBox(layout.inner_box, placement.outline_width);
    layout.inner_edge = EdgeHandles(layout.inner_box);
    layout.outer_edge = EdgeHandles(layout.outer_box);

    IntegerQuad around = q;
    if (q[1] == EditPoint{} && q[2] == EditPoint{} && q[3] == EditPoint{})
        around = {{q[0], {box.right, box.top}, {box.right, box.bottom}, {box.left, box.bottom}}};
    for (int k = 0; k < 4; ++k) {
        layout.rotation_corner[k] = around[k];
        layout.rotation[k] = CentredSquare(RotationHandleCentre(box.Centre(), around[k]), kRotationHandleSize);
    }

    for (int k = 0; k < 4; ++k) {
        const EditPoint a = q[(k + 3) % 4], b = q[k];
        layout.warp[2 * k] = CentredSquare({(a.x + b.x) / 2, (a.y + b.y) / 2}, kWarpHandleSize);
        layout.warp[2 * k + 1] = CentredSquare(b, kWarpHandleSize);
    }
    return layout;
}

HandleHit HitTestHandles(const HandleLayout& layout, int x, int y) {
    for (int i = 0; i < 4; ++i) {
        if (layout.inner_edge[i].Contains(x, y)) return {HandleFamily::kInnerEdge, i};
        if (layout.outer_edge[i].Contains(x, y)) return {HandleFamily::kOuterEdge, i};
        if (layout.rotation[i].Contains(x, y)) return {HandleFamily::kRotation, i};
    }
    for (int j = 0; j < 8; ++j)
        if (layout.warp[j].Contains(x, y)) return {HandleFamily::kWarp, j};
    return {};
}

bool IsInsideOverlay(const EditPlacement& placement, int x, int y) {
    const IntegerQuad q = IntegerCorners(placement.corners);
    gfx::PointF polygon[4];
    for (int k = 0; k < 4; ++k) polygon[k] = {static_cast<float>(q[k].x), static_cast<float>(q[k].y)};
    return gfx::PointInPolygon(polygon, 4, static_cast<float>(x), static_cast<float>(y));
}

}  // namespace editwnd
