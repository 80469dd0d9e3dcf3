// Title and slide items drawn by host renderers whose tables are built by hand: what a
// title is handed; a slide's snapshots, its from-frame and its to-frame. Titles over
// each other are in tests/composition_test.cpp.
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

TEST_F(Slides, DroppingSnapshotsKeepsTheFromFrameBlack) {
    AddTitles();
    FakeRenderer drops = test::NewSlideRenderer(0, 1);
    const SlideEffect ed{0, 9, drops.AsSlide(), 0, 0, 20, 30};
    AddSlideEff(&ed, 2, 0);
    const ItemRecord* item = pm.mgr->FindItem(9);
    const int before = pm.input->frame_requests;
    UpdateSlideEffsData();
    EXPECT_EQ(pm.input->frame_requests, before);  // the dropper is asked first: nothing composed
    pm.Frame(20);
    t0.add = 50;
    pm.Frame(21);
    EXPECT_EQ(item->snapshot, nullptr);
    EXPECT_EQ(Log(drops),  // black, not frame 20
              "6; 8 0 11 0 24 from 24x0 to 24x11; 6; 8 0 11 1 24 from 24x0 to 24x60; 6");
}

}  // namespace
