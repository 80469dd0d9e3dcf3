// The edit window's geometry: rescaling and where the handles lie.
// The report to the item rescales and flags rectangles by the rules here and the
// overlay suite's; which handle a press takes is the model's case.
#include <gtest/gtest.h>

#include "editwnd/edit_geometry.h"
#include "editwnd/edit_handles.h"
#include "tests/edit_placements.h"

using namespace editwnd;

namespace {

TEST(EditGeometry, RescaleBetweenSizes) {
    struct Case {
        int ref_w, ref_h, to_w, to_h;
        bool applied;
        OverlayCorner want;  // corner 2 was (100, 90)
        int want_ref_w, want_ref_h;
    } cases[] = {
        {640, 480, 333, 250, true, {52.03125f, 46.875f}, 333, 250},
        {640, 480, 640, 480, true, {100, 90}, 640, 480},   // identity
        {0, 480, 320, 240, true, {100, 90}, 320, 240},     // no reference: taken as is
        {640, 480, 0, 240, false, {100, 90}, 640, 480},    // no target: nothing
    };
    for (const Case& c : cases) {
        EditPlacement p = test::BoxPlacement(10, 20, 100, 90, c.ref_w, c.ref_h);
        EXPECT_EQ(RescalePlacement(p, c.to_w, c.to_h), c.applied) << c.to_w;
        EXPECT_EQ(p.corners[2].x, c.want.x) << c.to_w;
        EXPECT_EQ(p.corners[2].y, c.want.y) << c.to_w;
        EXPECT_EQ(p.reference_width, c.want_ref_w);
        EXPECT_EQ(p.reference_height, c.want_ref_h);
    }
}

// The box (10, 20)-(110, 70), outline width 2, laid out by hand.
TEST(EditGeometry, HandlesOfABox) {
    const HandleLayout l = LayoutHandles(test::BoxPlacement(10.9f, 20.5f, 110.2f, 70.99f), 7, 7);
    EXPECT_EQ(l.inner_box, (EditRect{2, 12, 118, 78}));
    EXPECT_EQ(l.outer_box, (EditRect{-8, 2, 128, 88}));
    const std::array<EditRect, 4> inner = {{{0, 43, 5, 48}, {56, 10, 61, 15}, {116, 43, 121, 48}, {56, 76, 61, 81}}};
    const std::array<EditRect, 4> outer = {{{-10, 43, -5, 48}, {56, 0, 61, 5}, {126, 43, 131, 48}, {56, 86, 61, 91}}};
    // 15 pixels out from (60, 45): 50 across and 25 down give 13 and 6.
    const std::array<EditRect, 4> rotation = {
        {{-7, 10, 1, 18}, {119, 10, 127, 18}, {119, 72, 127, 80}, {-7, 72, 1, 80}}};
    const std::array<EditRect, 8> warp = {{{7, 42, 13, 48}, {7, 17, 13, 23}, {57, 17, 63, 23}, {107, 17, 113, 23},
                                           {107, 42, 113, 48}, {107, 67, 113, 73}, {57, 67, 63, 73}, {7, 67, 13, 73}}};
    EXPECT_EQ(l.inner_edge, inner);
    EXPECT_EQ(l.outer_edge, outer);
    EXPECT_EQ(l.rotation, rotation);
    EXPECT_EQ(l.rotation_corner, (std::array<EditPoint, 4>{{{10, 20}, {110, 20}, {110, 70}, {10, 70}}}));
    EXPECT_EQ(l.warp, warp);
}

}  // namespace
