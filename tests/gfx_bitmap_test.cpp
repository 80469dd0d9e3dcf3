// Bitmaps, views over frames, locks, source-over (one pixel, and the four-at-a-time row
// blend against it) and unscaled drawing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/blend.h"
#include "gfx/draw_image.h"

namespace {

using gfx::Argb;
using gfx::Bitmap;

std::vector<int> Bytes(const uint8_t* p, int n) { return std::vector<int>(p, p + n); }

TEST(GfxBlend, OntoRgbAndArgbAtAlphaZeroHalfAndFull) {
    // (s a + d (255 - a) + 127) / 255; each row blends over the previous row's result,
    // except where a row starts from a target of its own.
    uint8_t rgb[3] = {10, 20, 30}, argb[4] = {10, 20, 30, 200};
    const struct {
        Argb source;
        std::vector<int> rgb, argb, argb_from;
    } steps[] = {{0x00C86432u, {10, 20, 30}, {10, 20, 30, 200}, {}},
                 {0x80C86432u, {30, 60, 115}, {32, 65, 126, 228}, {}},
                 {0xFFC86432u, {50, 100, 200}, {50, 100, 200, 255}, {}},
                 {0x37C86432u, {}, {50, 100, 200, 0x37}, {9, 9, 9, 0}},      // onto transparent: a copy
                 {0x01C86432u, {}, {10, 20, 31, 255}, {10, 20, 30, 255}}};  // opaque stays opaque
    for (const auto& step : steps) {
        if (!step.argb_from.empty()) std::copy(step.argb_from.begin(), step.argb_from.end(), argb);
        gfx::BlendOverArgb(argb, step.source);
        EXPECT_EQ(Bytes(argb, 4), step.argb) << std::hex << step.source;
        if (step.rgb.empty()) continue;
        gfx::BlendOverRgb(rgb, step.source);
        EXPECT_EQ(Bytes(rgb, 3), step.rgb) << std::hex << step.source;
    }
}

TEST(GfxBlendRow, MatchesThePixelBlendForEveryAlphaAndRowLength) {
    // Tails of every length, and every alpha (97 is odd, so i * 97 runs through them all)
    // over random targets; bytes past the row stay untouched.
    std::mt19937 rng(11);
    for (int count : {0, 1, 3, 5, 13, 1024}) {
        std::vector<Argb> src(count);
        std::vector<uint8_t> row(count * 3 + 4);
        for (int i = 0; i < count; ++i) src[i] = (rng() & 0x00FFFFFFu) | static_cast<Argb>(i * 97 % 256) << 24;
        for (auto& b : row) b = static_cast<uint8_t>(rng());
        std::vector<uint8_t> want = row;
        for (int i = 0; i < count; ++i) gfx::BlendOverRgb(want.data() + 3 * i, src[i]);
        gfx::BlendRowOverRgb(row.data(), src.data(), count);
        EXPECT_EQ(row, want) << count;
    }
}

// Pixel access and the bottom-up RGB24 view are read back by every drawing test; what
// only the bitmap sees is here. The warp reads an RGB24 source through a lock.
TEST(GfxBitmap, NoBitmapOfNoPixelsAndALockCopiesAnRgb24ViewTopRowFirst) {
    EXPECT_EQ(Bitmap::Create(0, 4), nullptr);
    EXPECT_EQ(Bitmap::Create(4, -1), nullptr);
    std::vector<uint8_t> mem(12 * 2);
    for (size_t i = 0; i < mem.size(); ++i) mem[i] = static_cast<uint8_t>(i);
    const gfx::ArgbLock lock(Bitmap::OverRgb24(mem.data(), 3, 2));
    ASSERT_NE(lock.Scan0(), nullptr);
    EXPECT_EQ(lock.Stride(), 12);
    EXPECT_EQ(Bytes(lock.Scan0(), 4), (std::vector<int>{12, 13, 14, 255}));  // the top row is last in memory
}

TEST(GfxDrawImageUnscaled, ClipsAtTheTarget) {
    // The image item draws its whole picture at the canvas's corner, whatever the sizes:
    // a 4x3 source of distinct opaque pixels onto a 3x2 target, at offsets 0 and 1.
    auto src = Bitmap::Create(4, 3);
    const auto pixel = [](int x, int y) { return 0xFF000000u | static_cast<Argb>(y * 16 + x + 1); };
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) src->SetPixel(x, y, pixel(x, y));
    for (int at : {0, 1}) {
        std::vector<uint8_t> mem(gfx::Rgb24RowBytes(3) * 2, 1);
        Bitmap t = Bitmap::OverRgb24(mem.data(), 3, 2);
        gfx::DrawImageUnscaled(t, *src, at, at, 0, 0, 0x7FFFFFFF, 0x7FFFFFFF);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                EXPECT_EQ(t.GetPixel(x, y), x < at || y < at ? 0xFF010101u : pixel(x - at, y - at)) << x << "," << y;
        for (int y = 0; y < 2; ++y) EXPECT_EQ(mem[y * gfx::Rgb24RowBytes(3) + 9], 1) << "row " << y << "'s padding";
    }
}

TEST(GfxDrawImageUnscaled, BlendsArgbAndCopiesRgb24) {
    auto src = Bitmap::Create(1, 1);
    src->SetPixel(0, 0, 0x80C86432u);
    auto target = Bitmap::Create(2, 1);
    target->SetPixel(0, 0, 0xC81E140Au);
    gfx::DrawImageUnscaled(*target, *src, 0, 0, 0, 0, 1, 1);
    EXPECT_EQ(target->GetPixel(0, 0), 0xE47E4120u);  // as BlendOverArgb: 228, 126, 65, 32

    std::vector<uint8_t> frame = {1, 2, 3, 0};
    const Bitmap rgb = Bitmap::OverRgb24(frame.data(), 1, 1);
    gfx::DrawImageUnscaled(*target, rgb, 1, 0, 0, 0, 1, 1);
    EXPECT_EQ(target->GetPixel(1, 0), 0xFF030201u);
}

}  // namespace
