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
    // (s a + d (255 - a) + 127) / 255; each step blends over the previous result.
    uint8_t rgb[3] = {10, 20, 30}, argb[4] = {10, 20, 30, 200};
    const struct {
        Argb source;
        std::vector<int> rgb, argb;
    } steps[] = {{0x00C86432u, {10, 20, 30}, {10, 20, 30, 200}},
                 {0x80C86432u, {30, 60, 115}, {32, 65, 126, 228}},
                 {0xFFC86432u, {50, 100, 200}, {50, 100, 200, 255}}};
    for (const auto& step : steps) {
        gfx::BlendOverRgb(rgb, step.source);
        gfx::BlendOverArgb(argb, step.source);
        EXPECT_EQ(Bytes(rgb, 3), step.rgb) << std::hex << step.source;
        EXPECT_EQ(Bytes(argb, 4), step.argb) << std::hex << step.source;
    }
    // Onto a transparent pixel the source is copied, alpha and all.
    uint8_t t[4] = {9, 9, 9, 0};
    gfx::BlendOverArgb(t, 0x37C86432u);
    EXPECT_EQ(Bytes(t, 4), (std::vector<int>{50, 100, 200, 0x37}));
    // An opaque target stays opaque under a faint source.
    uint8_t o[4] = {10, 20, 30, 255};
    gfx::BlendOverArgb(o, 0x01C86432u);
    EXPECT_EQ(Bytes(o, 4), (std::vector<int>{10, 20, 31, 255}));
}

TEST(GfxBlendRow, MatchesThePixelBlendForEveryAlphaAndRowLength) {
    // Bytes past the row stay untouched, and the source as it was.
    const auto expect_pixel_blend = [](std::vector<Argb> src, std::vector<uint8_t> row) {
        std::vector<uint8_t> want = row;
        for (size_t i = 0; i < src.size(); ++i) gfx::BlendOverRgb(want.data() + 3 * i, src[i]);
        const std::vector<Argb> before = src;
        gfx::BlendRowOverRgb(row.data(), src.data(), static_cast<int>(src.size()));
        EXPECT_EQ(row, want) << src.size();
        EXPECT_EQ(src, before);
    };
    std::mt19937 rng(11);
    for (int count : {0, 1, 3, 4, 5, 8, 13, 256}) {
        std::vector<Argb> src(count);
        std::vector<uint8_t> row(count * 3 + 4);
        for (int i = 0; i < count; ++i) src[i] = rng();
        for (auto& b : row) b = static_cast<uint8_t>(rng());
        if (count) src[0] = src[0] & 0x00FFFFFFu;  // alpha 0: target kept
        if (count > 1) src[1] |= 0xFF000000u;        // alpha 255: source taken
        expect_pixel_blend(src, row);
    }
    // Every alpha, and every target value of one channel.
    std::vector<Argb> src(256 * 4);
    std::vector<uint8_t> row(src.size() * 3);
    for (size_t i = 0; i < src.size(); ++i) {
        src[i] = (static_cast<Argb>(i % 256) << 24) | 0x00C0FF11u;
        row[3 * i] = row[3 * i + 1] = row[3 * i + 2] = static_cast<uint8_t>(i / 4);
    }
    expect_pixel_blend(src, row);
}

TEST(GfxBitmap, CreateAndPixels) {
    EXPECT_EQ(Bitmap::Create(0, 4), nullptr);
    EXPECT_EQ(Bitmap::Create(4, -1), nullptr);
    auto b = Bitmap::Create(3, 2);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Format(), gfx::PixelFormat::kArgb32);
    EXPECT_EQ(b->GetPixel(2, 1), 0u);
    b->SetPixel(2, 1, 0x80102030u);
    b->SetPixel(3, 1, 0xFFFFFFFFu);  // outside: nothing
    EXPECT_EQ(b->GetPixel(2, 1), 0x80102030u);
    EXPECT_EQ(b->GetPixel(-1, 0), 0u);
    EXPECT_EQ(Bytes(b->Row(1) + 8, 4), (std::vector<int>{0x30, 0x20, 0x10, 0x80}));
}

TEST(GfxBitmap, Rgb24ViewIsBottomUpAndOpaque) {
    EXPECT_EQ(gfx::Rgb24RowBytes(3), 12);
    std::vector<uint8_t> mem(12 * 2, 0);
    Bitmap v = Bitmap::OverRgb24(mem.data(), 3, 2);
    v.SetPixel(0, 0, 0x00112233u);  // alpha dropped
    EXPECT_EQ(Bytes(mem.data() + 12, 3), (std::vector<int>{0x33, 0x22, 0x11}));
    EXPECT_EQ(mem[0], 0);
    EXPECT_EQ(v.GetPixel(0, 0), 0xFF112233u);
    EXPECT_EQ(v.RowStep(), -12);
    mem[3] = 7;  // first row in memory is the bottom row
    EXPECT_EQ(v.GetPixel(1, 1), 0xFF000007u);
}

