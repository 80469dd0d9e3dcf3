// The edit window's geometry: rescaling, whole-pixel corners, where the handles lie,
// which one a point hits and the cursor shown there.
#include <gtest/gtest.h>

#include <cmath>

#include "editwnd/edit_cursors.h"
#include "editwnd/edit_geometry.h"
#include "editwnd/edit_handles.h"
#include "editwnd/edit_target.h"
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

// Whether the corners form a rectangle is the overlay suite's rule.
TEST(EditGeometry, ReportScalesToTheItem) {
    const EditReport report = MakeReport(test::BoxPlacement(10, 20, 100, 90, 320, 240), 640, 480);
    test::ExpectCorners(report.placement, {{{20, 40}, {200, 40}, {200, 180}, {20, 180}}});
    EXPECT_EQ(report.placement.reference_width, 640);
}

TEST(EditGeometry, CoordinatesTruncateTowardZero) {
    const struct {
        float v;
        int want;
    } cases[] = {{10.9f, 10}, {-1.5f, -1}, {NAN, 0}, {-INFINITY, -(1 << 24)}};
    for (const auto& c : cases) EXPECT_EQ(TruncateCoordinate(c.v), c.want) << c.v;
}

// The box (10, 20)-(110, 70), outline width 2, laid out by hand.
void ExpectBoxLayout(const HandleLayout& l) {
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

TEST(EditGeometry, HandlesOfABox) {
    ExpectBoxLayout(LayoutHandles(test::BoxPlacement(10.9f, 20.5f, 110.2f, 70.99f), 7, 7));
}

TEST(EditGeometry, DefaultRectangleTakesThePictureSize) {
    EditPlacement p = test::QuadPlacement({{{10, 20}, {0, 0}, {0, 0}, {0, 0}}});
    const HandleLayout l = LayoutHandles(p, 100, 50);
    ExpectBoxLayout(l);
    EXPECT_EQ(l.outline[2].x, 110.0f);
    EXPECT_EQ(l.outline[2].y, 70.0f);
    test::ExpectCorners(p, {{{10, 20}, {0, 0}, {0, 0}, {0, 0}}});
    EXPECT_FALSE(IsInsideOverlay(p, 60, 45));  // the stored corners decide what is inside
}

TEST(EditGeometry, CursorChoice) {
    const EditPlacement p = test::BoxPlacement(10, 20, 110, 70);
    const HandleLayout l = LayoutHandles(p, 0, 0);
    using C = EditCursor;
    const struct {
        int x, y;
        EditCursor want;
    } cases[] = {
        {11, 21, C::kMove},  // inside beats warp handle 1
        {127, 45, C::kSizeWE}, {57, 11, C::kSizeNS}, {-5, 12, C::kLibrary}, {300, 300, C::kDefault},
    };
    for (const auto& c : cases) EXPECT_EQ(ChooseCursor(p, l, c.x, c.y), c.want) << c.x << "," << c.y;
}

}  // namespace
