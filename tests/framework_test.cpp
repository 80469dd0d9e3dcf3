// The host's string: copies share one buffer by count, and writing one copy never shows
// in another; a buffer reused for a shorter string takes that string's length.
#include <gtest/gtest.h>

#include "framework/cstring.h"

namespace {

TEST(CString, CopiesShareABufferAndWritingOneLeavesTheOthers) {
    const CString a("first");
    CString b = a;
    EXPECT_EQ(b.c_str(), a.c_str());
    b = "1st";  // fits the shared buffer, which is still not written
    EXPECT_STREQ(a, "first");
    EXPECT_STREQ(b, "1st");
    b = "2d";  // its own buffer now, reused
    EXPECT_STREQ(b, "2d");
    EXPECT_EQ(b.GetLength(), 2);
}

}  // namespace
