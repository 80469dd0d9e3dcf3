#include "editwnd/edit_commands.h"

#include <cstdint>

#include "editwnd/edit_geometry.h"

namespace editwnd {

bool RotateOverlay(EditPlacement& placement, QuarterTurns turn) {
    const OverlayCorner g = BoundsOf(placement.corners).Centre();
    CornerQuad corners = CornersOf(placement);
    for (OverlayCorner& p : corners) {
        const float dx = p.x - g.x, dy = p.y - g.y;
        switch (turn) {
            case QuarterTurns::kHalf: p = {2 * g.x - p.x, 2 * g.y - p.y}; break;
            case QuarterTurns::kClockwise: p = {g.x + -dy, g.y + dx}; break;
            case QuarterTurns::kCounterClockwise: p = {g.x + dy, g.y + -dx}; break;
        }
    }
    return CommitCorners(placement, corners);
}

namespace {

// Scales the box about its centre so that it spans width x height, centred in the client.
bool FitBox(EditPlacement& placement, float width, float height, int client_width, int client_height) {
    const CornerBounds b = BoundsOf(placement.corners);
    const float hw = b.Width() / 2, hh = b.Height() / 2;
    // A box without width or height cannot be scaled, nor anything fitted into no
    // client area: the command is ignored.
    if (hw == 0.0f || hh == 0.0f || client_width <= 0 || client_height <= 0) return false;
    const OverlayCorner g = b.Centre();
    const float sx = (width / 2) / hw, sy = (height / 2) / hh;
    const float cx = static_cast<float>(client_width) / 2, cy = static_cast<float>(client_height) / 2;
    CornerQuad corners = CornersOf(placement);
    for (OverlayCorner& p : corners) p = {(p.x - g.x) * sx + cx, (p.y - g.y) * sy + cy};
    return CommitCorners(placement, corners);
}

}  // namespace

bool EnlargeToFullScreen(EditPlacement& placement, int client_width, int client_height) {
    return FitBox(placement, static_cast<float>(client_width), static_cast<float>(client_height), client_width,
                  client_height);
}

bool EnlargeKeepingAspect(EditPlacement& placement, int client_width, int client_height) {
    const CornerBounds b = BoundsOf(placement.corners);
    const int64_t w = TruncateCoordinate(b.Width()), h = TruncateCoordinate(b.Height());
    if (w == 0 || h == 0) return false;
    const int64_t cw = client_width, ch = client_height;
    int64_t fitted_w = cw, fitted_h = ch;
    if (cw * h <= ch * w)
        fitted_h = cw * h / w;
    else
        fitted_w = ch * w / h;
    return FitBox(placement, static_cast<float>(fitted_w), static_cast<float>(fitted_h), client_width, client_height);
}

}  // namespace editwnd
