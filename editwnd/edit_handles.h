// Where the handles lie around the placement and which one a point hits.
#pragma once

#include <array>

#include "channels/edit_placement.h"
#include "editwnd/edit_geometry.h"
#include "editwnd/edit_rect.h"

namespace editwnd {

// Where the handles lie for a placement: what a paint draws and what the mouse is
// tested against until the next one.

// Handle families in hit-test order; the values are the window's hit kinds.
enum class HandleFamily { kNone = 0, kInnerEdge = 1, kOuterEdge = 2, kRotation = 3, kWarp = 4 };

// Edge handles: 0 left, 1 top, 2 right, 3 bottom. Rotation handle k belongs to corner
// k. Warp handle 2k+1 is corner k; 0, 2, 4, 6 are the midpoints of edges c3-c0, c0-c1,
// c1-c2, c2-c3.
struct HandleLayout {
    CornerQuad outline{};  // the quadrilateral drawn, default rectangle applied
    EditRect inner_box, outer_box;
    std::array<EditRect, 4> inner_edge{}, outer_edge{}, rotation{};
    std::array<EditPoint, 4> rotation_corner{};  // where each rotation handle's line ends
    std::array<EditRect, 8> warp{};
};

constexpr int kEdgeHandleSize = 5;
constexpr int kRotationHandleSize = 8;
constexpr int kWarpHandleSize = 6;
constexpr int kRotationHandleDistance = 15;

// The box the inner edge handles sit on: the corners' box inflated by 8.
EditRect InnerBox(const EditRect& bounding_box);
// The box the outer edge handles sit on: the inner box inflated by the outline width + 8.
EditRect OuterBox(const EditRect& inner_box, int outline_width);

std::array<EditRect, 4> EdgeHandles(const EditRect& box);

HandleLayout LayoutHandles(const EditPlacement& placement, int picture_width, int picture_height);

// Which handle, if any, a client point is on, and whether it is inside the overlay.

struct HandleHit {
    HandleFamily family = HandleFamily::kNone;
    int index = 0;
    bool operator==(const HandleHit&) const = default;
};

// Index by index, inner edge before outer edge before rotation; the warp handles only
// when none of those is hit.
HandleHit HitTestHandles(const HandleLayout& layout, int x, int y);

// Inside the polygon of the stored integer corners (no default rectangle), winding rule.
bool IsInsideOverlay(const EditPlacement& placement, int x, int y);

}  // namespace editwnd
