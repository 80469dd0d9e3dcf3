// Placing overlay clips through the exports: the filter chain as recorded calls, the
// item's timing and flags, slide effects of channel-0 overlays, effect changes and
// the preview. Then the manager's audio: overlay clips added into the input's samples,
// with fades, channel placement, wrap-around and the clip running out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/item_kinds.h"
#include "items/slide_item.h"
#include "overlay/overlay_item.h"
#include "plugin/exports.h"
#include "recording_env.h"
#include "support/clips.h"
#include "test_support.h"

namespace {

using Calls = std::vector<std::string>;

class OverlayItems : public ::testing::Test {
protected:
    OverlayItems() : published(&env, test::WithAudio(test::Rgb24Info(8, 4, 100), 48000, 2)) {}

    // A clip of the given audio shape (rate 0: none), held here as a host holds its PClip.
    const PClip& HostClip(int rate, int channels, int frames = 50) {
        VideoInfo vi = test::Rgb24Info(4, 2, frames);
        if (rate) vi = test::WithAudio(vi, rate, channels);
        return host_clips.emplace_back(new test::PatternClip(vi));
    }
    OverlayClipInfo Info(const PClip& clip, int id = 1) {
        OverlayClipInfo info = test::OverlayInfo(clip, id, 10, 19);
        info.audio_enabled = 1;
        return info;
    }
    COverlayItem& Item(int channel, size_t index = 0) {
        const ItemRecord& record = *published.mgr->Channel(channel)->at(index);
        EXPECT_EQ(record.kind, kItemOverlay);
        return *static_cast<COverlayItem*>(record.payload);
    }
    // The calls placing a clip of this audio shape on host channel 1 makes.
    Calls CallsFor(const OverlayEffect& e, int channels = 2, int rate = 44100, int audio = 1, int video = 1) {
        env.calls.clear();
        OverlayClipInfo info = Info(HostClip(rate, channels));
        info.audio_enabled = audio, info.video_enabled = video;
        AddOverlay(&info, &e, 1, 0);
        return env.calls;
    }

