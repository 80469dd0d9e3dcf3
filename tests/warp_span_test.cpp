// The warp's pieces on their own: crossings of hand-drawn quadrilaterals, source
// positions along edges, both samplers, and the float walk that skips span starts.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "tests/support/frames.h"
#include "warp/float_walk.h"
#include "warp/warp_span.h"

namespace {

// Corners as the warp builds them for a W x H source.
std::vector<Correspondence> Quad(std::initializer_list<std::pair<int, int>> pts, int w, int h) {
    const float su[4] = {0.0f, float(w - 1), float(w - 1), 0.0f};
    const float sv[4] = {0.0f, 0.0f, float(h - 1), float(h - 1)};
    std::vector<Correspondence> c;
    for (auto [x, y] : pts) c.push_back({x, y, su[c.size()], sv[c.size()]});
    return c;
}

std::vector<std::pair<int, int>> Crossings(const std::vector<Correspondence>& c, int y) {
    Crossing out[4];
    const int n = FindCrossings(c.data(), y, out);
    std::vector<std::pair<int, int>> r;  // (edge, x)
    for (int i = 0; i < n; ++i) r.push_back({out[i].edge, out[i].x});
    return r;
}

using Pairs = std::vector<std::pair<int, int>>;

TEST(WarpSpan, CrossingsOfHandDrawnQuadrilaterals) {
    // An upright rectangle: the horizontal top and bottom edges never cross.
    const auto rect = Quad({{0, 0}, {3, 0}, {3, 2}, {0, 2}}, 4, 3);
    EXPECT_EQ(Crossings(rect, 0), (Pairs{{3, 0}, {1, 3}}));
    EXPECT_EQ(Crossings(rect, 2), (Pairs{{3, 0}, {1, 3}}));
    EXPECT_EQ(Crossings(rect, 3), Pairs{});

    // A chevron with its notch at corner 1. Line 5 meets all four edges; line 10 runs
    // through the notch, whose two edges meet there: three distinct crossings, the
    // middle one doubled, two spans sharing it. Divisions truncate toward zero:
    // -200 / 30 is -6, so edge 2 is met at 34.
    const auto chevron = Quad({{0, 0}, {20, 10}, {40, 0}, {20, 30}}, 4, 3);
    EXPECT_EQ(Crossings(chevron, 5), (Pairs{{3, 4}, {0, 10}, {1, 30}, {2, 37}}));
    EXPECT_EQ(Crossings(chevron, 10), (Pairs{{3, 7}, {0, 20}, {0, 20}, {2, 34}}));
    // Through the bottom vertex alone: one crossing after repeats go, no span.
    EXPECT_EQ(Crossings(chevron, 30), Pairs{});
    // Through both top vertices: the first edge of each equal pair stays.
    EXPECT_EQ(Crossings(chevron, 0), (Pairs{{0, 0}, {1, 40}}));
}

TEST(WarpSpan, EdgePositionsFollowTheDistanceAlongTheEdge) {
    // Edge 3 of a 5 x 9 source from corner 3 at (0, 8) to corner 0 at (0, 0): halfway
    // down it the source row is halfway too.
    const auto c = Quad({{0, 0}, {4, 0}, {4, 8}, {0, 8}}, 5, 9);
    float u = -1, v = -1;
    EdgePosition(c.data(), Crossing{3, 0, 4}, &u, &v);
    EXPECT_EQ(u, 0.0f);
    EXPECT_EQ(v, 4.0f);
    EdgePosition(c.data(), Crossing{1, 4, 2}, &u, &v);
    EXPECT_EQ(u, 4.0f);
    EXPECT_EQ(v, 2.0f);
    // A slanted edge: from (0, 0) to (30, 40), length 50; (15, 20) is at t = 0.5.
    const auto s = Quad({{0, 0}, {30, 40}, {30, 80}, {0, 40}}, 11, 3);
    EdgePosition(s.data(), Crossing{0, 15, 20}, &u, &v);
    EXPECT_EQ(u, 5.0f);
    EXPECT_EQ(v, 0.0f);
}

struct Sample {
    float u, v;
    int opacity;
    gfx::Argb want;
};

TEST(WarpSpan, SamplersReadTheSourceAsTheLockedRowsLieAndScaleAlphaByOpacity) {
    const test::Picture4x3 s;
    const SourceView view = SourceView::Of(s.bitmap);
    const float nan = std::nanf("");
    const auto px = test::Picture4x3::Pixel;
    const Sample nearest[] = {
        {2.99f, 1, 255, px(2, 1)},  // truncated: column 2, not 3
        {-0.5f, 1, 255, 0}, {1, -0.01f, 255, 0}, {nan, 1, 255, 0}, {0, 3, 255, 0}, {1e30f, 0, 255, 0},
        {4, 0, 255, px(0, 1)},  // column 4 of row 0 is the first pixel of row 1
        // Alpha times opacity, by integer division: 255 * 128 / 255 = 128, 0x80 * 100 / 255 = 50.
        {0, 0, 128, 0x80000000u | 10}, {3, 2, 100, (50u << 24) | (2u << 8) | 40}, {0, 0, 0, 10},
    };
    for (const Sample& c : nearest)
        EXPECT_EQ(SampleNearest(view, c.u, c.v, c.opacity), c.want) << "nearest " << c.u << "," << c.v;
    const Sample bilinear[] = {
        {1, 1, 255, px(1, 1)}, {3, 2, 255, px(3, 2)},  // on a pixel: that pixel
        {1.5f, 0, 255, 0xFF000000u | 25},              // blue (20 + 30) / 2
        {0, 0.25f, 255, 0xFF000000u | 10},             // green 0.25 * 1 truncates to 0
        // Past the right edge of row 0 the neighbour is row 1's first pixel: blue
        // 40 * 0.5 + 10 * 0.5, green 0.5 truncated.
        {3.5f, 0, 255, 0xFF000000u | 25},
        {0, 2.5f, 255, 0x7F000105u},               // below the last row the neighbours count as 0
        {1, 1, 200, gfx::WithAlpha(px(1, 1), 200)},  // opacity afterwards
        {nan, 0, 255, 0},
    };
    for (const Sample& c : bilinear)
        EXPECT_EQ(SampleBilinear(view, c.u, c.v, c.opacity), c.want) << "bilinear " << c.u << "," << c.v;
}

TEST(WarpSpan, TruncationIsTowardZeroWithIndefiniteForTheRest) {
    for (const auto& [f, i] : {std::pair{9.99f, 9}, {-9.99f, -9}, {2147483520.0f, 2147483520}, {std::nanf(""), INT32_MIN},
                               {1e30f, INT32_MIN}, {-std::numeric_limits<float>::infinity(), INT32_MIN}})
        EXPECT_EQ(TruncToInt(f), i) << f;
}

TEST(WarpSpan, FloatWalkMatchesTheLoopBitForBit) {
    auto loop = [](float u, float du, int64_t k) {
        for (int64_t i = 0; i < k; ++i) u += du;
        return u;
    };
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> pos(-3000.0f, 3000.0f), step(-4.0f, 4.0f);
    std::uniform_int_distribution<int> count(0, 300000), tiny(-40, 40);
    for (int i = 0; i < 400; ++i) {
        float u = pos(rng), du = step(rng);
        if (i % 4 == 1) du = std::ldexp(1.0f, tiny(rng) / 2 - 20) * (i % 8 == 1 ? 3.0f : 1.0f);  // halfway cases
        if (i % 4 == 2) u = 0.0f;
        if (i % 4 == 3) du /= 4096.0f;
        const int64_t k = count(rng);
        ASSERT_EQ(AdvanceFloatSum(u, du, k), loop(u, du, k)) << "u=" << u << " du=" << du << " k=" << k;
    }
    // Steps too small to move the sum, and values that do not move at all.
    EXPECT_EQ(AdvanceFloatSum(1e8f, 1.0f, 1000000), 1e8f);
    EXPECT_TRUE(std::isnan(AdvanceFloatSum(1.0f, std::nanf(""), 5)));
    EXPECT_EQ(AdvanceFloatSum(1.0f, 2.0f, 0), 1.0f);
    // A walk of four billion steps ends at once, and where the loop would.
    EXPECT_EQ(AdvanceFloatSum(0.0f, 1.0f, int64_t{1} << 32), 16777216.0f);
}

}  // namespace
