// Images onto parallelograms, pens, dashes, ellipses and the winding hit test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/hit_test.h"
#include "gfx/image_points.h"
#include "gfx/pen.h"
#include "gfx/shapes.h"
#include "tests/support/frames.h"

namespace {

using gfx::Argb;
using gfx::Bitmap;
using gfx::Interpolation;
using gfx::PointF;

constexpr Interpolation kModes[] = {Interpolation::kNearestNeighbor, Interpolation::kHighQualityBicubic};

std::vector<Argb> Pixels(const Bitmap& b) {
    std::vector<Argb> out;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) out.push_back(b.GetPixel(x, y));
    return out;
}

// The pixels of a w x h picture whose pixel (x, y) is f(x, y), in Pixels' order.
template <class F>
std::vector<Argb> Image(int w, int h, F f) {
    std::vector<Argb> out;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) out.push_back(f(x, y));
    return out;
}

// Distinct colours and alphas everywhere; an RGB24 view keeps the colours.
void Paint(Bitmap& b) {
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            b.SetPixel(x, y, static_cast<Argb>(40 + 7 * x + 11 * y) << 24 | static_cast<Argb>(20 * x) << 16 |
                                 static_cast<Argb>(30 * y) << 8 | static_cast<Argb>(3 * x * y + 5));
}

using Frame = test::Rgb24Frame;

// Drawings that move whole pixels: target pixel (x, y) shows source pixel from(x, y).
using P = std::pair<int, int>;
struct Mapping {
    const char* what;
    int sw, sh, tw, th;
    PointF corners[3];
    bool bicubic_too;  // false where bicubic would blend neighbours
    P (*from)(int x, int y);
};

TEST(GfxDrawImagePoints, WholePixelMappingsCopyExactlyOntoArgbAndRgb24) {
    const Mapping cases[] = {
        {"identity", 7, 5, 7, 5, {{0, 0}, {7, 0}, {0, 5}}, true, [](int x, int y) { return P{x, y}; }},
        {"off the left", 6, 3, 8, 4, {{-2, 1}, {4, 1}, {-2, 4}}, true, [](int x, int y) { return P{x + 2, y - 1}; }},
        {"doubled", 3, 2, 6, 4, {{0, 0}, {6, 0}, {0, 4}}, false, [](int x, int y) { return P{x / 2, y / 2}; }},
        {"mirrored", 5, 3, 5, 3, {{5, 0}, {0, 0}, {5, 3}}, true, [](int x, int y) { return P{4 - x, y}; }},
        // A quarter turn clockwise: the top-left corner goes to the top right.
        {"turned", 5, 3, 3, 5, {{3, 0}, {3, 5}, {0, 0}}, true, [](int x, int y) { return P{y, 2 - x}; }},
    };
    for (const Mapping& c : cases)
        for (Interpolation mode : kModes) {
            if (mode != Interpolation::kNearestNeighbor && !c.bicubic_too) continue;
            SCOPED_TRACE(testing::Message() << c.what << ", mode " << static_cast<int>(mode));
            const auto argb = Bitmap::Create(c.sw, c.sh);
            Frame rgb(c.sw, c.sh, 0);
            Paint(*argb);
            Paint(rgb.bitmap);
            const std::vector<Argb> argb_before = Pixels(*argb);
            const std::vector<uint8_t> rgb_before = rgb.bytes;
            auto onto_argb = Bitmap::Create(c.tw, c.th);
            Frame onto_rgb(c.tw, c.th, 0x55);
            gfx::DrawImagePoints(*onto_argb, *argb, c.corners, mode);
            gfx::DrawImagePoints(onto_rgb.bitmap, rgb.bitmap, c.corners, mode);
            const int row = gfx::Rgb24RowBytes(c.tw);
            for (int y = 0; y < c.th; ++y) {
                for (int x = 0; x < c.tw; ++x) {
                    const auto [sx, sy] = c.from(x, y);
                    const bool in = sx >= 0 && sy >= 0 && sx < c.sw && sy < c.sh;
                    // Onto transparent pixels the source is copied, alpha and all.
                    ASSERT_EQ(onto_argb->GetPixel(x, y), in ? argb->GetPixel(sx, sy) : 0u) << x << "," << y;
                    ASSERT_EQ(onto_rgb.bitmap.GetPixel(x, y), in ? rgb.bitmap.GetPixel(sx, sy) : 0xFF555555u)
                        << x << "," << y;
                }
                for (int b = c.tw * 3; b < row; ++b) ASSERT_EQ(onto_rgb.bytes[y * row + b], 0x55) << "row padding";
            }
            EXPECT_EQ(Pixels(*argb), argb_before);
            EXPECT_EQ(rgb.bytes, rgb_before);
        }
}

