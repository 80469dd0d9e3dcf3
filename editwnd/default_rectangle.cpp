#include "editwnd/default_rectangle.h"

namespace editwnd {

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

}  // namespace editwnd
