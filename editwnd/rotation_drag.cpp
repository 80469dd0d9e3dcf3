#include "editwnd/rotation_drag.h"

#include <cmath>

#include "editwnd/corner_commit.h"
#include "editwnd/integer_corners.h"

namespace editwnd {

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
