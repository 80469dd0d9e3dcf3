// DrawWarpedImage end to end on small pictures, with values worked out by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

#include "gfx/blend.h"
#include "tests/support/frames.h"
#include "warp/draw_warped_image.h"

namespace {

using Picture = test::Picture4x3;
using Frame = test::Rgb24Frame;

std::vector<gfx::PointF> Corners(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3) {
    return {{x0, y0}, {x1, y1}, {x2, y2}, {x3, y3}};
}

void Warp(gfx::Bitmap& target, const std::vector<gfx::PointF>& c, const gfx::Bitmap& src, int opacity = 255,
          int quick = 1, int rectangle = 0, int outline = 0, FrameRect frame = {0, 0, 1 << 20, 1 << 20}) {
    const WarpStyle style{.opacity = opacity,
                          .outline_width = outline,
                          .outline_colour = 0xFFC8C8C8u,
                          .sampling = SamplingFor(quick),
                          .path = rectangle ? WarpPath::kRectangle : WarpPath::kWarp};
    DrawWarpedImage(target, frame, c.data(), src, style);
}

TEST(DrawWarpedImage, IdentityWarpCopiesThePictureWithBothSamplers) {
    const Picture pic;
    const std::vector<uint8_t> before = pic.bytes;
    for (int quick : {1, 0}) {
        auto target = gfx::Bitmap::Create(6, 5);
        Warp(*target, Corners(0, 0, 3, 0, 3, 2, 0, 2), pic.bitmap, 255, quick);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 6; ++x)
                EXPECT_EQ(target->GetPixel(x, y), x < 4 && y < 3 ? Picture::Pixel(x, y) : 0u) << x << "," << y;
    }
    EXPECT_EQ(pic.bytes, before);
}

TEST(DrawWarpedImage, StretchSamplesByTruncationOrBetweenNeighbours) {
    const Picture pic;
    // Twice as wide: u steps by 0.5 across each line.
    auto nearest = gfx::Bitmap::Create(7, 3);
    Warp(*nearest, Corners(0, 0, 6, 0, 6, 2, 0, 2), pic.bitmap, 255, 1);
    auto bilinear = gfx::Bitmap::Create(7, 3);
    Warp(*bilinear, Corners(0, 0, 6, 0, 6, 2, 0, 2), pic.bitmap, 255, 0);
    for (int x = 0; x < 7; ++x) {
        EXPECT_EQ(nearest->GetPixel(x, 1), Picture::Pixel(x / 2, 1));
        // Halfway pixels average blue (truncated) and keep green 1; whole ones are exact.
        const gfx::Argb mid = 0xFF000000u | (1 << 8) | ((x / 2 * 10 + 10 + (x / 2 + 1) * 10 + 10) / 2);
        EXPECT_EQ(bilinear->GetPixel(x, 1), x % 2 ? mid : Picture::Pixel(x / 2, 1));
    }
}

TEST(DrawWarpedImage, OpacityZeroLeavesOnlyTheFourCornerPixels) {
    const Picture pic;
    Frame f(10, 10, 0x40);
    Warp(f.bitmap, Corners(1, 1, 8, 2, 7, 7, 2, 6), pic.bitmap, 0);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            gfx::Argb want = 0xFF404040u;
            if (x == 1 && y == 1) want = 0xFF000000u | Picture::Pixel(0, 0);
            if (x == 8 && y == 2) want = 0xFF000000u | Picture::Pixel(3, 0);
            if (x == 2 && y == 6) want = 0xFF000000u | Picture::Pixel(0, 2);
            // The bottom-right source pixel keeps its own alpha 0x80 over the grey.
            if (x == 7 && y == 7)
                want = 0xFF000000u | gfx::MixChannel(2, 0x40, 0x80) << 8 | gfx::MixChannel(40, 0x40, 0x80) |
                       gfx::MixChannel(0, 0x40, 0x80) << 16;
            EXPECT_EQ(f.bitmap.GetPixel(x, y), want) << x << "," << y;
        }
}

TEST(DrawWarpedImage, FrameRectangleLimitsWarpedPixelsRightAndBottomInclusive) {
    const Picture pic;
    auto target = gfx::Bitmap::Create(12, 12);
    // Nine times the picture's width, limited to columns and rows 2..5.
    Warp(*target, Corners(0, 0, 9, 0, 9, 9, 0, 9), pic.bitmap, 255, 1, 0, 0, FrameRect{2, 2, 5, 5});
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool corner = (x == 0 || x == 9) && (y == 0 || y == 9);  // never limited
            const bool inside = x >= 2 && x <= 5 && y >= 2 && y <= 5;
            EXPECT_EQ(target->GetPixel(x, y) != 0, corner || inside) << x << "," << y;
        }
}

