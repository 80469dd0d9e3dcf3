// Images onto parallelograms, pens, dashes, ellipses and the winding hit test. How an
// outline's corners join is seen in the every-item render's pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
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

// Onto ARGB the warp's rectangle path shows the copy, alpha and all.
TEST(GfxDrawImagePoints, WholePixelMappingsCopyExactly) {
    const Mapping cases[] = {
        {"identity", 7, 5, 7, 5, {{0, 0}, {7, 0}, {0, 5}}, true, [](int x, int y) { return P{x, y}; }},
        {"off the left", 6, 3, 8, 4, {{-2, 1}, {4, 1}, {-2, 4}}, true, [](int x, int y) { return P{x + 2, y - 1}; }},
        {"doubled", 3, 2, 6, 4, {{0, 0}, {6, 0}, {0, 4}}, false, [](int x, int y) { return P{x / 2, y / 2}; }},
        // A quarter turn clockwise: the top-left corner goes to the top right.
        {"turned", 5, 3, 3, 5, {{3, 0}, {3, 5}, {0, 0}}, true, [](int x, int y) { return P{y, 2 - x}; }},
    };
    for (const Mapping& c : cases)
        for (Interpolation mode : kModes) {
            if (mode != Interpolation::kNearestNeighbor && !c.bicubic_too) continue;
            SCOPED_TRACE(testing::Message() << c.what << ", mode " << static_cast<int>(mode));
            Frame rgb(c.sw, c.sh, 0);
            Paint(rgb.bitmap);
            const std::vector<uint8_t> rgb_before = rgb.bytes;
            Frame onto_rgb(c.tw, c.th, 0x55);
            gfx::DrawImagePoints(onto_rgb.bitmap, rgb.bitmap, c.corners, mode);
            const int row = gfx::Rgb24RowBytes(c.tw);
            for (int y = 0; y < c.th; ++y) {
                for (int x = 0; x < c.tw; ++x) {
                    const auto [sx, sy] = c.from(x, y);
                    const bool in = sx >= 0 && sy >= 0 && sx < c.sw && sy < c.sh;
                    ASSERT_EQ(onto_rgb.bitmap.GetPixel(x, y), in ? rgb.bitmap.GetPixel(sx, sy) : 0xFF555555u)
                        << x << "," << y;
                }
                for (int b = c.tw * 3; b < row; ++b) ASSERT_EQ(onto_rgb.bytes[y * row + b], 0x55) << "row padding";
            }
            EXPECT_EQ(rgb.bytes, rgb_before);
        }
}

constexpr Argb kRed = 0xFFFF0000u;

TEST(GfxDrawPolygon, TwoPixelSquareOutlineCoversTheEdgePixels) {
    const PointF square[4] = {{10.5f, 10.5f}, {20.5f, 10.5f}, {20.5f, 20.5f}, {10.5f, 20.5f}};
    auto argb = Bitmap::Create(32, 32);
    Frame rgb(32, 32, 0);
    gfx::DrawPolygon(*argb, square, 4, kRed, 2);
    gfx::DrawPolygon(rgb.bitmap, square, 4, kRed, 2);
    const auto ring = [](int x, int y) {
        return x >= 10 && x <= 21 && y >= 10 && y <= 21 && !(x >= 12 && x <= 19 && y >= 12 && y <= 19);
    };
    EXPECT_EQ(Pixels(*argb), Image(32, 32, [&](int x, int y) { return ring(x, y) ? kRed : 0u; }));
    EXPECT_EQ(Pixels(rgb.bitmap), Image(32, 32, [&](int x, int y) { return ring(x, y) ? kRed : 0xFF000000u; }));
}

TEST(GfxDraw, NothingForDegenerateNonFiniteOrEmptyInput) {
    // Arbitrary corners are the fuzzer's; here one case of each guard.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const PointF corners[][3] = {{{0, 0}, {5, 5}, {10, 10}}, {{0, 0}, {8, 0}, {nan, 6}}};
    const PointF square[4] = {{2, 2}, {8, 2}, {8, 8}, {2, 8}}, bad[3] = {{2, 2}, {nan, 5}, {8, 8}};
    const auto src = Bitmap::Create(8, 6);
    Paint(*src);
    Frame out(12, 12, 0x21);
    const std::vector<uint8_t> before = out.bytes;
    for (Interpolation mode : kModes)
        for (const auto& c : corners) gfx::DrawImagePoints(out.bitmap, *src, c, mode);
    EXPECT_EQ(out.bytes, before) << "images";
    for (float width : {0.0f, nan}) gfx::DrawPolygon(out.bitmap, square, 4, kRed, width);
    gfx::DrawPolygon(out.bitmap, square, 1, kRed, 2);
    gfx::DrawPolygon(out.bitmap, bad, 3, kRed, 2);
    EXPECT_EQ(out.bytes, before) << "pens";
    gfx::FillEllipse(out.bitmap, 1, 1, -5, 5, kRed);
    gfx::DrawEllipse(out.bitmap, 1, 1, 5, 5, kRed, 0);
    EXPECT_EQ(out.bytes, before) << "ellipses";
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

TEST(GfxShapes, EllipseFillAndOutline) {
    auto fill = Bitmap::Create(25, 25);
    gfx::FillEllipse(*fill, 2, 2, 20, 20, kRed);
    for (auto [x, y, want] : {std::tuple{12, 12, kRed}, {12, 3, kRed}, {3, 3, 0u}, {12, 1, 0u}})
        EXPECT_EQ(fill->GetPixel(x, y), want) << x << "," << y;

    auto ring = Bitmap::Create(25, 25);
    gfx::DrawEllipse(*ring, 2, 2, 20, 20, kRed, 2);
    for (auto [x, y, want] : {std::tuple{12, 2, kRed}, {22, 12, kRed}, {12, 12, 0u}, {12, 5, 0u}, {12, 0, 0u}})
        EXPECT_EQ(ring->GetPixel(x, y), want) << x << "," << y;
}

TEST(GfxPointInPolygon, WindingRuleAndBoundaries) {
    const PointF square[4] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
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
        {square, 4, 0, 5, true}, {square, 4, 10, 5, false},  // left edge in, right edge out
        {square, 4, 5, 0, true}, {square, 4, 5, 10, false},  // top edge in, bottom edge out
        {square, 2, 5, 5, false},  {square, 4, std::nanf(""), 5, false},
        {star, 5, 50, 50, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(gfx::PointInPolygon(c.polygon, c.count, c.x, c.y), c.inside) << c.count << ": " << c.x << "," << c.y;
}

}  // namespace
