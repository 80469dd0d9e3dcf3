// Placing overlay clips through the exports: the filter chain as recorded calls, the
// item's timing and flags, slide effects of channel-0 overlays, effect changes and
// the preview.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "items/slide_item.h"
#include "overlay/overlay_item.h"
#include "plugin/exports.h"
#include "recording_env.h"
#include "test_support.h"

namespace {

using Calls = std::vector<std::string>;

class OverlayItems : public ::testing::Test {
protected:
    OverlayItems() : published(&env, test::WithAudio(test::Rgb24Info(8, 4, 100), 48000, 2)) {}

    // A clip of the given audio shape, held here as a host holds its PClip.
    const PClip& HostClip(int rate, int channels, int frames = 50) {
        VideoInfo vi = test::Rgb24Info(4, 2, frames);
        if (rate) vi = test::WithAudio(vi, rate, channels);
        host_clips.push_back(new test::PatternClip(vi));
        return host_clips.back();
    }
    OverlayClipInfo Info(const PClip& clip, int id = 1) {
        OverlayClipInfo info;
        info.item_id = id;
        info.first_frame = 10;
        info.last_frame = 19;
        info.clip = &clip;
        info.audio_enabled = 1;
        info.video_enabled = 1;
        return info;
    }
    COverlayItem& Item(int channel, size_t index = 0) {
        const ItemList* items = published.mgr->Channel(channel);
        EXPECT_NE(items, nullptr);
        EXPECT_EQ((*items)[index]->kind, kItemOverlay);
        return *static_cast<COverlayItem*>((*items)[index]->payload);
    }
    Calls CallsFor(const OverlayEffect& e, int clip_channels = 2, int rate = 44100) {
        env.calls.clear();
        const OverlayClipInfo info = Info(HostClip(rate, clip_channels));
        AddOverlay(&info, &e, 1, 0);
        return env.calls;
    }

