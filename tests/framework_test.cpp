// The string and array types host records carry: buffers shared by count as the
// host's runtime shares them, the empty string never freed, arrays in four words.
#include <gtest/gtest.h>

#include "framework/cstring.h"
#include "framework/host_array.h"

TEST(FrameworkTypes, CopiesShareByCountWriteApartAndNeverFreeTheEmptyString) {
    CString a("picture.png");
    HostArray<CString> names, copy;
    for (int i = 0; i < 5; ++i) names.PushBack(a);  // past the first storage of four
    copy.Assign(names);
    EXPECT_EQ(static_cast<const char*>(copy[4]), static_cast<const char*>(a));
    EXPECT_EQ(a.RefCount(), 11);
    copy.Clear();
    names.EraseFront();
    EXPECT_EQ(a.RefCount(), 5);
    EXPECT_EQ(names.size(), 4u);

    CString b(a);
    b = "other";  // shared: b gets a buffer of its own, a keeps its text
    EXPECT_STREQ(a, "picture.png");
    EXPECT_STREQ(b, "other");
    const char* before = b;
    b = "short";  // unshared with room enough: the buffer is reused
    EXPECT_EQ(static_cast<const char*>(b), before);
    EXPECT_STREQ(b, "short");

    const CString empty1, empty2(""), empty3(nullptr);
    EXPECT_EQ(static_cast<const char*>(empty1), static_cast<const char*>(empty2));
    EXPECT_EQ(static_cast<const char*>(empty1), static_cast<const char*>(empty3));
    EXPECT_EQ(empty1.RefCount(), -1);
    a = empty1;  // releases a's buffer, takes the shared empty one
    EXPECT_EQ(static_cast<const char*>(a), static_cast<const char*>(empty1));
    EXPECT_EQ(names[0].RefCount(), 4);
}
