// Drags and commands on the edit window's placement.
#include <gtest/gtest.h>

#include <cstring>

#include "editwnd/edit_commands.h"
#include "editwnd/edit_drags.h"
#include "editwnd/edit_handles.h"
#include "tests/edit_placements.h"

using namespace editwnd;

namespace {

const test::Quad kBox = {{{0, 0}, {100, 0}, {100, 50}, {0, 50}}};  // inner box (-8, -8)-(108, 58)

TEST(EditDrag, InnerEdgeResizesAboutTheOppositeSide) {
    const float grown_h = 66.0f * 126 / 116 - 66;  // about 5.69
    const float grown_w = 116.0f * 76 / 66 - 116;  // about 17.58
    const struct {
        int edge, x, y;
        test::Quad want;
    } cases[] = {
        {2, 118, 25, {{{0, 0}, {110, 0}, {110, 50 + grown_h}, {0, 50 + grown_h}}}},
        {1, 50, -18, {{{-grown_w, -10}, {100, -10}, {100, 50}, {-grown_w, 50}}}},
    };
    for (const auto& c : cases) {
        EditPlacement p = test::QuadPlacement(kBox);
        ASSERT_TRUE(DragInnerEdge(p, c.edge, c.x, c.y)) << c.edge;
        for (int k = 0; k < 4; ++k) {
            EXPECT_FLOAT_EQ(p.corners[k].x, c.want[k].x) << c.edge << " corner " << k;
            EXPECT_FLOAT_EQ(p.corners[k].y, c.want[k].y) << c.edge << " corner " << k;
        }
    }
}

TEST(EditDrag, OuterEdgeSetsTheOutlineNeverBelowZero) {
    const struct {
        int edge, x, y, want;
    } cases[] = {{2, 123, 0, 7}, {1, 0, -28, 12}, {0, 90, 0, 0}};
    for (const auto& c : cases) {
        EditPlacement p = test::QuadPlacement(kBox);  // outline 2: outer box (-18, -18)-(118, 68)
        DragOuterEdge(p, c.edge, c.x, c.y);
        EXPECT_EQ(p.outline_width, c.want) << c.edge << " " << c.x;
        test::ExpectCorners(p, kBox);
    }
}

TEST(EditDrag, RotationTurnsByTheAngleFromHandleToMouse) {
    const EditRect handle = LayoutHandles(test::BoxPlacement(0, 0, 100, 100), 0, 0).rotation[1];
    ASSERT_EQ(handle.Centre(), (EditPoint{110, -10}));
    // cos 0.92848, sin 0.37139 from (60, -60) to (70, -30): corner 0 goes to about
    // (50 - 50 cos + 50 sin, 50 - 50 sin - 50 cos), (22.146, -14.993); the same bits on
    // every build.
    EditPlacement tilted = test::BoxPlacement(0, 0, 100, 100);
    ASSERT_TRUE(DragRotation(tilted, handle, 120, 20));
    EXPECT_EQ(tilted.corners[0].x, 0x1.6254cap+4f);
    EXPECT_EQ(tilted.corners[0].y, -0x1.dfc9bp+3f);
    EXPECT_EQ(tilted.corners[2].x, 0x1.376acep+6f);

    EditPlacement still = test::BoxPlacement(0, 0, 100, 100);
    EXPECT_FALSE(DragRotation(still, handle, 50, 50));  // the mouse on the centre
    EXPECT_FALSE(DragRotation(still, {46, 46, 54, 54}, 0, 0));  // the handle on it
    test::ExpectCorners(still, test::CornersOf(test::BoxPlacement(0, 0, 100, 100)));
    EditPlacement kite = test::QuadPlacement({{{0, 0}, {100, 0}, {100, 100}, {50.5f, 50.5f}}});
    ASSERT_TRUE(DragRotation(kite, handle, 120, 20));
    EXPECT_EQ(kite.corners[3].x, 50.5f);  // a corner on the centre stays
}

TEST(EditDrag, WarpHandles) {
    const test::Quad trapezoid = {{{0, 0}, {100, 20}, {100, 70}, {0, 50}}};
    const struct {
        test::Quad from;
        int index, x, y;
        test::Quad want;
    } cases[] = {
        {kBox, 5, 130, 90, {{{0, 0}, {100, 0}, {130, 90}, {0, 50}}}},                // a corner
        {kBox, 2, 50, -20, {{{0, -20}, {100, -20}, {100, 50}, {0, 50}}}},           // top edge up
        {trapezoid, 4, 110, 45, {{{0, 0}, {110, 22}, {110, 72}, {0, 50}}}},        // along sloped neighbours
    };
    for (const auto& c : cases) {
        EditPlacement p = test::QuadPlacement(c.from);
        const EditRect handle = LayoutHandles(p, 0, 0).warp[c.index];
        ASSERT_TRUE(DragWarpHandle(p, c.index, handle, c.x, c.y)) << c.index;
        test::ExpectCorners(p, c.want);
    }
}

template <NudgeDirection d>
bool Nudge(EditPlacement& p) { return NudgeOverlay(p, d); }
template <QuarterTurns t>
bool Turn(EditPlacement& p) { return RotateOverlay(p, t); }

// Each command or drag on a quadrilateral, and what it leaves: where nothing can be
// computed, the quadrilateral as it was. A key moves the whole of it by one pixel, up
// towards row 0; a quarter turn goes about the box's centre. Full screen is the context
// menu's case in the window suite.
TEST(EditCommands, EachGivesItsQuadrilateralOrLeavesItAsItWas) {
    const test::Quad flat = {{{10, 20}, {90, 20}, {90, 20}, {10, 20}}};  // no height
    const test::Quad ladder = {{{0, 0}, {100, 0}, {100, 50}, {100, 100}}};  // c1-c2-c3 in line
    const test::Quad tall = {{{10, 10}, {70, 10}, {70, 130}, {10, 130}}};
    const test::Quad tiny = {{{1, 2}, {9, 2}, {9, 2.5f}, {1, 2.5f}}}, huge = {{{0, 0}, {3e38f, 0}, {3e38f, 1}, {0, 1}}};
    const struct {
        const char* what;
        test::Quad from;
        bool (*edit)(EditPlacement&);
        test::Quad want;  // as `from` when nothing is done
    } cases[] = {
        {"inner edge", flat, [](auto& p) { return DragInnerEdge(p, 3, 50, 60); }, flat},
        {"under a pixel", tiny, [](auto& p) { return EnlargeKeepingAspect(p, 64, 48); }, tiny},
        {"vertical neighbour", ladder, [](auto& p) { return DragWarpHandle(p, 4, {97, 22, 103, 28}, 120, 25); }, ladder},
        {"overflow", huge, [](auto& p) { return MoveOverlay(p, 3e38f, 0); }, huge},
        {"left", kBox, Nudge<NudgeDirection::kLeft>, {{{-1, 0}, {99, 0}, {99, 50}, {-1, 50}}}},
        {"up", kBox, Nudge<NudgeDirection::kUp>, {{{0, -1}, {100, -1}, {100, 49}, {0, 49}}}},
        {"right", kBox, Nudge<NudgeDirection::kRight>, {{{1, 0}, {101, 0}, {101, 50}, {1, 50}}}},
        {"down", kBox, Nudge<NudgeDirection::kDown>, {{{0, 1}, {100, 1}, {100, 51}, {0, 51}}}},
        {"half turn", kBox, Turn<QuarterTurns::kHalf>, {{{100, 50}, {0, 50}, {0, 0}, {100, 0}}}},
        {"clockwise", kBox, Turn<QuarterTurns::kClockwise>, {{{75, -25}, {75, 75}, {25, 75}, {25, -25}}}},
        {"counter-clockwise", kBox, Turn<QuarterTurns::kCounterClockwise>, {{{25, 75}, {25, -25}, {75, -25}, {75, 75}}}},
        {"enlarged, centred", tall, [](auto& p) { return EnlargeKeepingAspect(p, 640, 480); },
         {{{200, 0}, {440, 0}, {440, 480}, {200, 480}}}},  // 240 x 480
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EditPlacement p = test::QuadPlacement(c.from);
        EXPECT_EQ(c.edit(p), std::memcmp(c.from.data(), c.want.data(), sizeof c.from) != 0);
        test::ExpectCorners(p, c.want);
    }
}

}  // namespace