TEST(GfxDrawImagePoints, AConstantFillsExactlyThePixelsWhoseCentresAreInside) {
    // Bicubic of a constant image is that constant, translucent or not, at any scale.
    const PointF cases[][3] = {
        {{6.3f, 1.2f}, {20.7f, 9.1f}, {2.9f, 7.4f}},  // rotated
        {{1, 1}, {9, 1}, {1, 7}},                     // shrunk
        {{-30, -20}, {90, 5}, {-40, 60}},             // enlarged past the target
    };
    // The colour, and the colour over black: (s a + 127) / 255.
    for (const auto& [colour, on_black] : {std::pair{0xFF204060u, 0xFF204060u}, std::pair{0x80336699u, 0xFF1A334Du}}) {
        auto src = Bitmap::Create(40, 30);
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) src->SetPixel(x, y, colour);
        for (const auto& c : cases)
            for (Interpolation mode : kModes) {
                SCOPED_TRACE(testing::Message() << std::hex << colour << " " << c[0].x << ", mode " << int(mode));
                const PointF quad[4] = {c[0], c[1], {c[1].x + c[2].x - c[0].x, c[1].y + c[2].y - c[0].y}, c[2]};
                auto out = Bitmap::Create(24, 18);  // transparent: the drawn colour is copied
                Frame rgb(24, 18, 0);
                gfx::DrawImagePoints(*out, *src, c, mode);
                gfx::DrawImagePoints(rgb.bitmap, *src, c, mode);
                int drawn = 0;
                for (int y = 0; y < 18; ++y)
                    for (int x = 0; x < 24; ++x) {
                        const bool in = gfx::PointInPolygon(quad, 4, x + 0.5f, y + 0.5f);
                        ASSERT_EQ(out->GetPixel(x, y), in ? colour : 0u) << x << "," << y;
                        ASSERT_EQ(rgb.bitmap.GetPixel(x, y), in ? on_black : 0xFF000000u) << x << "," << y;
                        drawn += in;
                    }
                EXPECT_GE(drawn, 48);
            }
    }
}

TEST(GfxDrawImagePoints, BicubicUsesKeysWeights) {
    // One row 0, 0, 255, 255 doubled: samples fall a quarter pixel off the source
    // centres, weights K(0.25) = 0.8671875, K(0.75) = 0.2265625, K(1.25) = -0.0703125,
    // K(1.75) = -0.0234375; overshoot is clamped.
    Frame row(4, 1, 0);
    row.bitmap.SetPixel(2, 0, 0xFF0000FFu);
    row.bitmap.SetPixel(3, 0, 0xFF0000FFu);
    Frame out(8, 1, 0);
    const PointF twice[3] = {{0, 0}, {8, 0}, {0, 1}};
    gfx::DrawImagePoints(out.bitmap, row.bitmap, twice, Interpolation::kHighQualityBicubic);
    const int expected[8] = {0, 0, 0, 52, 203, 255, 255, 255};
    for (int x = 0; x < 8; ++x) EXPECT_EQ(out.bitmap.GetPixel(x, 0), 0xFF000000u | expected[x]) << x;
}

TEST(GfxDrawImagePoints, BicubicShrinkFiltersWhereNearestAliases) {
    // A checkerboard at a quarter of its size, upright and tilted: nearest picks black or
    // white, bicubic the grey between, on the same pixels.
    auto checker = Bitmap::Create(32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) checker->SetPixel(x, y, (x + y) % 2 ? 0xFFFFFFFFu : 0xFF000000u);
    const PointF quarter[3] = {{0, 0}, {8, 0}, {0, 8}}, tilted[3] = {{2, 1}, {9.5f, 3}, {0.5f, 8.5f}};
    for (const PointF* c : {quarter, tilted}) {
        Frame smooth(10, 10, 7), sharp(10, 10, 7);
        gfx::DrawImagePoints(smooth.bitmap, *checker, c, Interpolation::kHighQualityBicubic);
        gfx::DrawImagePoints(sharp.bitmap, *checker, c, Interpolation::kNearestNeighbor);
        const std::vector<Argb> s = Pixels(smooth.bitmap), n = Pixels(sharp.bitmap);
        const auto pure = [](Argb p) { return p == 0xFFFFFFFFu || p == 0xFF000000u; };
        EXPECT_GE(std::count_if(n.begin(), n.end(), pure), 30);
        for (size_t i = 0; i < s.size(); ++i)
            if (n[i] == 0xFF070707u)
                EXPECT_EQ(s[i], 0xFF070707u) << i;
            else
                EXPECT_TRUE(pure(n[i]) && (s[i] & 0xFF) >= 120 && (s[i] & 0xFF) <= 135)
                    << std::hex << n[i] << " " << s[i] << " at " << std::dec << i;
    }
}

