// The edit window's pictures taken over from host buffers: a buffer too short for its
// size gives no bitmap, and rows are read the right way up.
#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <vector>

#include "editwnd/taken_picture.h"

namespace {

// A buffer as the frame routines hand one out, to be freed with operator delete.
uint8_t* HostBuffer(const std::vector<uint8_t>& bytes) {
    auto* p = static_cast<uint8_t*>(::operator new(bytes.size()));
    std::memcpy(p, bytes.data(), bytes.size());
    return p;
}

TEST(EditPicture, TakesHostBuffersTheRightWayUp) {
    // 3 x 2, bottom row first: 24 bits a pixel in rows of 12 bytes, BGR; 32 bits, BGRA.
    const std::vector<uint8_t> rgb24 = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0,            // bottom row
                                        10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0};  // top row
    std::vector<uint8_t> argb(24);
    for (size_t i = 0; i < argb.size(); ++i) argb[i] = static_cast<uint8_t>(i + 1);
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        int bits;
        std::vector<uint32_t> want;  // top-down; empty: no bitmap
    } cases[] = {
        {"24 bits", rgb24, 24, {0xFF0C0B0A, 0xFF0F0E0D, 0xFF121110, 0xFF030201, 0xFF060504, 0xFF090807}},
        {"32 bits", argb, 32, {0x100F0E0D, 0x14131211, 0x18171615, 0x04030201, 0x08070605, 0x0C0B0A09}},
        {"one byte short", std::vector<uint8_t>(rgb24.begin(), rgb24.end() - 1), 24, {}},
    };
    for (const auto& c : cases) {
        editwnd::CTakenPicture picture;
        picture.Take(HostBuffer(c.bytes), static_cast<int32_t>(c.bytes.size()), 3, 2, c.bits);
        ASSERT_EQ(picture.bitmap() != nullptr, !c.want.empty()) << c.what;
        std::vector<uint32_t> got;
        for (int y = 0; picture.bitmap() && y < 2; ++y)
            for (int x = 0; x < 3; ++x) got.push_back(picture.bitmap()->GetPixel(x, y));
        EXPECT_EQ(got, c.want) << c.what;
    }
}

}  // namespace
