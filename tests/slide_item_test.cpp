// Slide items: snapshots, the from-frame and the to-frame handed to a host renderer
// whose table is built by hand.
#include <gtest/gtest.h>

#include "fake_renderers.h"
#include "items/slide_item.h"
#include "items/title_item.h"
#include "plugin/exports.h"
#include "test_support.h"

namespace {

using test::FakeRenderer;

class Slides : public ::testing::Test {
protected:
    test::EnvPtr env = test::NewEnv();
    test::PublishedManager pm{env.get(), test::Rgb24Info(4, 2, 100)};  // 12-byte rows, 24 bytes
    FakeRenderer t0 = test::NewTitleRenderer(1), t2 = test::NewTitleRenderer(10), t4 = test::NewTitleRenderer(100);

    PVideoFrame Frame(int n) { return pm.clip->GetFrame(n, env.get()); }
    std::vector<uint8_t> Filled(uint8_t v) const { return std::vector<uint8_t>(24, v); }
    int InputRequests() const { return pm.input->frame_requests; }

    // Titles on host channels 0, 1 and 3 (internal 0, 2 and 4) that add 1, 10 and 100.
    void AddTitles() {
        const TitleEffect a{0, 0, 100, t0.AsTitle(), 0, 0, 99}, b{0, 0, 101, t2.AsTitle(), 0, 0, 99},
            c{0, 0, 102, t4.AsTitle(), 0, 0, 99};
        AddTitleEff(&a, 0, 0);
        AddTitleEff(&b, 1, 0);
        AddTitleEff(&c, 3, 0);
    }
};

TEST_F(Slides, FromFrameIsBlackUntilUpdatedThenTheFrameBeforeUpToItsChannel) {
    AddTitles();
    FakeRenderer s = test::NewSlideRenderer(0);
    const SlideEffect e{0, 7, s.AsSlide(), 0, 1234, 40, 49};
    AddSlideEff(&e, 2, 0);  // internal channel 3, between the titles of 2 and 4

    Frame(39);
    EXPECT_EQ(s.log.size(), 0u);
    Frame(40);
    ASSERT_EQ(s.Calls(8), 1);
    const test::RendererCall& first = s.log[0];
    EXPECT_EQ(first.from, Filled(0));
    EXPECT_EQ(first.to, Filled(11));
    EXPECT_EQ(first.output_size, 24);
    EXPECT_EQ(first.parameter, 1234);
    EXPECT_EQ(first.duration, 10);
    EXPECT_EQ(first.position, 0);
    EXPECT_EQ(s.log[1].slot, 6);  // asked after drawing whether to keep the snapshot

    t0.add = 2;  // frame 39 now composes differently from what frame 40 saw
    UpdateSlideEffsData();
    s.log.clear();
    const PVideoFrame f = Frame(45);
    ASSERT_EQ(s.Calls(8), 1);
    EXPECT_EQ(s.log[0].from, Filled(12));  // channels 0 to 3 of frame 39, nothing of 4
    EXPECT_EQ(s.log[0].position, 5);
    EXPECT_EQ(f->GetReadPtr()[0], 112);
}

TEST_F(Slides, EffectStartingAtZeroKeepsItsBlackFromFrame) {
    AddTitles();
    FakeRenderer s = test::NewSlideRenderer();
    const SlideEffect e{0, 1, s.AsSlide(), 0, 0, 0, 5};
    AddSlideEff(&e, 0, 0);
    const int before = InputRequests();
    UpdateSlideEffsData();
    EXPECT_EQ(InputRequests(), before);  // nothing composed
    Frame(3);
    EXPECT_EQ(s.log[1].from, Filled(0));
    EXPECT_EQ(s.log[1].to, Filled(1));
}

TEST_F(Slides, TwoSlidesOnOneFrameChain) {
    FakeRenderer a = test::NewSlideRenderer(3), b = test::NewSlideRenderer(4);
    const SlideEffect ea{0, 1, a.AsSlide(), 0, 0, 10, 20}, eb{0, 2, b.AsSlide(), 0, 0, 15, 30};
    AddSlideEff(&ea, 1, 0);
    AddSlideEff(&eb, 1, 0);
    const PVideoFrame f = Frame(16);
    EXPECT_EQ(a.log[0].to, Filled(0));
    EXPECT_EQ(b.log[0].to, Filled(3));
    EXPECT_EQ(b.log[0].position, 1);
    EXPECT_EQ(b.log[0].duration, 16);
    EXPECT_EQ(f->GetReadPtr()[5], 7);
}

TEST_F(Slides, ARendererThatDropsSnapshotsNeverKeepsOne) {
    AddTitles();
    FakeRenderer s = test::NewSlideRenderer(0, 1);
    const SlideEffect e{0, 9, s.AsSlide(), 0, 0, 20, 30};
    AddSlideEff(&e, 2, 0);
    const ItemRecord* item = pm.mgr->FindItem(9);

    const int before = InputRequests();
    UpdateSlideEffsData();
    EXPECT_EQ(InputRequests(), before);
    EXPECT_EQ(s.Calls(6), 1);
    EXPECT_EQ(item->snapshot, nullptr);

    Frame(20);
    EXPECT_EQ(item->snapshot, nullptr);
    EXPECT_EQ(item->snapshot_size, 0u);
    t0.add = 50;
    Frame(21);
    EXPECT_EQ(s.log.back().slot, 6);
    EXPECT_EQ(s.log[s.log.size() - 2].from, Filled(0));  // black again, not frame 20
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
    EXPECT_EQ(item->snapshot_size, 24u);
    EXPECT_EQ(std::vector<uint8_t>(item->snapshot.get(), item->snapshot.get() + 24), Filled(11));
    Frame(60);
    EXPECT_EQ(s.Calls(8), 0);  // but a hidden slide is not drawn
}

}  // namespace