constexpr Argb kRed = 0xFFFF0000u;

TEST(GfxDrawPolygon, TwoPixelSquareOutlineCoversTheEdgePixels) {
    const PointF square[4] = {{10.5f, 10.5f}, {20.5f, 10.5f}, {20.5f, 20.5f}, {10.5f, 20.5f}};
    const std::vector<PointF> before(square, square + 4);
    auto argb = Bitmap::Create(32, 32);
    Frame rgb(32, 32, 0);
    gfx::DrawPolygon(*argb, square, 4, kRed, 2);
    gfx::DrawPolygon(rgb.bitmap, square, 4, kRed, 2);
    const auto ring = [](int x, int y) {
        return x >= 10 && x <= 21 && y >= 10 && y <= 21 && !(x >= 12 && x <= 19 && y >= 12 && y <= 19);
    };
    EXPECT_EQ(Pixels(*argb), Image(32, 32, [&](int x, int y) { return ring(x, y) ? kRed : 0u; }));
    EXPECT_EQ(Pixels(rgb.bitmap), Image(32, 32, [&](int x, int y) { return ring(x, y) ? kRed : 0xFF000000u; }));
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(square[i].x == before[i].x && square[i].y == before[i].y);
}

TEST(GfxDraw, NothingForDegenerateNonFiniteOrEmptyInput) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const PointF corners[][3] = {
        {{0, 0}, {5, 5}, {10, 10}},  // collinear
        {{3, 3}, {3, 3}, {3, 3}},
        {{0, 0}, {8, 0}, {nan, 6}},
        {{0, 0}, {inf, 0}, {0, 6}},
        {{0, 0}, {1e30f, 0}, {0, 1e30f}},
        {{-1e30f, -1e30f}, {1e30f, -1e30f}, {-1e30f, 1e30f}},
        {{0, 0}, {1e-30f, 0}, {0, 1e-30f}},
        {{100, 100}, {108, 100}, {100, 106}},  // off the target
    };
    const PointF square[4] = {{2, 2}, {8, 2}, {8, 8}, {2, 8}};
    const PointF bad[3] = {{2, 2}, {nan, 5}, {8, 8}}, far[3] = {{2, 2}, {inf, 5}, {8, 8}};
    const auto src = Bitmap::Create(8, 6);
    Paint(*src);
    Frame out(12, 12, 0x21);
    const std::vector<uint8_t> before = out.bytes;
    for (Interpolation mode : kModes)
        for (const auto& c : corners) {
            gfx::DrawImagePoints(out.bitmap, *src, c, mode);
            ASSERT_EQ(out.bytes, before) << c[0].x << "," << c[0].y << " " << c[1].x << "," << c[1].y;
        }
    for (float width : {0.0f, -1.0f, nan}) gfx::DrawPolygon(out.bitmap, square, 4, kRed, width);
    gfx::DrawPolygon(out.bitmap, square, 1, kRed, 2);
    gfx::DrawPolygon(out.bitmap, bad, 3, kRed, 2);
    gfx::DrawPolygon(out.bitmap, far, 3, kRed, 2);
    gfx::DrawPolygon(out.bitmap, square, 4, 0x00FF0000u, 2);
    gfx::DrawLine(out.bitmap, {1, 1}, {9, 9}, kRed, 0);
    EXPECT_EQ(out.bytes, before) << "pens";
    gfx::FillEllipse(out.bitmap, 1, 1, -5, 5, kRed);
    gfx::FillEllipse(out.bitmap, 1, 1, nan, 5, kRed);
    gfx::DrawEllipse(out.bitmap, 1, 1, 5, 5, kRed, 0);
    EXPECT_EQ(out.bytes, before) << "ellipses";
}

