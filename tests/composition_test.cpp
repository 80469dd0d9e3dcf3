// Composition of frames by the manager, driven as the frame server drives it; the
// frames handed to the host: the composed frame with one id left out, an overlay
// item's clip frame, and a frame of any clip, in buffers the host owns.
#include <gtest/gtest.h>

#include <algorithm>

#include "channels/overlay_records.h"
#include "plugin/item_kinds.h"
#include "fake_renderers.h"
#include "items/title_item.h"
#include "plugin/exports.h"
#include "test_support.h"

namespace {

using test::FakeRenderer;

bool AllBytes(const PVideoFrame& f, uint8_t value) {
    const auto bytes = test::FrameBytes(f);
    return std::all_of(bytes.begin(), bytes.end(), [value](uint8_t b) { return b == value; });
}

TEST(Composition, BlackCanvasWhateverTheFormat) {
    test::EnvPtr env = test::NewEnv();
    // RGB24 with nothing on it; YUY2 and RGB32, which draw no items, with a title.
    for (int type : {int(VideoInfo::CS_BGR24), int(VideoInfo::CS_YUY2), int(VideoInfo::CS_BGR32)}) {
        VideoInfo vi = test::Rgb24Info(10, 3, 20);
        vi.pixel_type = type;
        auto* input = new test::PatternClip(vi, 0x40);
        auto* mgr = new CMainChMgr(input, env.get(), AllItemKinds());
        const PClip clip(mgr);
        FakeRenderer r = test::NewTitleRenderer();
        if (type != VideoInfo::CS_BGR24)
            mgr->AddItem(0, false, MakeTitleItem(TitleEffect{0, 0, 1, r.AsTitle(), 0, 0, 99}));
        EXPECT_TRUE(AllBytes(clip->GetFrame(4, env.get()), 0));
        EXPECT_EQ(r.log.size(), 0u);
        EXPECT_EQ(input->frame_requests, 1);  // asked for, held, never drawn
    }
}

class Drawing : public ::testing::Test {
protected:
    test::EnvPtr env = test::NewEnv();
    test::PublishedManager pm{env.get(), test::Rgb24Info(6, 2, 30)};
    CMainChMgr& m = *pm.mgr;

    void Add(FakeRenderer& r, int id, int host_channel) {
        const TitleEffect t{0, 0, id, r.AsTitle(), 0, 0, 29};
        AddTitleEff(&t, host_channel, 0);
    }
};

TEST_F(Drawing, ChannelsBottomUpAndItemsInOrderHiddenSkipped) {
    FakeRenderer a = test::NewTitleRenderer(1), b = test::NewTitleRenderer(2), c = test::NewTitleRenderer(4),
                 d = test::NewTitleRenderer(8);
    Add(c, 3, 2);  // internal 3
    Add(a, 1, 0);
    Add(b, 2, 0);  // above a on channel 0
    Add(d, 4, 1);  // internal 2
    EXPECT_TRUE(AllBytes(pm.Frame(7), 1 + 2 + 4 + 8));
    // What each one saw shows the order a, b, d, c.
    EXPECT_EQ((std::vector<int>{a.log.at(0).to[0], b.log.at(0).to[0], d.log.at(0).to[0], c.log.at(0).to[0]}),
              (std::vector<int>{0, 1, 3, 11}));

    SetChannelVisible(1, 0);  // hides internal 2
    EXPECT_TRUE(AllBytes(pm.Frame(8), 1 + 2 + 4));
    EXPECT_EQ(d.log.size(), 1u);
    SetChannelVisible(1, 1);
    EXPECT_TRUE(AllBytes(pm.Frame(9), 15));
}

using HostFrames = Drawing;

TEST_F(HostFrames, ComposedFrameDrawsHiddenChannelsAndLeavesOutTheExcludedIdEverywhere) {
    test::FakeRenderer adds1 = test::NewTitleRenderer(1), adds2 = test::NewTitleRenderer(2),
                       adds4 = test::NewTitleRenderer(4);
    Add(adds1, 7, 0);
    Add(adds2, 8, 2);
    Add(adds4, 7, 3);
    SetChannelVisible(2, 0);
    test::HostBuffer out;
    GetFrame(3, 7, &out.p, &out.size, &out.width, &out.height);
    ASSERT_NE(out.p, nullptr);
    EXPECT_EQ(out.Shape(), (std::vector<int32_t>{20 * 2, 6, 2, -1}));  // pitch of 6 RGB24 pixels, rounded up to 4
    EXPECT_EQ(out.Bytes(), std::vector<uint8_t>(40, 2));
    EXPECT_EQ(adds1.log.size() + adds4.log.size(), 0);
    EXPECT_EQ(pm.mgr->CanvasInProgress(), nullptr);
}

TEST_F(HostFrames, OverlayPictureIsItsClipFrameAtTheCroppedRowSize) {
    const PClip clip = new test::PatternClip(test::Rgb24Info(14, 2, 30), 10);
    OverlayClipInfo info = test::OverlayInfo(clip, 3, 20, 29);
    info.clip_first_frame = 5;
    OverlayEffect e;
    e.crop_enabled = 1;
    e.crop[0] = e.crop[2] = 2;
    AddOverlay(&info, &e, 1, 0);
    test::HostBuffer out;
    GetFrameByID(22, 3, &out.p, &out.size, &out.width, &out.height, &out.bpp);
    ASSERT_NE(out.p, nullptr);
    EXPECT_EQ(out.Shape(), (std::vector<int32_t>{32 * 2, 10, 2, 24}));
    // Clip frame 22 - 20 + 5 = 7, whose bytes are 7 + 10: 30 of them a row, then
    // the row's padding, which is zeroed rather than left as the allocator had it.
    std::vector<uint8_t> expected(64, 17);
    expected[30] = expected[31] = expected[62] = expected[63] = 0;
    EXPECT_EQ(out.Bytes(), expected);
}

TEST_F(HostFrames, ClipFrameWrapsTheFrameCountToFrameZero) {
    const PClip clip = new test::PatternClip(test::Rgb24Info(4, 2, 10), 100);
    for (const auto& [n, value] : {std::pair{10, 100}, std::pair{9, 109}}) {
        test::HostBuffer out;
        EXPECT_EQ(GetClipFrame(&clip, n, &out.p, &out.size), 1);
        EXPECT_EQ(out.Bytes(), std::vector<uint8_t>(24, static_cast<uint8_t>(value))) << n;
    }
}

}  // namespace
