// Title items drawn by a host renderer whose table is built by hand. Their order over
// each other and hidden channels are in tests/composition_test.cpp.
#include <gtest/gtest.h>

#include "fake_renderers.h"
#include "items/title_item.h"
#include "plugin/exports.h"
#include "test_support.h"

namespace {

using test::FakeRenderer;

class Titles : public ::testing::Test {
protected:
    test::EnvPtr env = test::NewEnv();
    test::PublishedManager pm{env.get(), test::Rgb24Info(5, 3, 100)};  // rows of 16 bytes
};

TEST_F(Titles, CallsCarryParameterDurationAndPositionInsideTheirRangeOnly) {
    FakeRenderer r = test::NewTitleRenderer(3);
    TitleEffect t{0xAAAAAAAA, 0xBBBBBBBB, 42, r.AsTitle(), -77, 10, 19};
    AddTitleEff(&t, 2, 0);
    t.parameter = 5;  // the library keeps its own copy
    t.first_frame = 0;
    for (int n : {9, 10, 13, 19, 20})
        EXPECT_EQ(pm.Bytes(n), std::vector<uint8_t>(48, n >= 10 && n <= 19 ? 3 : 0)) << n;
    EXPECT_EQ(test::Log(r), "5 -77 10 0 to 48x0; 5 -77 10 3 to 48x0; 5 -77 10 9 to 48x0");
    EXPECT_EQ(pm.mgr->FindItem(42)->kind, kItemTitle);

    // A single frame lasts 1; a title whose last frame comes before its first is never called.
    FakeRenderer one = test::NewTitleRenderer(), none = test::NewTitleRenderer();
    const TitleEffect single{0, 0, 1, one.AsTitle(), 0, 50, 50}, backwards{0, 0, 2, none.AsTitle(), 0, 50, 49};
    AddTitleEff(&single, 0, 0);
    AddTitleEff(&backwards, 0, 0);
    for (int n = 48; n <= 52; ++n) pm.Frame(n);
    EXPECT_EQ(test::Log(one), "5 0 1 0 to 48x0");
    EXPECT_EQ(test::Log(none), "");
}

TEST_F(Titles, PictureIsTakenFromWhereTheWordPoints) {
    FakeRenderer r = test::NewTitleRenderer(7);
    r.replace_word = true;
    const TitleEffect t{0, 0, 1, r.AsTitle(), 0, 0, 99};
    AddTitleEff(&t, 0, 0);
    EXPECT_EQ(pm.Bytes(0), std::vector<uint8_t>(48, 7));
    EXPECT_EQ(r.own_buffer.size(), 48u);  // the host's buffer is left to the host
}

}  // namespace
