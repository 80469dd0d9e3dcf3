// The string and array types host records carry: buffers shared by count as the
// host's runtime shares them, the empty string never freed, arrays in four words.
#include <gtest/gtest.h>

#include <string>

#include "framework/cstring.h"
#include "framework/host_array.h"

TEST(FrameworkTypes, StringsShareBuffersByCountAndNeverFreeTheEmptyOne) {
    CString a("picture.png");
    {
        const CString b(a);
        CString c;
        c = a;
        EXPECT_EQ(static_cast<const char*>(b), static_cast<const char*>(a));
        EXPECT_EQ(static_cast<const char*>(c), static_cast<const char*>(a));
        EXPECT_EQ(a.RefCount(), 3);
    }
    EXPECT_EQ(a.RefCount(), 1);
    EXPECT_EQ(a.GetLength(), 11);

    const CString empty1, empty2(""), empty3(nullptr);
    EXPECT_EQ(static_cast<const char*>(empty1), static_cast<const char*>(empty2));
    EXPECT_EQ(static_cast<const char*>(empty1), static_cast<const char*>(empty3));
    EXPECT_EQ(empty1.RefCount(), -1);
    a = empty1;  // releases a's buffer, takes the shared empty one
    EXPECT_TRUE(a.IsEmpty());
    EXPECT_EQ(static_cast<const char*>(a), static_cast<const char*>(empty1));

    // Assigning characters into an unshared buffer of room enough reuses it.
    CString d("long enough");
    const char* before = d;
    d = "short";
    EXPECT_EQ(static_cast<const char*>(d), before);
    EXPECT_STREQ(d, "short");
    CString e(d);
    e = "other";  // shared: e gets a buffer of its own, d keeps its text
    EXPECT_STREQ(d, "short");
    EXPECT_STREQ(e, "other");
}

TEST(FrameworkTypes, ArraysGrowDropTheirFrontAndCopyElementByElement) {
    HostArray<CString> names;
    for (int i = 0; i < 9; ++i) names.PushBack(CString(std::to_string(i).c_str()));
    names.EraseFront();
    ASSERT_EQ(names.size(), 8u);
    EXPECT_STREQ(names[0], "1");
    EXPECT_STREQ(names[7], "8");

    HostArray<CString> copy;
    copy.Assign(names);
    ASSERT_EQ(copy.size(), 8u);
    EXPECT_EQ(static_cast<const char*>(copy[3]), static_cast<const char*>(names[3]));  // shared by count
    EXPECT_EQ(names[3].RefCount(), 2);
    copy.Clear();
    EXPECT_EQ(names[3].RefCount(), 1);
    EXPECT_TRUE(copy.empty());

    const HostArray<int> none;
    EXPECT_EQ(none.begin(), none.end());
}
