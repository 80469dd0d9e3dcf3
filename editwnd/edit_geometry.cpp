#include "editwnd/edit_geometry.h"

#include <algorithm>
#include <cmath>

namespace editwnd {

int TruncateCoordinate(float v) {
    constexpr float kLimit = 1 << 24;
    if (std::isnan(v)) return 0;
    return static_cast<int>(std::clamp(v, -kLimit, kLimit));
}

IntegerQuad IntegerCorners(const OverlayCorner* corners) {
    IntegerQuad quad;
    for (int k = 0; k < 4; ++k) quad[k] = {TruncateCoordinate(corners[k].x), TruncateCoordinate(corners[k].y)};
    return quad;
}

EditRect BoundingBox(const IntegerQuad& quad) {
    EditRect r{quad[0].x, quad[0].y, quad[0].x, quad[0].y};
    for (const EditPoint& p : quad) {
        r.left = std::min(r.left, p.x);
        r.top = std::min(r.top, p.y);
        r.right = std::max(r.right, p.x);
        r.bottom = std::max(r.bottom, p.y);
    }
    return r;
}

CornerBounds BoundsOf(const OverlayCorner* c) {
    CornerBounds b{c[0].x, c[0].y, c[0].x, c[0].y};
    for (int k = 1; k < 4; ++k) {
        b.min_x = std::min(b.min_x, c[k].x);
        b.min_y = std::min(b.min_y, c[k].y);
        b.max_x = std::max(b.max_x, c[k].x);
        b.max_y = std::max(b.max_y, c[k].y);
    }
    return b;
}

CornerQuad CornersOf(const EditPlacement& placement) {
    return {placement.corners[0], placement.corners[1], placement.corners[2], placement.corners[3]};
}

bool CommitCorners(EditPlacement& placement, const CornerQuad& corners) {
    for (const OverlayCorner& c : corners)
        if (!std::isfinite(c.x) || !std::isfinite(c.y)) return false;
    for (int k = 0; k < 4; ++k) placement.corners[k] = corners[k];
    return true;
}

bool IsDefaultRectangle(const OverlayCorner* c) {
    for (int k = 1; k < 4; ++k)
        if (c[k].x != 0.0f || c[k].y != 0.0f) return false;
    return true;
}

CornerQuad DisplayedCorners(const EditPlacement& placement, int picture_width, int picture_height) {
    if (!IsDefaultRectangle(placement.corners)) return CornersOf(placement);
    const OverlayCorner c0 = placement.corners[0];
    const float w = static_cast<float>(picture_width), h = static_cast<float>(picture_height);
    return {{c0, {c0.x + w, c0.y}, {c0.x + w, c0.y + h}, {c0.x, c0.y + h}}};
}

bool RescalePlacement(EditPlacement& placement, int width, int height) {
    if (width <= 0 || height <= 0) return false;
    CornerQuad corners = CornersOf(placement);
    // A record without a reference size has nothing to scale from: its corners are
    // taken to be in the new size already.
    if (placement.reference_width > 0 && placement.reference_height > 0) {
        const float rw = static_cast<float>(placement.reference_width);
        const float rh = static_cast<float>(placement.reference_height);
        for (OverlayCorner& c : corners) {
            c.x = static_cast<float>(width) * c.x / rw;
            c.y = static_cast<float>(height) * c.y / rh;
        }
        if (!CommitCorners(placement, corners)) return false;
    }
    placement.reference_width = width;
    placement.reference_height = height;
    return true;
}

}  // namespace editwnd
