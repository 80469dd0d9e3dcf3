// Title items drawn by a host renderer whose table is built by hand.
#include <gtest/gtest.h>

#include "fake_renderers.h"
#include "items/title_item.h"
#include "plugin/exports.h"
#include "test_support.h"

namespace {

using test::FakeRenderer;

// The recorded calls, "slot parameter duration position canvas-bytes" each.
std::string Log(const FakeRenderer& r) {
    std::string s;
    for (const test::RendererCall& c : r.log)
        s += (s.empty() ? "" : "; ") + std::to_string(c.slot) + " " + std::to_string(c.parameter) + " " +
             std::to_string(c.duration) + " " + std::to_string(c.position) + " " + std::to_string(c.to.size());
    return s;
}

class Titles : public ::testing::Test {
protected:
    test::EnvPtr env = test::NewEnv();
    test::PublishedManager pm{env.get(), test::Rgb24Info(5, 3, 100)};  // rows of 16 bytes
    PVideoFrame Frame(int n) { return pm.clip->GetFrame(n, env.get()); }
};

TEST_F(Titles, CallsCarryParameterDurationAndPositionInsideTheirRangeOnly) {
    FakeRenderer r = test::NewTitleRenderer(3);
    TitleEffect t{0xAAAAAAAA, 0xBBBBBBBB, 42, r.AsTitle(), -77, 10, 19};
    AddTitleEff(&t, 2, 0);
    t.parameter = 5;  // the library keeps its own copy
    t.first_frame = 0;
    for (int n : {9, 10, 13, 19, 20})
        EXPECT_EQ(test::FrameBytes(Frame(n)), std::vector<uint8_t>(48, n >= 10 && n <= 19 ? 3 : 0)) << n;
    EXPECT_EQ(Log(r), "5 -77 10 0 48; 5 -77 10 3 48; 5 -77 10 9 48");
    EXPECT_EQ(pm.mgr->FindItem(42)->kind, kItemTitle);

    // A single frame lasts 1; a title whose last frame comes before its first is never called.
    FakeRenderer one = test::NewTitleRenderer(), none = test::NewTitleRenderer();
    const TitleEffect single{0, 0, 1, one.AsTitle(), 0, 50, 50}, backwards{0, 0, 2, none.AsTitle(), 0, 50, 49};
    AddTitleEff(&single, 0, 0);
    AddTitleEff(&backwards, 0, 0);
    for (int n = 48; n <= 52; ++n) Frame(n);
    EXPECT_EQ(Log(one), "5 0 1 0 48");
    EXPECT_EQ(Log(none), "");
}

TEST_F(Titles, SecondTitleSeesTheFirstsOutputAndHiddenOnesAreNotCalled) {
    FakeRenderer first = test::NewTitleRenderer(10), second = test::NewTitleRenderer(5);
    FakeRenderer hidden = test::NewTitleRenderer();
    const TitleEffect a{0, 0, 1, first.AsTitle(), 0, 0, 99}, b{0, 0, 2, second.AsTitle(), 0, 0, 99},
        h{0, 0, 3, hidden.AsTitle(), 0, 0, 99};
    AddTitleEff(&a, 1, 0);
    AddTitleEff(&b, 1, 0);
    AddTitleEff(&h, 3, 0);
    SetChannelVisible(3, 0);
    EXPECT_EQ(test::FrameBytes(Frame(0)), std::vector<uint8_t>(48, 15));
    ASSERT_EQ(second.log.size(), 1u);
    EXPECT_EQ(second.log[0].to, std::vector<uint8_t>(48, 10));
    EXPECT_EQ(hidden.log.size(), 0u);

    RemoveItem(1, -1);  // the renderer is borrowed: removal calls nothing on it
    Frame(1);
    EXPECT_EQ(first.log.size(), 1u);
    ASSERT_EQ(second.log.size(), 2u);
    EXPECT_EQ(second.log[1].to, std::vector<uint8_t>(48, 0));
}

TEST_F(Titles, PictureIsTakenFromWhereTheWordPoints) {
    FakeRenderer r = test::NewTitleRenderer(7);
    r.replace_word = true;
    const TitleEffect t{0, 0, 1, r.AsTitle(), 0, 0, 99};
    AddTitleEff(&t, 0, 0);
    EXPECT_EQ(test::FrameBytes(Frame(0)), std::vector<uint8_t>(48, 7));
    EXPECT_EQ(r.own_buffer.size(), 48u);  // the host's buffer is left to the host
}

}  // namespace