    test::RecordingEnv env;
    test::PublishedManager published;
    std::vector<PClip> host_clips;
};

TEST_F(OverlayItems, ChainRunsInOrderWithTheHostsArgumentsAndKeepsTheLastClip) {
    OverlayEffect plain;
    EXPECT_EQ(CallsFor(plain), Calls{});  // speed 100, stereo into stereo, nothing switched on

    OverlayEffect e;
    e.speed = 200;
    e.flip_horizontal = e.flip_vertical = e.reverse = 1;
    e.crop_enabled = 1;
    e.crop[0] = 10, e.crop[1] = 20, e.crop[2] = 30, e.crop[3] = 40;
    e.resize_enabled = 1;
    e.resize_width = 320, e.resize_height = 240;
    e.borders_enabled = 1;
    e.borders[0] = 1, e.borders[1] = 2, e.borders[2] = 3, e.borders[3] = 4;
    e.border_colour = 0x123456;
    e.audio_channel = 2;
    e.mono_mode = 1;
    e.amplify = -0.5f;
    EXPECT_EQ(CallsFor(e), (Calls{"AssumeFPS(clip,5000,100,true)", "ChangeFPS(clip,25,true)",
                                  "ResampleAudio(clip,44100)", "FlipHorizontal clip", "FlipVertical clip",
                                  "Reverse clip", "Crop(clip,10,20,-30,-40)", "LanczosResize(clip,320,240)",
                                  "AddBorders(clip,1,2,3,4,1193046)", "GetChannel(clip,2)", "ConvertToMono clip",
                                  "Amplify(clip,-0.5)"}));
    COverlayItem& item = Item(2, 1);
    EXPECT_EQ(item.clip.get(), env.last_result);
    EXPECT_EQ(item.clip_format.nchannels, 1);  // read after the whole chain

    // Without audio the speed change needs no resampling; with audio switched off the
    // audio chain is not built; with video off, neither are the flips.
    OverlayEffect speed = plain;
    speed.speed = 50;
    speed.flip_vertical = 1;
    speed.amplify = 2.0f;
    EXPECT_EQ(CallsFor(speed, 0, 0), (Calls{"AssumeFPS(clip,1250,100,true)", "ChangeFPS(clip,25,true)",
                                            "FlipVertical clip", "ConvertToMono clip", "Amplify(clip,2)"}));
    env.calls.clear();
    OverlayClipInfo info = Info(HostClip(48000, 2));
    info.audio_enabled = 0;
    AddOverlay(&info, &speed, 1, 0);
    info.audio_enabled = 1;
    info.video_enabled = 0;
    AddOverlay(&info, &speed, 1, 0);
    EXPECT_EQ(env.calls, (Calls{"AssumeFPS(clip,1250,100,true)", "ChangeFPS(clip,25,true)", "ResampleAudio(clip,48000)",
                                "FlipVertical clip", "AssumeFPS(clip,1250,100,true)", "ChangeFPS(clip,25,true)",
                                "ResampleAudio(clip,48000)", "Amplify(clip,2)"}));
}

TEST_F(OverlayItems, MonoConversionFollowsTheClipAndTheMainChannel) {
    OverlayEffect automatic;
    EXPECT_EQ(CallsFor(automatic, 2), Calls{});
    EXPECT_EQ(CallsFor(automatic, 6), Calls{"ConvertToMono clip"});
    EXPECT_EQ(CallsFor(automatic, 1), Calls{"ConvertToMono clip"});
    OverlayEffect right = automatic, none = automatic;
    right.mono_mode = 2;
    none.mono_mode = 3;
    EXPECT_EQ(CallsFor(right, 2), Calls{"ConvertToMono clip"});
    EXPECT_EQ(CallsFor(none, 6), Calls{});

    // A mono main channel makes every clip mono.
    test::RecordingEnv mono_env;
    test::PublishedManager mono(&mono_env, test::WithAudio(test::Rgb24Info(8, 4, 100), 48000, 1));
    const OverlayClipInfo info = Info(HostClip(48000, 2));
    AddOverlay(&info, &automatic, 0, 0);
    EXPECT_EQ(mono_env.calls, Calls{"ConvertToMono clip"});
}

TEST_F(OverlayItems, TimingFadesAndFlags) {
    OverlayClipInfo info = Info(HostClip(48000, 2));
    info.clip_first_frame = 3;
    info.clip_audio_start = 777;
    info.fade_in_end = 5000;
    info.fade_out_start = 9000;
    OverlayEffect e;
    for (int mode : {0, 1, 2, 3, 4}) {
        info.fade_mode = mode;
        info.item_id = mode;
        AddOverlay(&info, &e, 1, 0);
    }
    const int64_t fade_in[] = {-1, 5000, -1, 5000, -1}, fade_out[] = {-1, -1, 9000, 9000, -1};
    for (size_t mode = 0; mode < 5; ++mode) {
        const COverlayItem& item = Item(2, mode);
        EXPECT_EQ(item.fade_in_end, fade_in[mode]) << mode;
        EXPECT_EQ(item.fade_out_start, fade_out[mode]) << mode;
    }
    const COverlayItem& item = Item(2);
    EXPECT_EQ(item.clip_first_frame, 3);
    EXPECT_EQ(item.first_frame, 10);
    EXPECT_EQ(item.last_frame, 19);
    EXPECT_EQ(item.first_sample, 10 * 1920);  // 48000 Hz at 25 fps
    EXPECT_EQ(item.last_sample, 19 * 1920);
    EXPECT_EQ(item.clip_audio_start, 777);
    EXPECT_EQ(item.pass_through, 1);  // all-zero corners, opaque, no key colour
    EXPECT_EQ(item.rectangle, 1);

    OverlayEffect r;
    const OverlayCorner rect[4] = {{0, 0}, {100, 0.5f}, {100.9f, 50}, {0.5f, 50}};
    std::copy(rect, rect + 4, r.corners);
    EXPECT_TRUE(IsRectangle(r));
    EXPECT_FALSE(IsPassThrough(r));
    r.corners[1].y = 1.01f;
    EXPECT_FALSE(IsRectangle(r));
    r.corners[1].y = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(IsRectangle(r));

    OverlayEffect p;
    EXPECT_TRUE(IsPassThrough(p));
    p.corners[0].x = -0.0f;  // equal to 0.0 as a number
    EXPECT_TRUE(IsPassThrough(p));
    p.corners[2].y = -0.0f;  // but not zero bits
    EXPECT_FALSE(IsPassThrough(p));
    p = OverlayEffect{};
    p.opacity = 254;
    EXPECT_FALSE(IsPassThrough(p));
    p.opacity = 255;
    p.key_colour = 0x00FFFFFF;
    EXPECT_FALSE(IsPassThrough(p));
}

TEST_F(OverlayItems, SlidesOfAChannelZeroOverlayBecomeItemsOnChannelOne) {
    SlideEffect a{0, 51, nullptr, 0, 1, 10, 12}, b{0, 52, nullptr, 0, 2, 13, 19};
    SlideEffect* list[] = {&a, &b};
    OverlayEffect e;
    e.slides.first = list;
    e.slides.last = e.slides.end = list + 2;

    const OverlayClipInfo info = Info(HostClip(48000, 2), 5);
    AddOverlay(&info, &e, 0, 0);
    const ItemList* slides = published.mgr->Channel(1);
    ASSERT_NE(slides, nullptr);
    ASSERT_EQ(slides->size(), 2u);
    EXPECT_EQ((*slides)[0]->kind, kItemSlide);
    EXPECT_EQ((*slides)[0]->id, 51);
    EXPECT_EQ((*slides)[1]->id, 52);
    EXPECT_EQ(Item(0).Effect().slides.size(), 0u);

    // Elsewhere the overlay keeps a copy of the pointers of its own.
    AddOverlay(&info, &e, 1, 0);
    EXPECT_EQ(published.mgr->Channel(1)->size(), 2u);
    list[1] = nullptr;
    const SlideList& kept = Item(2).Effect().slides;
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_NE(kept.first, list);
    EXPECT_EQ(kept.first[0], &a);
    EXPECT_EQ(kept.first[1], &b);
}

TEST_F(OverlayItems, AFrameServerErrorLeavesNothingPlaced) {
    SlideEffect a{0, 51, nullptr, 0, 1, 10, 12};
    SlideEffect* list[] = {&a};
    OverlayEffect e;
    e.slides.first = list;
    e.slides.last = e.slides.end = list + 1;
    e.crop_enabled = 1;
    env.fail_on = "Crop";
    const OverlayClipInfo info = Info(HostClip(48000, 2));
    try {
        AddOverlay(&info, &e, 0, 1);
        FAIL() << "the error did not pass out";
    } catch (const AvisynthError& error) {
        EXPECT_STREQ(error.msg, "Crop: refused");
    }
    EXPECT_EQ(published.mgr->ChannelCount(), 0);
}

TEST_F(OverlayItems, SetOverlayEffectChangesTheFirstMatchOnly) {
    const OverlayClipInfo info = Info(HostClip(48000, 2), 9);
    OverlayEffect e;
    AddOverlay(&info, &e, 1, 0);  // internal channel 2
    AddOverlay(&info, &e, 2, 0);  // internal channel 3

    OverlayEffect changed;
    changed.opacity = 100;
    changed.speed = 50;
    env.calls.clear();
    SetOverlayEffect(9, &changed);
    EXPECT_EQ(Item(2).Effect().opacity, 100);
    EXPECT_EQ(Item(2).Effect().speed, 50);
    EXPECT_EQ(Item(3).Effect().opacity, 255);
    EXPECT_EQ(Item(2).pass_through, 1);  // flags and the chain stay as built
    EXPECT_EQ(env.calls, Calls{});

    SetOverlayEffect(12345, &changed);  // no such item: nothing changes
    EXPECT_EQ(Item(3).Effect().opacity, 255);
}

TEST_F(OverlayItems, PreviewShowsOneWholeClip) {
    CMainChMgr* saved = g_pPreviewChMgr;
    OverlayEffect e;
    g_pPreviewChMgr = nullptr;
    EXPECT_EQ(SetPreviewClip(&HostClip(48000, 2), &e), 1);  // no preview manager: nothing to do

    PClip preview = new CMainChMgr(new test::PatternClip(test::WithAudio(test::Rgb24Info(8, 4, 100))), &env);
    g_pPreviewChMgr = static_cast<CMainChMgr*>(preview.get());

    VideoInfo audio_only{};
    audio_only = test::WithAudio(audio_only, 48000, 2);
    audio_only.fps_numerator = 25, audio_only.fps_denominator = 1;
    audio_only.num_audio_samples = 96000;
    const PClip& sound = host_clips.emplace_back(new test::PatternClip(audio_only));
    EXPECT_EQ(SetPreviewClip(&sound, &e), 1);
    const ItemList* items = g_pPreviewChMgr->Channel(0);
    ASSERT_EQ(items->size(), 1u);
    const auto* item = static_cast<const COverlayItem*>((*items)[0]->payload);
    EXPECT_EQ(item->last_frame, 59);  // 96000 samples at 30 fps
    EXPECT_EQ(item->video_enabled, 0);
    EXPECT_EQ(item->audio_enabled, 1);
    EXPECT_EQ(item->fade_in_end, -1);
    EXPECT_EQ(item->fade_out_start, -1);

    SlideEffect a{0, 51, nullptr, 0, 1, 10, 12}, b{0, 52, nullptr, 0, 2, 13, 19};
    SlideEffect* list[] = {&a, &b};
    e.slides.first = list;
    e.slides.last = e.slides.end = list + 2;
    SetPreviewClip(&HostClip(0, 0, 250), &e);
    items = g_pPreviewChMgr->Channel(0);
    ASSERT_EQ(items->size(), 1u);
    item = static_cast<const COverlayItem*>((*items)[0]->payload);
    EXPECT_EQ(item->last_frame, 249);
    EXPECT_EQ(item->audio_enabled, 0);
    EXPECT_EQ(item->clip.get(), host_clips.back().get());
    EXPECT_EQ(g_pPreviewChMgr->Channel(1)->size(), 2u);
    EXPECT_EQ(published.mgr->ChannelCount(), 0);  // the main manager is not touched

    g_pPreviewChMgr = saved;
}

}  // namespace