    test::RecordingEnv env;
    test::PublishedManager published;
    std::vector<PClip> host_clips;
    SlideEffect a{0, 51, nullptr, 0, 1, 10, 12}, b{0, 52, nullptr, 0, 2, 13, 19};
    SlideEffect* list[2] = {&a, &b};
};

TEST_F(OverlayItems, ChainRunsInOrderWithTheHostsArgumentsAndKeepsTheLastClip) {
    const OverlayEffect plain;
    EXPECT_EQ(CallsFor(plain), Calls{});  // speed 100, stereo into stereo, amplify exactly -1: nothing to do

    OverlayEffect e;
    e.speed = 200;
    e.flip_horizontal = e.flip_vertical = e.reverse = 1;
    e.crop_enabled = e.resize_enabled = e.borders_enabled = 1;
    e.crop[0] = 10, e.crop[1] = 20, e.crop[2] = 30, e.crop[3] = 40;
    e.resize_width = 320, e.resize_height = 240;
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

    // No audio chain with audio off; no video chain with video off.
    OverlayEffect slow;
    slow.speed = 50, slow.flip_vertical = 1, slow.amplify = 2.0f;
    EXPECT_EQ(CallsFor(slow, 2, 48000, 0), (Calls{"AssumeFPS(clip,1250,100,true)", "ChangeFPS(clip,25,true)",
                                                  "ResampleAudio(clip,48000)", "FlipVertical clip"}));
    EXPECT_EQ(CallsFor(slow, 2, 48000, 1, 0), (Calls{"AssumeFPS(clip,1250,100,true)", "ChangeFPS(clip,25,true)",
                                                     "ResampleAudio(clip,48000)", "Amplify(clip,2)"}));

    // Mono: automatic for anything but stereo, always for mode 2, never for mode 3.
    OverlayEffect right, none;
    right.mono_mode = 2, none.mono_mode = 3;
    const Calls mono{"ConvertToMono clip"};
    EXPECT_EQ(CallsFor(plain, 1), mono);
    EXPECT_EQ(CallsFor(right, 2), mono);
    EXPECT_EQ(CallsFor(none, 6), Calls{});
}

TEST_F(OverlayItems, TimingFadesAndFlags) {
    OverlayClipInfo info = Info(HostClip(48000, 2));
    info.clip_first_frame = 3;
    info.clip_audio_start = 777;
    info.fade_in_end = 5000;
    info.fade_out_start = 9000;
    const OverlayEffect e;
    std::string fades;  // each mode keeps only the fades it names
    for (int mode : {0, 1, 2, 3, 4}) {
        info.fade_mode = info.item_id = mode;
        AddOverlay(&info, &e, 1, 0);
        fades += std::to_string(Item(2, mode).fade_in_end) + "/" + std::to_string(Item(2, mode).fade_out_start) + " ";
    }
    EXPECT_EQ(fades, "-1/-1 5000/-1 -1/9000 5000/9000 -1/-1 ");
    // Samples at 48000 Hz and 25 fps; all-zero corners, opaque, no key: pass-through, and a rectangle.
    const COverlayItem& i = Item(2);
    EXPECT_EQ((std::vector<int64_t>{i.clip_first_frame, i.first_frame, i.last_frame, i.first_sample, i.last_sample,
                                    i.clip_audio_start, i.pass_through, i.rectangle}),
              (std::vector<int64_t>{3, 10, 19, 10 * 1920, 19 * 1920, 777, 1, 1}));

    // A rectangle has every side within 1.0 of straight; pass-through wants all-zero
    // corners, full opacity and no key colour.
    const struct {
        void (*change)(EditPlacement&);
        bool rectangle, pass_through;
    } flags[] = {
        {[](EditPlacement& p) { p.corners[1] = {100, 1.0f}, p.corners[2] = {101, 50}, p.corners[3] = {1.0f, 50}; },
         true, false},
        {[](EditPlacement& p) { p.corners[1] = {100, 1.01f}, p.corners[2] = {101, 50}, p.corners[3] = {1, 50}; },
         false, false},
        {[](EditPlacement& p) { p.corners[0].x = -0.0f; }, true, true},  // equal to 0.0 as a number
        {[](EditPlacement& p) { p.corners[0].x = p.corners[2].y = -0.0f; }, true, false},  // but not zero bits
        {[](EditPlacement& p) { p.opacity = 254; }, true, false},
    };
    for (const auto& f : flags) {
        OverlayEffect changed;
        f.change(changed.placement);
        EXPECT_EQ(IsRectangle(changed), f.rectangle) << &f - flags;
        EXPECT_EQ(IsPassThrough(changed), f.pass_through) << &f - flags;
    }
}

TEST_F(OverlayItems, SlidesOfAChannelZeroOverlayBecomeItemsOnChannelOneAndErrorsPlaceNothing) {
    OverlayEffect e;
    e.slides = {nullptr, list, list + 2, list + 2};
    const OverlayClipInfo info = Info(HostClip(48000, 2), 5);
    AddOverlay(&info, &e, 0, 0);
    const ItemList& slides = *published.mgr->Channel(1);
    ASSERT_EQ(slides.size(), 2u);
    EXPECT_EQ((std::vector<int>{slides[0]->kind, slides[0]->id, slides[1]->kind, slides[1]->id}),
              (std::vector<int>{kItemSlide, 51, kItemSlide, 52}));
    EXPECT_EQ(Item(0).Effect().slides.size(), 0u);

    // Elsewhere the overlay keeps a copy of the pointers of its own.
    AddOverlay(&info, &e, 1, 0);
    EXPECT_EQ(slides.size(), 2u);
    list[1] = nullptr;
    EXPECT_EQ(Item(2).Effect().slides.first[1], &b);

    // A frame-server error passes out and leaves nothing placed, slides included.
    list[1] = &b;
    e.crop_enabled = 1;
    env.fail_on = "Crop";
    EXPECT_THROW(AddOverlay(&info, &e, 0, 1), AvisynthError);
    EXPECT_EQ(published.mgr->Channel(0)->size(), 1u);
    EXPECT_EQ(slides.size(), 2u);
}

TEST_F(OverlayItems, SetOverlayEffectChangesTheFirstMatchOnly) {
    const OverlayClipInfo info = Info(HostClip(48000, 2), 9);
    const OverlayEffect e;
    AddOverlay(&info, &e, 1, 0);  // internal channel 2
    AddOverlay(&info, &e, 2, 0);  // internal channel 3
    OverlayEffect changed;
    changed.placement.opacity = 100;
    changed.speed = 50;
    env.calls.clear();
    SetOverlayEffect(9, &changed);
    EXPECT_EQ((std::vector<int>{Item(2).Effect().placement.opacity, Item(3).Effect().placement.opacity,
                                Item(2).pass_through}),
              (std::vector<int>{100, 255, 1}));  // flags and the chain stay as built
    EXPECT_EQ(env.calls, Calls{});
}

TEST_F(OverlayItems, PreviewShowsOneWholeClip) {
    const test::SavedGlobals saved;
    OverlayEffect e;
    g_pPreviewChMgr = nullptr;
    EXPECT_EQ(SetPreviewClip(&HostClip(48000, 2), &e), 1);  // no preview manager: nothing to do
    PClip preview = new CMainChMgr(new test::PatternClip(test::WithAudio(test::Rgb24Info(8, 4, 100))), &env,
                                   AllItemKinds());
    g_pPreviewChMgr = static_cast<CMainChMgr*>(preview.get());

    EXPECT_EQ(SetPreviewClip(&HostClip(0, 0, 250), &e), 1);
    ASSERT_EQ(g_pPreviewChMgr->Channel(0)->size(), 1u);
    const auto* item = static_cast<const COverlayItem*>(g_pPreviewChMgr->Channel(0)->front()->payload);
    EXPECT_EQ((std::vector<int64_t>{item->last_frame, item->video_enabled, item->audio_enabled, item->fade_in_end}),
              (std::vector<int64_t>{249, 1, 0, -1}));
    EXPECT_EQ(item->clip.get(), host_clips.back().get());
    EXPECT_EQ(published.mgr->ChannelCount(), 0);  // the main manager is not touched
}

// 48 kHz audio at 25 fps: sample p, channel ch is value(p, ch), as 16-bit or float.
PClip Audio(int channels, int sample_type, int64_t samples, test::AudioClip::Value value) {
    VideoInfo vi = test::WithAudio(test::Rgb24Info(8, 4, 100), 48000, channels);
    vi.sample_type = sample_type;
    vi.num_audio_samples = samples;
    return new test::AudioClip(vi, std::move(value));
}

constexpr int64_t kA0 = 1920, kA1 = 3840;  // frames 1 and 2 at 48000 Hz, 25 fps

class OverlayAudio : public OverlayItems {
protected:
    // A manager over input audio of one constant value.
    CMainChMgr& Manager(int channels, int sample_type, double input = 0) {
        mgr_clip = new CMainChMgr(Audio(channels, sample_type, 1000000, [input](int64_t, int) { return input; }), &env,
                                  AllItemKinds());
        return *static_cast<CMainChMgr*>(mgr_clip.get());
    }
    // Places the clip on frames 1 and 2 of channel 0.
    void Add(CMainChMgr& mgr, const PClip& clip, int64_t clip_start = 0, int fade_mode = 0, int64_t fade_in_end = -1,
             int64_t fade_out_start = -1, int mono_mode = 0) {
        OverlayClipInfo info = Info(host_clips.emplace_back(clip), static_cast<int>(host_clips.size()));
        info.first_frame = 1;
        info.last_frame = 2;
        info.clip_audio_start = clip_start;
        info.fade_mode = fade_mode;
        info.fade_in_end = fade_in_end;
        info.fade_out_start = fade_out_start;
        OverlayEffect e;
        e.mono_mode = mono_mode;
        AddOverlayItem(mgr, info, e, 0, false, &env);
    }
    template <typename T>
    std::vector<T> Mixed(CMainChMgr& mgr, int64_t start, int64_t count) {
        std::vector<T> out(static_cast<size_t>(count * mgr.Info().nchannels));
        mgr.GetAudio(out.data(), start, count, &env);
        return out;
    }

