// Frames for the host: the composed frame with one id left out, an overlay item's
// clip frame, and a frame of any clip, each in a buffer the host owns.
#include <gtest/gtest.h>

#include <vector>

#include "channels/overlay_records.h"
#include "fake_renderers.h"
#include "items/title_item.h"
#include "plugin/exports.h"
#include "test_support.h"

namespace {

using test::HostBuffer;

class HostFrames : public ::testing::Test {
protected:
    void Title(test::FakeRenderer& r, int id, int channel) {
        const TitleEffect t{0, 0, id, r.AsTitle(), 0, 0, 49};
        AddTitleEff(&t, channel, 0);
    }
    test::EnvPtr env = test::NewEnv();
    test::PublishedManager pm{env.get(), test::Rgb24Info(5, 3, 50)};
};

TEST_F(HostFrames, ComposedFrameDrawsHiddenChannelsAndLeavesOutTheExcludedIdEverywhere) {
    HostBuffer none;
    GetFrame(3, 0, &none.p, &none.size, &none.width, &none.height);
    ASSERT_NE(none.p, nullptr);
    EXPECT_EQ(none.Shape(), (std::vector<int32_t>{16 * 3, 5, 3, -1}));  // pitch of 5 RGB24 pixels, rounded up to 4
    EXPECT_EQ(none.Bytes(), std::vector<uint8_t>(48, 0));

    test::FakeRenderer adds1 = test::NewTitleRenderer(1), adds2 = test::NewTitleRenderer(2),
                       adds4 = test::NewTitleRenderer(4);
    Title(adds1, 7, 0);
    Title(adds2, 8, 2);
    Title(adds4, 7, 3);
    SetChannelVisible(2, 0);
    HostBuffer out;
    GetFrame(3, 7, &out.p, &out.size, &out.width, &out.height);
    EXPECT_EQ(out.Bytes(), std::vector<uint8_t>(48, 2));
    EXPECT_EQ(adds1.Calls(5) + adds4.Calls(5), 0);
    EXPECT_EQ(pm.mgr->CanvasInProgress(), nullptr);
}

TEST_F(HostFrames, OverlayPictureIsItsClipFrameAtTheCroppedRowSize) {
    const PClip clip = new test::PatternClip(test::Rgb24Info(14, 2, 30), 10);
    OverlayClipInfo info;
    info.item_id = 3;
    info.first_frame = 20;
    info.last_frame = 29;
    info.clip_first_frame = 5;
    info.clip = &clip;
    info.video_enabled = 1;
    OverlayEffect e;
    e.crop_enabled = 1;
    e.crop[0] = e.crop[2] = 2;
    AddOverlay(&info, &e, 1, 0);
    HostBuffer out;
    GetFrameByID(22, 3, &out.p, &out.size, &out.width, &out.height, &out.bpp);
    ASSERT_NE(out.p, nullptr);
    EXPECT_EQ(out.Shape(), (std::vector<int32_t>{32 * 2, 10, 2, 24}));
    // Clip frame 22 - 20 + 5 = 7, whose bytes are 7 + 10: 30 of them a row, then
    // the row's padding, which is zeroed rather than left as the allocator had it.
    std::vector<uint8_t> expected(64, 17);
    expected[30] = expected[31] = expected[62] = expected[63] = 0;
    EXPECT_EQ(out.Bytes(), expected);

    HostBuffer titles;
    test::FakeRenderer r = test::NewTitleRenderer();
    Title(r, 4, 1);
    GetFrameByID(22, 4, &titles.p, &titles.size, &titles.width, &titles.height, &titles.bpp);
    EXPECT_EQ(titles.p, nullptr);  // a title has no picture of its own
    EXPECT_EQ(titles.size, -1);
}

TEST_F(HostFrames, ClipFrameWrapsTheFrameCountToFrameZero) {
    const PClip clip = new test::PatternClip(test::Rgb24Info(4, 2, 10), 100);
    for (const auto& [n, value] : {std::pair{10, 100}, std::pair{9, 109}}) {
        HostBuffer out;
        EXPECT_EQ(GetClipFrame(&clip, n, &out.p, &out.size), 1);
        EXPECT_EQ(out.Bytes(), std::vector<uint8_t>(24, static_cast<uint8_t>(value))) << n;
    }
}

}  // namespace