TEST(GfxDrawPolygon, CoverageScalesAlpha) {
    // Flat ends at x = 2 and 8 cut the end pixels in half: 8 of 16 samples.
    for (const auto& [colour, end] : {std::pair{kRed, 0x80FF0000u}, std::pair{0x80FF0000u, 0x40FF0000u}}) {
        auto b = Bitmap::Create(12, 9);
        gfx::DrawLine(*b, {2, 5}, {8, 5}, colour, 1);
        EXPECT_EQ(Pixels(*b), Image(12, 9, [&](int x, int y) {
                      return y != 5 || x < 2 || x > 8 ? 0u : (x == 2 || x == 8) ? end : colour;
                  }));
    }
}

TEST(GfxDrawPolygon, MiterJoinsUpToTheLimitThenBevel) {
    // A 60-degree corner: its miter reaches one pen width past the vertex at (20, 23).
    auto b = Bitmap::Create(80, 50);
    const PointF triangle[3] = {{10, 40.32f}, {30, 40.32f}, {20, 23}};
    gfx::DrawPolygon(*b, triangle, 3, kRed, 4);
    EXPECT_GT(gfx::AlphaOf(b->GetPixel(20, 20)), 0);
    EXPECT_EQ(b->GetPixel(20, 18), 0u);
    // A spike of under six degrees would need a miter of about 20 widths: bevelled.
    const PointF spike[3] = {{10, 30}, {60, 32.5f}, {10, 35}};
    gfx::DrawPolygon(*b, spike, 3, kRed, 2);
    EXPECT_EQ(gfx::AlphaOf(b->GetPixel(58, 32)), 255);
    for (int x = 62; x < 80; ++x) EXPECT_EQ(b->GetPixel(x, 32), 0u) << x;
}

TEST(GfxDrawPolygon, HugeCoordinatesAreClipped) {
    auto b = Bitmap::Create(32, 32);
    const PointF triangle[3] = {{5, 5}, {1e30f, 5}, {5, 1e30f}};
    gfx::DrawPolygon(*b, triangle, 3, kRed, 2);
    for (int i = 6; i < 32; ++i) EXPECT_TRUE(b->GetPixel(i, 5) == kRed && b->GetPixel(5, i) == kRed) << i;
    EXPECT_TRUE(b->GetPixel(20, 20) == 0 && b->GetPixel(3, 20) == 0);
}

TEST(GfxDashes, ThreeWidthsOnOneOff) {
    // One wide: 3 on, 1 off along row 5; twice as wide: 6 on, 2 off over rows 4 and 5.
    for (const float width : {1.0f, 2.0f}) {
        auto b = Bitmap::Create(24, 8);
        const int w = static_cast<int>(width), end = width == 1 ? 20 : 24;
        gfx::DrawDashedLine(*b, {0, 6 - width / 2}, {float(end), 6 - width / 2}, kRed, width);
        EXPECT_EQ(Pixels(*b), Image(24, 8, [&](int x, int y) {
                      return y >= 6 - w && y < 6 && x < end && x % (4 * w) < 3 * w ? kRed : 0u;
                  })) << width;
    }
}

TEST(GfxDashes, PatternRunsOnAroundTheRectangle) {
    Frame out(14, 10, 0);
    gfx::DrawDashedRectangle(out.bitmap, 2, 2, 10, 6, kRed, 1);
    const auto on = [&](int x, int y) { return out.bitmap.GetPixel(x, y) == kRed; };
    for (int x = 2; x < 10; ++x) EXPECT_EQ(on(x, 2), (x - 2) % 4 != 3) << x;
    // The top side ends in a gap, so the right side starts with a dash.
    EXPECT_TRUE(on(10, 2) && on(10, 3) && on(10, 4) && !on(10, 5));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 14; ++x) {
            const bool outline = (x >= 2 && x <= 10 && (y == 2 || y == 6)) || (y >= 2 && y <= 6 && (x == 2 || x == 10));
            EXPECT_TRUE(outline || out.bitmap.GetPixel(x, y) == 0xFF000000u) << x << "," << y;
        }
    // The same path as a polygon draws the same pixels.
    Frame same(14, 10, 0);
    const PointF path[4] = {{2, 2}, {10, 2}, {10, 6}, {2, 6}};
    gfx::DrawDashedPolygon(same.bitmap, path, 4, kRed, 1);
    EXPECT_EQ(same.bytes, out.bytes);
}