TEST(DrawWarpedImage, RectanglePathDrawsUnscaledAndScalesAlphaByOpacity) {
    const Picture pic;
    // Onto a clear bitmap source-over copies: alpha 255 becomes opacity * 255 / 255, and
    // the 0x80 of (3, 2) becomes 0x80 * opacity / 255.
    for (const auto& [opacity, alpha, corner_alpha] : {std::tuple{255, 255u, 128u}, {128, 128u, 64u}, {0, 0u, 0u}}) {
        auto target = gfx::Bitmap::Create(5, 4);
        Warp(*target, Corners(0, 0, 4, 0, 4, 3, 0, 3), pic.bitmap, opacity, 1, 1);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x) {
                const gfx::Argb a = x == 3 && y == 2 ? corner_alpha : alpha;
                EXPECT_EQ(target->GetPixel(x, y), x < 4 && y < 3 && a ? gfx::WithAlpha(Picture::Pixel(x, y), a) : 0u)
                    << opacity << " " << x << "," << y;
            }
    }
}

TEST(DrawWarpedImage, OutlineCoversTheEdgesAndNothingFarFromThem) {
    auto clear = gfx::Bitmap::Create(2, 2);  // a transparent picture: only the outline shows
    for (int width : {0, 2}) {
        Frame f(40, 40, 0);
        Warp(f.bitmap, Corners(10.5f, 10.5f, 30.5f, 12.5f, 28.5f, 30.5f, 8.5f, 27.5f), *clear, 255, 1, 0, width);
        const gfx::PointF c[4] = {{10.5f, 10.5f}, {30.5f, 12.5f}, {28.5f, 30.5f}, {8.5f, 27.5f}};
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x) {
                double d = 1e9;  // distance from the pixel's centre (x, y) to the nearest edge
                for (int i = 0; i < 4; ++i) {
                    const gfx::PointF a = c[i], b = c[(i + 1) % 4];
                    const double px = x - a.x, py = y - a.y, ex = b.x - a.x, ey = b.y - a.y;
                    const double t = std::clamp((px * ex + py * ey) / (ex * ex + ey * ey), 0.0, 1.0);
                    d = std::min(d, std::hypot(px - t * ex, py - t * ey));
                }
                const gfx::Argb p = f.bitmap.GetPixel(x, y);
                if (width == 0 || d > 2.5) {
                    EXPECT_EQ(p, 0xFF000000u) << x << "," << y;
                } else if (d < 0.25) {
                    EXPECT_EQ(p, 0xFFC8C8C8u) << x << "," << y;
                }
            }
    }
}

TEST(DrawWarpedImage, BadGeometryDrawsSafely) {
    const Picture pic;
    auto one = gfx::Bitmap::Create(1, 1);
    one->SetPixel(0, 0, 0xFF123456u);
    const float inf = std::numeric_limits<float>::infinity(), nan = std::nanf("");
    const std::vector<std::vector<gfx::PointF>> shapes = {
        Corners(-30, -30, -5, -30, -5, -5, -30, -5),  // wholly left of and above the target
        Corners(nan, 0, 5, 0, 5, 5, 0, 5),
        Corners(-inf, -inf, inf, -inf, inf, inf, -inf, inf),
        Corners(-1e30f, 2, 1e30f, 2, 1e30f, 7, -1e30f, 7),
        Corners(0, 0, 0, 0, 0, 0, 0, 0),
        Corners(-4e9f, -4e9f, 4e9f, -3e9f, 3e9f, 4e9f, -3e9f, 3e9f),
        Corners(-2e9f, -2e9f, 2e9f, -1e9f, 1.5e9f, 2e9f, -1e9f, 1e9f),  // 32-bit products wrap
    };
    uint8_t nothing[4] = {};
    const gfx::Bitmap empty = gfx::Bitmap::OverArgb(nothing, 0, 0, 0);
    for (const auto& c : shapes)
        for (int quick : {0, 1})
            for (int rectangle : {0, 1})
                for (const gfx::Bitmap* src : {&pic.bitmap, static_cast<const gfx::Bitmap*>(one.get()), &empty}) {
                    Frame f(16, 12, 0x11);
                    Warp(f.bitmap, c, *src, 300, quick, rectangle, 2);
                    Warp(f.bitmap, c, *src, -7, quick, rectangle, 0);
                }
    // Wholly outside with no outline: nothing at all changes.
    Frame f(16, 12, 0x11);
    Warp(f.bitmap, shapes[0], pic.bitmap, 255, 1, 0, 0);
    EXPECT_EQ(f.bytes, std::vector<uint8_t>(f.bytes.size(), 0x11));
    // A quadrilateral spanning millions of pixels still fills the small target.
    auto big = gfx::Bitmap::Create(8, 8);
    Warp(*big, Corners(-1e6f, -1e6f, 1e6f, -1e6f, 1e6f, 1e6f, -1e6f, 1e6f), *one, 255, 1);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(big->GetPixel(x, y), 0xFF123456u);
}

}  // namespace
