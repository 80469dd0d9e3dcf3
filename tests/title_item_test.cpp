// Title items drawn by a host renderer whose table is built by hand.
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
    PVideoFrame Frame(int n) { return pm.clip->GetFrame(n, env.get()); }
};

TEST_F(Titles, CallsCarryParameterDurationAndPosition) {
    FakeRenderer r = test::NewTitleRenderer(3);
    TitleEffect t{0xAAAAAAAA, 0xBBBBBBBB, 42, r.AsTitle(), -77, 10, 19};
    AddTitleEff(&t, 2, 0);
    t.parameter = 5;  // the library keeps its own copy
    t.first_frame = 0;

    Frame(9);
    Frame(20);
    EXPECT_EQ(r.log.size(), 0u);
    for (int n : {10, 13, 19}) {
        const PVideoFrame f = Frame(n);
        EXPECT_EQ(f->GetReadPtr()[0], 3);
        EXPECT_EQ(f->GetReadPtr()[47], 3);
    }
    ASSERT_EQ(r.log.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(r.log[i].slot, 5);
        EXPECT_EQ(r.log[i].parameter, -77);
        EXPECT_EQ(r.log[i].duration, 10);
        EXPECT_EQ(r.log[i].to.size(), 48u);
    }
    EXPECT_EQ(r.log[0].position, 0);
    EXPECT_EQ(r.log[1].position, 3);
    EXPECT_EQ(r.log[2].position, 9);
    EXPECT_EQ(pm.mgr->FindItem(42)->kind, kItemTitle);
}

TEST_F(Titles, SingleFrameAndEmptyRanges) {
    FakeRenderer one = test::NewTitleRenderer(), none = test::NewTitleRenderer();
    const TitleEffect single{0, 0, 1, one.AsTitle(), 0, 50, 50};
    const TitleEffect backwards{0, 0, 2, none.AsTitle(), 0, 50, 49};
    AddTitleEff(&single, 0, 0);
    AddTitleEff(&backwards, 0, 0);
    for (int n = 48; n <= 52; ++n) Frame(n);
    ASSERT_EQ(one.log.size(), 1u);
    EXPECT_EQ(one.log[0].duration, 1);
    EXPECT_EQ(one.log[0].position, 0);
    EXPECT_EQ(none.log.size(), 0u);
}

TEST_F(Titles, SecondTitleSeesTheFirstsOutputAndHiddenOnesAreNotCalled) {
    FakeRenderer first = test::NewTitleRenderer(10), second = test::NewTitleRenderer(5), hidden = test::NewTitleRenderer();
    const TitleEffect a{0, 0, 1, first.AsTitle(), 0, 0, 99}, b{0, 0, 2, second.AsTitle(), 0, 0, 99},
        h{0, 0, 3, hidden.AsTitle(), 0, 0, 99};
    AddTitleEff(&a, 1, 0);
    AddTitleEff(&b, 1, 0);
    AddTitleEff(&h, 3, 0);
    SetChannelVisible(3, 0);
    const PVideoFrame f = Frame(0);
    ASSERT_EQ(second.log.size(), 1u);
    EXPECT_EQ(second.log[0].to, std::vector<uint8_t>(48, 10));
    EXPECT_EQ(f->GetReadPtr()[20], 15);
    EXPECT_EQ(hidden.log.size(), 0u);

    RemoveItem(1, -1);  // the renderer is borrowed: removal calls nothing on it
    Frame(1);
    EXPECT_EQ(first.log.size(), 1u);
    EXPECT_EQ(second.log.size(), 2u);
    EXPECT_EQ(second.log[1].to, std::vector<uint8_t>(48, 0));
}

TEST_F(Titles, PictureIsTakenFromWhereTheWordPoints) {
    FakeRenderer r = test::NewTitleRenderer(7);
    r.replace_word = true;
    const TitleEffect t{0, 0, 1, r.AsTitle(), 0, 0, 99};
    AddTitleEff(&t, 0, 0);
    EXPECT_EQ(Frame(0)->GetReadPtr()[33], 7);
    EXPECT_EQ(r.own_buffer.size(), 48u);  // the host's buffer is left to the host
}

}  // namespace