TEST(GfxArgbLock, WriteLockCarriesBackReadLockDoesNot) {
    std::vector<uint8_t> mem(12 * 2);
    for (size_t i = 0; i < mem.size(); ++i) mem[i] = static_cast<uint8_t>(i);
    const std::vector<uint8_t> before = mem;
    Bitmap v = Bitmap::OverRgb24(mem.data(), 3, 2);
    {
        gfx::ArgbLock lock(static_cast<const Bitmap&>(v));
        ASSERT_NE(lock.Scan0(), nullptr);
        EXPECT_EQ(lock.Stride(), 12);
        // Top row of the lock is the last row in memory, opaque.
        EXPECT_EQ(lock.Scan0()[0], 12);
        EXPECT_EQ(lock.Scan0()[3], 255);
        lock.Scan0()[0] = 99;
    }
    EXPECT_EQ(mem, before);
    {
        gfx::ArgbLock lock(v, gfx::ArgbLock::kWrite);
        ASSERT_NE(lock.Scan0(), nullptr);
        lock.Scan0()[4 * 3 + 0] = 0xAB;  // (0, 1): the first row in memory
        lock.Scan0()[4 * 3 + 3] = 0;     // alpha has nowhere to go
        EXPECT_EQ(mem, before);          // not until the lock ends
    }
    std::vector<uint8_t> expected = before;
    expected[0] = 0xAB;
    EXPECT_EQ(mem, expected);

    // On an ARGB bitmap the lock hands out the bitmap's own rows.
    auto b = Bitmap::Create(2, 2);
    gfx::ArgbLock own(*b, gfx::ArgbLock::kWrite);
    EXPECT_EQ(own.Scan0(), b->Row(0));
    EXPECT_EQ(own.Stride(), 8);
}

// A 4x3 source of distinct opaque pixels, a 6x5 target of 0x01 bytes.
std::unique_ptr<Bitmap> Source() {
    auto s = Bitmap::Create(4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) s->SetPixel(x, y, 0xFF000000u | static_cast<Argb>(y * 16 + x + 1));
    return s;
}

void ExpectPlaced(const std::vector<uint8_t>& mem, int dx, int dy, int sx, int sy, int w, int h) {
    Bitmap t = Bitmap::OverRgb24(const_cast<uint8_t*>(mem.data()), 6, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 6; ++x) {
            const int ux = x - dx + sx, uy = y - dy + sy;
            const bool in = x >= dx && y >= dy && x < int64_t{dx} + w && y < int64_t{dy} + h && ux >= 0 && uy >= 0 && ux < 4 && uy < 3;
            const Argb want = in ? 0xFF000000u | static_cast<Argb>(uy * 16 + ux + 1) : 0xFF010101u;
            EXPECT_EQ(t.GetPixel(x, y), want) << "at " << x << "," << y;
        }
}

TEST(GfxDrawImageUnscaled, ClipsAtEverySide) {
    const auto src = Source();
    struct Case {
        int dx, dy, sx, sy, w, h;
    } cases[] = {
        {-2, 1, 0, 0, 4, 3},       // left
        {4, 1, 0, 0, 4, 3},        // right
        {1, -2, 0, 0, 4, 3},       // top
        {1, 3, 0, 0, 4, 3},        // bottom
        {1, 1, -1, -1, 9, 9},      // the source rectangle reaches outside the source
        {0, 0, 1, 1, 2, 1},        // a part
        {7, 0, 0, 0, 4, 3},        // entirely outside
        {0, 0, 0, 0, 0x7FFFFFFF, 0x7FFFFFFF},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> mem(gfx::Rgb24RowBytes(6) * 5, 1);
        Bitmap t = Bitmap::OverRgb24(mem.data(), 6, 5);
        gfx::DrawImageUnscaled(t, *src, c.dx, c.dy, c.sx, c.sy, c.w, c.h);
        // Where the source rectangle starts outside the source, it moves the target too.
        const int dx = c.dx + (c.sx < 0 ? -c.sx : 0), dy = c.dy + (c.sy < 0 ? -c.sy : 0);
        ExpectPlaced(mem, dx, dy, std::max(c.sx, 0), std::max(c.sy, 0), c.w, c.h);
    }
}

TEST(GfxDrawImageUnscaled, BlendsArgbAndCopiesRgb24) {
    auto src = Bitmap::Create(1, 1);
    src->SetPixel(0, 0, 0x80C86432u);
    auto target = Bitmap::Create(2, 1);
    target->SetPixel(0, 0, 0xC81E140Au);
    gfx::DrawImageUnscaled(*target, *src, 0, 0, 0, 0, 1, 1);
    EXPECT_EQ(target->GetPixel(0, 0), 0xE47E4120u);  // as BlendOverArgb: 228, 126, 65, 32
    EXPECT_EQ(src->GetPixel(0, 0), 0x80C86432u);

    std::vector<uint8_t> frame = {1, 2, 3, 0};
    const Bitmap rgb = Bitmap::OverRgb24(frame.data(), 1, 1);
    gfx::DrawImageUnscaled(*target, rgb, 1, 0, 0, 0, 1, 1);
    EXPECT_EQ(target->GetPixel(1, 0), 0xFF030201u);
}

}  // namespace
