// The four-at-a-time row blend against the one-pixel source-over it stands for.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "gfx/blend.h"

TEST(GfxBlendRow, MatchesThePixelBlendForEveryAlphaAndRowLength) {
    std::mt19937 rng(11);
    for (int count : {0, 1, 3, 4, 5, 8, 13, 256}) {
        std::vector<gfx::Argb> src(count);
        std::vector<uint8_t> row(count * 3 + 4);
        for (int i = 0; i < count; ++i) src[i] = rng();
        for (auto& b : row) b = static_cast<uint8_t>(rng());
        if (count) src[0] = src[0] & 0x00FFFFFFu;   // alpha 0: target kept
        if (count > 1) src[1] |= 0xFF000000u;         // alpha 255: source taken
        std::vector<uint8_t> want = row;
        for (int i = 0; i < count; ++i) gfx::BlendOverRgb(want.data() + 3 * i, src[i]);
        const std::vector<gfx::Argb> before = src;
        gfx::BlendRowOverRgb(row.data(), src.data(), count);
        EXPECT_EQ(row, want) << count;  // the bytes past the row untouched too
        EXPECT_EQ(src, before);
    }
    // Every alpha over every target value of one channel.
    std::vector<gfx::Argb> src(256 * 4);
    std::vector<uint8_t> row(src.size() * 3);
    for (size_t i = 0; i < src.size(); ++i) {
        src[i] = (static_cast<gfx::Argb>(i % 256) << 24) | 0x00C0FF11u;
        row[3 * i] = row[3 * i + 1] = row[3 * i + 2] = static_cast<uint8_t>(i / 4);
    }
    std::vector<uint8_t> want = row;
    for (size_t i = 0; i < src.size(); ++i) gfx::BlendOverRgb(want.data() + 3 * i, src[i]);
    gfx::BlendRowOverRgb(row.data(), src.data(), static_cast<int>(src.size()));
    EXPECT_EQ(row, want);
}