TEST(GfxDashes, EndlessLineEndsAndKeepsThePattern) {
    auto b = Bitmap::Create(40, 8);
    gfx::DrawDashedLine(*b, {-1e30f, 5}, {1e30f, 5}, kRed, 1);
    const std::vector<Argb> pixels = Pixels(*b);
    std::string row;
    for (int x = 0; x < 40; ++x) row += pixels[5 * 40 + x] == kRed ? '#' : '.';
    // Interior runs: three on, one off, whatever the phase; every other pixel clear.
    const size_t first_gap = row.find('.');
    ASSERT_LT(first_gap, 4u);
    for (size_t x = first_gap; x + 4 <= row.size(); x += 4) EXPECT_EQ(row.substr(x, 4), ".###") << row;
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 0u), 7 * 40 + std::count(row.begin(), row.end(), '.'));
}

TEST(GfxShapes, FillRectangleClipsAndBlends) {
    Frame out(4, 4, 0);
    gfx::FillRectangle(out.bitmap, -2, 1, 5, 2, 0x80FFFFFFu);
    gfx::FillRectangle(out.bitmap, 0, 0, -1, 4, kRed);
    gfx::FillRectangle(out.bitmap, 0x7FFFFFF0, 0, 0x7FFFFFFF, 4, kRed);
    EXPECT_EQ(Pixels(out.bitmap),
              Image(4, 4, [](int x, int y) { return x <= 2 && (y == 1 || y == 2) ? 0xFF808080u : 0xFF000000u; }));
}

TEST(GfxShapes, EllipseFillAndOutline) {
    auto fill = Bitmap::Create(25, 25);
    gfx::FillEllipse(*fill, 2, 2, 20, 20, kRed);
    for (auto [x, y, want] : {std::tuple{12, 12, kRed}, {12, 3, kRed}, {3, 3, 0u}, {12, 1, 0u}})
        EXPECT_EQ(fill->GetPixel(x, y), want) << x << "," << y;
    double area = 0;
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 25; ++x) {
            const int a = gfx::AlphaOf(fill->GetPixel(x, y));
            area += a / 255.0;
            EXPECT_EQ(a, gfx::AlphaOf(fill->GetPixel(24 - x, y))) << x << "," << y;
            EXPECT_EQ(a, gfx::AlphaOf(fill->GetPixel(x, 24 - y))) << x << "," << y;
        }
    EXPECT_NEAR(area, 3.14159265 * 100, 1.5);

    auto ring = Bitmap::Create(25, 25);
    gfx::DrawEllipse(*ring, 2, 2, 20, 20, kRed, 2);
    for (auto [x, y, want] : {std::tuple{12, 2, kRed}, {22, 12, kRed}, {12, 22, kRed}, {2, 12, kRed}, {12, 12, 0u},
                              {12, 5, 0u}, {12, 0, 0u}})
        EXPECT_EQ(ring->GetPixel(x, y), want) << x << "," << y;
}

TEST(GfxPointInPolygon, WindingRuleAndBoundaries) {
    const PointF square[4] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    // An L: the notch is outside.
    const PointF ell[6] = {{0, 0}, {4, 0}, {4, 6}, {10, 6}, {10, 10}, {0, 10}};
    // A pentagram drawn in one stroke winds twice around its centre: inside by winding,
    // though even-odd would call it outside.
    PointF star[5];
    for (int i = 0; i < 5; ++i) {
        const double a = -3.14159265358979 / 2 + i * 4 * 3.14159265358979 / 5;
        star[i] = {static_cast<float>(50 + 40 * std::cos(a)), static_cast<float>(50 + 40 * std::sin(a))};
    }
    const struct {
        const PointF* polygon;
        int count;
        float x, y;
        bool inside;
    } cases[] = {
        {square, 4, 5, 5, true},   {square, 4, 11, 5, false},
        {square, 4, 0, 5, true},   {square, 4, 5, 0, true},     // left and top edges
        {square, 4, 10, 5, false}, {square, 4, 5, 10, false},   // right and bottom edges
        {square, 2, 5, 5, false},  {square, 4, std::nanf(""), 5, false},
        {ell, 6, 2, 2, true},      {ell, 6, 8, 8, true},        {ell, 6, 8, 2, false},
        {star, 5, 50, 50, true},   {star, 5, 50, 15, true},     // the centre, the top point
        {star, 5, 50, 95, false},  {star, 5, 20, 20, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(gfx::PointInPolygon(c.polygon, c.count, c.x, c.y), c.inside) << c.count << ": " << c.x << "," << c.y;
}

}  // namespace
