// The warp: its pieces on their own (crossings of hand-drawn quadrilaterals, both
// samplers, the float walk that skips span starts), then DrawWarpedImage end to end on
// small pictures, with values worked out by hand, where source positions along the
// edges show. The
// kernels against the reference kernel are the fuzzer's (fuzz/warp_fuzz.cpp).
#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <random>
#include <tuple>
#include <vector>

#include "gfx/blend.h"
#include "tests/support/frames.h"
#include "warp/draw_warped_image.h"
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
    EXPECT_EQ(Crossings(rect, 2), (Pairs{{3, 0}, {1, 3}}));
    EXPECT_EQ(Crossings(rect, 3), Pairs{});

    // A chevron with its notch at corner 1. Line 5 meets all four edges; line 10 runs
    // through the notch, whose two edges meet there: three distinct crossings, the
    // middle one doubled, two spans sharing it. Divisions truncate toward zero:
    // -200 / 30 is -6, so edge 2 is met at 34.
    const auto chevron = Quad({{0, 0}, {20, 10}, {40, 0}, {20, 30}}, 4, 3);
    EXPECT_EQ(Crossings(chevron, 5), (Pairs{{3, 4}, {0, 10}, {1, 30}, {2, 37}}));
    EXPECT_EQ(Crossings(chevron, 10), (Pairs{{3, 7}, {0, 20}, {0, 20}, {2, 34}}));
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
        {-0.5f, 1, 255, 0}, {nan, 1, 255, 0},
        {4, 0, 255, px(0, 1)},  // column 4 of row 0 is the first pixel of row 1
        // Alpha times opacity, by integer division: 0x80 * 100 / 255 = 50.
        {3, 2, 100, (50u << 24) | (2u << 8) | 40}, {0, 0, 0, 10},
    };
    for (const Sample& c : nearest)
        EXPECT_EQ(SampleNearest(view, c.u, c.v, c.opacity), c.want) << "nearest " << c.u << "," << c.v;
    const Sample bilinear[] = {
        {1.5f, 0, 255, 0xFF000000u | 25},   // blue (20 + 30) / 2
        {0, 0.25f, 255, 0xFF000000u | 10},  // green 0.25 * 1 truncates to 0
        // Past the right edge of row 0 the neighbour is row 1's first pixel: blue
        // 40 * 0.5 + 10 * 0.5, green 0.5 truncated.
        {3.5f, 0, 255, 0xFF000000u | 25},
        {0, 2.5f, 255, 0x7F000105u},               // below the last row the neighbours count as 0
        {1, 1, 200, gfx::WithAlpha(px(1, 1), 200)},  // on a pixel: that pixel; opacity afterwards
    };
    for (const Sample& c : bilinear)
        EXPECT_EQ(SampleBilinear(view, c.u, c.v, c.opacity), c.want) << "bilinear " << c.u << "," << c.v;
}

// Skipping to a span's first pixel lands where the loop does, bit for bit; some walks
// start at 0, some take steps far below a pixel or at powers of two (halfway cases), and
// the last few run through the subnormals, into infinity, or where steps no longer move
// the sum. The walk written ahead is checked against the loop by the fuzzer.
TEST(WarpSpan, SkippingAheadMatchesTheLoopBitForBit) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> pos(-3000.0f, 3000.0f), step(-4.0f, 4.0f);
    std::uniform_int_distribution<int> tiny(-40, 40);
    const std::pair<float, float> extremes[] = {
        {0.0f, 1e-44f}, {-1e-40f, 3e-42f}, {3.0e38f, 1.0e32f}, {-3.3e38f, 2e36f}, {16777000.0f, 1.0f}};
    for (int i = 0; i < 300 + static_cast<int>(std::size(extremes)); ++i) {
        const bool extreme = i >= 300;
        float u = extreme ? extremes[i - 300].first : i % 5 == 0 ? 0.0f : pos(rng);
        float du = extreme ? extremes[i - 300].second : i % 3 == 0 ? step(rng) / 4096.0f : step(rng);
        if (!extreme && i % 4 == 1) du = std::ldexp(1.0f, tiny(rng) / 2 - 20) * (i % 8 == 1 ? 3.0f : 1.0f);
        const int n = extreme ? 2999 : static_cast<int>(rng() % 3000);
        float want = u;
        for (int k = 0; k < n; ++k) want += du;
        ASSERT_EQ(AdvanceFloatSum(u, du, n), want) << "u=" << u << " du=" << du << " n=" << n;
    }
    // A walk of four billion steps ends at once, and where the loop would.
    EXPECT_EQ(AdvanceFloatSum(0.0f, 1.0f, int64_t{1} << 32), 16777216.0f);
}

using Picture = test::Picture4x3;

// The warp with both samplers, and the rectangle path unscaled at three opacities: onto
// a clear bitmap source-over copies, alpha 255 becoming opacity * 255 / 255 and the 0x80
// of (3, 2) 0x80 * opacity / 255. The warp's corners are the corner pixels' own.
TEST(DrawWarpedImage, CopiesThePictureAndScalesAlphaByOpacity) {
    const Picture pic;
    const std::vector<uint8_t> before = pic.bytes;
    for (const auto& [quick, rectangle, opacity, corner_alpha] :
         {std::tuple{1, 0, 255, 128u}, {0, 0, 255, 128u}, {1, 1, 255, 128u}, {1, 1, 128, 64u}, {1, 1, 0, 0u}}) {
        auto target = gfx::Bitmap::Create(6, 5);
        const float r = rectangle ? 4.0f : 3.0f, b = rectangle ? 3.0f : 2.0f;
        const gfx::PointF corners[4] = {{0, 0}, {r, 0}, {r, b}, {0, b}};
        const WarpStyle style{.opacity = opacity,
                              .sampling = SamplingFor(quick),
                              .path = rectangle ? WarpPath::kRectangle : WarpPath::kWarp};
        DrawWarpedImage(*target, FrameRect{0, 0, 1 << 20, 1 << 20}, corners, pic.bitmap, style);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 6; ++x) {
                const gfx::Argb a = x == 3 && y == 2 ? corner_alpha : gfx::Argb(opacity);
                EXPECT_EQ(target->GetPixel(x, y), x < 4 && y < 3 && a ? gfx::WithAlpha(Picture::Pixel(x, y), a) : 0u)
                    << quick << rectangle << " " << opacity << " " << x << "," << y;
            }
    }
    EXPECT_EQ(pic.bytes, before);
}

// Only the exact name keeps the SSE2 kernel; anything else is the default.
TEST(WarpKernels, TheVariableNamesTheSse2KernelAlone) {
    for (const auto& [name, kernel] : {std::pair{"sse2", WarpKernel::kSse2}, std::pair{"", WarpKernel::kAvx2},
                                       std::pair{"SSE2", WarpKernel::kAvx2}, std::pair{"reference", WarpKernel::kAvx2}})
        EXPECT_EQ(WarpKernelNamed(name), kernel) << name;
}

}  // namespace
