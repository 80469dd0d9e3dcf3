// Title and slide items drawn by host renderers whose tables are built by hand: what a
// title is handed and where its picture is taken from; a slide's snapshots, its
// from-frame and its to-frame. Titles over each other are in tests/composition_test.cpp.
#include <gtest/gtest.h>

#include "fake_renderers.h"
#include "items/slide_item.h"
#include "items/title_item.h"
#include "plugin/exports.h"
#include "test_support.h"

namespace {

using test::FakeRenderer;
using test::Log;

class Slides : public ::testing::Test {
protected:
    test::EnvPtr env = test::NewEnv();
    test::PublishedManager pm{env.get(), test::Rgb24Info(4, 2, 100)};  // 12-byte rows, 24 bytes
    FakeRenderer t0 = test::NewTitleRenderer(1), t2 = test::NewTitleRenderer(10), t4 = test::NewTitleRenderer(100);

    // Titles on host channels 0, 1 and 3 (internal 0, 2 and 4) that add 1, 10 and 100.
    void AddTitles() {
        const TitleEffect a{0, 0, 100, t0.AsTitle(), 0, 0, 99}, b{0, 0, 101, t2.AsTitle(), 0, 0, 99},
            c{0, 0, 102, t4.AsTitle(), 0, 0, 99};
        AddTitleEff(&a, 0, 0);
        AddTitleEff(&b, 1, 0);
        AddTitleEff(&c, 3, 0);
    }
};

using Titles = Slides;

TEST_F(Titles, CallsCarryParameterDurationAndPositionInsideTheirRangeOnly) {
    FakeRenderer r = test::NewTitleRenderer(3);
    TitleEffect t{0xAAAAAAAA, 0xBBBBBBBB, 42, r.AsTitle(), -77, 10, 19};
    AddTitleEff(&t, 2, 0);
    t.parameter = 5;  // the library keeps its own copy
    t.first_frame = 0;
    for (int n : {9, 10, 13, 19, 20})
        EXPECT_EQ(pm.Bytes(n), std::vector<uint8_t>(24, n >= 10 && n <= 19 ? 3 : 0)) << n;
    EXPECT_EQ(Log(r), "5 -77 10 0 to 24x0; 5 -77 10 3 to 24x0; 5 -77 10 9 to 24x0");
    EXPECT_EQ(pm.mgr->FindItem(42)->kind, kItemTitle);

    // A single frame lasts 1; a title whose last frame comes before its first is never called.
    FakeRenderer one = test::NewTitleRenderer(), none = test::NewTitleRenderer();
    const TitleEffect single{0, 0, 1, one.AsTitle(), 0, 50, 50}, backwards{0, 0, 2, none.AsTitle(), 0, 50, 49};
    AddTitleEff(&single, 0, 0);
    AddTitleEff(&backwards, 0, 0);
    for (int n = 48; n <= 52; ++n) pm.Frame(n);
    EXPECT_EQ(Log(one), "5 0 1 0 to 24x0");
    EXPECT_EQ(Log(none), "");
}

TEST_F(Titles, PictureIsTakenFromWhereTheWordPoints) {
    FakeRenderer r = test::NewTitleRenderer(7);
    r.replace_word = true;
    const TitleEffect t{0, 0, 1, r.AsTitle(), 0, 0, 99};
    AddTitleEff(&t, 0, 0);
    EXPECT_EQ(pm.Bytes(0), std::vector<uint8_t>(24, 7));
    EXPECT_EQ(r.own_buffer.size(), 24u);  // the host's buffer is left to the host
}

TEST_F(Slides, FromFrameIsBlackUntilUpdatedThenTheFrameBeforeUpToItsChannel) {
    AddTitles();
    FakeRenderer s = test::NewSlideRenderer(0);
    const SlideEffect e{0, 7, s.AsSlide(), 0, 1234, 40, 49};
    AddSlideEff(&e, 2, 0);  // internal channel 3, between the titles of 2 and 4
    pm.Frame(39);
    EXPECT_EQ(Log(s), "");
    pm.Frame(40);
    EXPECT_EQ(Log(s), "8 1234 10 0 24 from 24x0 to 24x11; 6");  // then asked whether to keep the snapshot

    t0.add = 2;  // frame 39 now composes differently from what frame 40 saw
    UpdateSlideEffsData();
    s.log.clear();
    const PVideoFrame f = pm.Frame(45);
    EXPECT_EQ(Log(s), "8 1234 10 5 24 from 24x12 to 24x12; 6");  // channels 0 to 3 of frame 39, nothing of 4
    EXPECT_EQ(f->GetReadPtr()[0], 112);
}

TEST_F(Slides, StartingAtZeroOrDroppingSnapshotsKeepsTheFromFrameBlack) {
    AddTitles();
    FakeRenderer zero = test::NewSlideRenderer(), drops = test::NewSlideRenderer(0, 1);
    const SlideEffect ez{0, 1, zero.AsSlide(), 0, 0, 0, 5}, ed{0, 9, drops.AsSlide(), 0, 0, 20, 30};
    AddSlideEff(&ez, 0, 0);
    AddSlideEff(&ed, 2, 0);
    const ItemRecord* item = pm.mgr->FindItem(9);
    const int before = pm.input->frame_requests;
    UpdateSlideEffsData();
    EXPECT_EQ(pm.input->frame_requests, before);  // no frame before 0, and the dropper is asked first: nothing composed
    EXPECT_EQ(item->snapshot, nullptr);

    pm.Frame(3);
    pm.Frame(20);
    t0.add = 50;
    pm.Frame(21);
    EXPECT_EQ(item->snapshot, nullptr);
    EXPECT_EQ(item->snapshot_size, 0u);
    EXPECT_EQ(Log(zero), "6; 8 0 6 3 24 from 24x0 to 24x1; 6");
    EXPECT_EQ(Log(drops),  // black, not frame 20
              "6; 8 0 11 0 24 from 24x0 to 24x11; 6; 8 0 11 1 24 from 24x0 to 24x60; 6");
}

TEST_F(Slides, SnapshotsAreTakenOnHiddenChannelsToo) {
    AddTitles();
    FakeRenderer s = test::NewSlideRenderer(0);
    const SlideEffect e{0, 3, s.AsSlide(), 0, 0, 60, 70};
    AddSlideEff(&e, 2, 0);
    SetChannelVisible(2, 0);  // hides the slide's own channel
    UpdateSlideEffsData();
    const ItemRecord* item = pm.mgr->FindItem(3);
    ASSERT_NE(item->snapshot, nullptr);
    EXPECT_EQ(test::Fill(std::vector<uint8_t>(item->snapshot.get(), item->snapshot.get() + item->snapshot_size)), "24x11");
    pm.Frame(60);
    EXPECT_EQ(Log(s), "6");  // but a hidden slide is not drawn
}

}  // namespace