    PClip mgr_clip;
};

TEST_F(OverlayAudio, ClipSamplesLandAtTheirPositionsUntilTheClipRunsOut) {
    CMainChMgr& mgr = Manager(2, SAMPLE_INT16, 5);
    // Clip position p, channel ch holds p + 1000 ch; 150 samples, the item starts at 100.
    Add(mgr, Audio(2, SAMPLE_INT16, 150, [](int64_t p, int ch) { return double(p + 1000 * ch); }), 100);
    EXPECT_EQ(Mixed<int16_t>(mgr, 0, 100), std::vector<int16_t>(200, 5));      // before the item
    EXPECT_EQ(Mixed<int16_t>(mgr, kA1 + 1, 10), std::vector<int16_t>(20, 5));  // after it
    const std::vector<int16_t> block = Mixed<int16_t>(mgr, kA0 - 20, 100);
    for (int i = 0; i < 100; ++i) {
        const int64_t p = i - 20 + 100;
        const bool mixed = i >= 20 && p < 150;  // the clip has 50 samples from position 100
        EXPECT_EQ(block[2 * i], mixed ? 5 + p : 5) << i;
        EXPECT_EQ(block[2 * i + 1], mixed ? 5 + p + 1000 : 5) << i;
    }
    mgr.SetChannelVisible(0, 0);  // a hidden channel is silent
    EXPECT_EQ(Mixed<int16_t>(mgr, kA0, 4), std::vector<int16_t>(8, 5));
}

TEST_F(OverlayAudio, SixteenBitSumsWrapFloatSumsAddAndMonoGoesWhereItsModeSays) {
    CMainChMgr& shorts = Manager(2, SAMPLE_INT16, 30000);
    Add(shorts, Audio(2, SAMPLE_INT16, 10000, [](int64_t, int) { return 30000.0; }));
    EXPECT_EQ(Mixed<int16_t>(shorts, kA0, 2), std::vector<int16_t>(4, -5536));

    CMainChMgr& floats = Manager(2, SAMPLE_FLOAT, 0.25);
    Add(floats, Audio(2, SAMPLE_FLOAT, 10000, [](int64_t, int ch) { return ch ? -0.5 : 0.5; }));
    // A clip of another sample type would be misread: it is left out.
    Add(floats, Audio(2, SAMPLE_INT16, 10000, [](int64_t, int) { return 16384.0; }));  // 2.0 if read as float
    EXPECT_EQ(Mixed<float>(floats, kA0, 2), (std::vector<float>{0.75f, -0.25f, 0.75f, -0.25f}));

    // A mono clip goes to both sides, or to the one its mode names: input 1 + (p + 10).
    const std::vector<int16_t> both{12, 12, 13, 13}, left{12, 1, 13, 1}, right{1, 12, 1, 13};
    for (int mode : {0, 1, 2}) {
        CMainChMgr& mgr = Manager(2, SAMPLE_INT16, 1);
        Add(mgr, Audio(1, SAMPLE_INT16, 10000, [](int64_t p, int) { return double(p + 10); }), 0, 0, -1, -1,
            mode);
        EXPECT_EQ(Mixed<int16_t>(mgr, kA0 + 1, 2), mode == 0 ? both : mode == 1 ? left : right) << mode;
    }
}

TEST_F(OverlayAudio, FadesScaleOnlyTheirSamplesAndTruncate) {
    // Fade-in over clip positions 0..3: gains 0, 1/4, 2/4, 3/4, then full level.
    CMainChMgr& in = Manager(2, SAMPLE_INT16);
    Add(in, Audio(2, SAMPLE_INT16, 10000, [](int64_t, int) { return 999.0; }), 0, kFadeIn, 3, 9000);
    EXPECT_EQ(Mixed<int16_t>(in, kA0, 6), (std::vector<int16_t>{0, 0, 249, 249, 499, 499, 749, 749, 999, 999, 999, 999}));

    // Fade-out from clip position o + 1917 over the item's last four samples.
    const int64_t o = 50;
    CMainChMgr& out = Manager(1, SAMPLE_FLOAT);
    Add(out, Audio(1, SAMPLE_FLOAT, 10000, [](int64_t, int) { return 1.0; }), o, kFadeOut, 2, o + 1917);
    EXPECT_EQ(Mixed<float>(out, kA1 - 5, 6), (std::vector<float>{1.0f, 1.0f, 1.0f, 0.75f, 0.5f, 0.25f}));
}

}  // namespace
