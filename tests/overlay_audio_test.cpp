// The manager's audio: overlay clips added into the input's samples, with fades,
// channel placement, wrap-around and the clip running out.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "plugin/item_kinds.h"
#include "channels/main_ch_mgr.h"
#include "overlay/overlay_item.h"
#include "recording_env.h"
#include "test_support.h"

namespace {

// 48 kHz audio at 25 fps: sample p, channel ch is value(p, ch), as 16-bit or float.
class AudioClip : public test::PatternClip {
public:
    AudioClip(int channels, int sample_type, int64_t samples, std::function<double(int64_t, int)> value)
        : PatternClip(Format(channels, sample_type, samples)), value_(std::move(value)) {}
    void AVS_STDCALL GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment*) override {
        const int n = GetVideoInfo().nchannels;
        for (int64_t i = 0; i < count * n; ++i) {
            const double v = value_(start + i / n, static_cast<int>(i % n));
            if (GetVideoInfo().sample_type == SAMPLE_FLOAT) static_cast<float*>(buf)[i] = static_cast<float>(v);
            else static_cast<int16_t*>(buf)[i] = static_cast<int16_t>(v);
        }
    }

private:
    static VideoInfo Format(int channels, int sample_type, int64_t samples) {
        VideoInfo vi = test::WithAudio(test::Rgb24Info(8, 4, 100), 48000, channels);
        vi.sample_type = sample_type;
        vi.num_audio_samples = samples;
        return vi;
    }
    std::function<double(int64_t, int)> value_;
};

constexpr int64_t kA0 = 1920, kA1 = 3840;  // frames 1 and 2 at 48000 Hz, 25 fps

class OverlayAudio : public ::testing::Test {
protected:
    // A manager over input audio of one constant value.
    CMainChMgr& Manager(int channels, int sample_type, double input = 0) {
        mgr_clip = new CMainChMgr(new AudioClip(channels, sample_type, 1000000, [input](int64_t, int) { return input; }),
                                  &env, AllItemKinds());
        return *static_cast<CMainChMgr*>(mgr_clip.get());
    }
    // Places the clip on frames 1 and 2 of channel 0.
    void Add(CMainChMgr& mgr, IClip* clip, int64_t clip_start = 0, int fade_mode = 0, int64_t fade_in_end = -1,
             int64_t fade_out_start = -1, int mono_mode = 0) {
        OverlayClipInfo info;
        info.item_id = static_cast<int>(host_clips.size());
        info.first_frame = 1;
        info.last_frame = 2;
        info.clip = &host_clips.emplace_back(clip);
        info.audio_enabled = 1;
        info.clip_audio_start = clip_start;
        info.fade_mode = fade_mode;
        info.fade_in_end = fade_in_end;
        info.fade_out_start = fade_out_start;
        OverlayEffect e;
        e.mono_mode = mono_mode;
        AddOverlayItem(mgr, info, e, 0, false, &env);
    }
    template <typename T>
    std::vector<T> Audio(CMainChMgr& mgr, int64_t start, int64_t count) {
        std::vector<T> out(static_cast<size_t>(count * mgr.Info().nchannels));
        mgr.GetAudio(out.data(), start, count, &env);
        return out;
    }

    test::RecordingEnv env;
    PClip mgr_clip;
    std::vector<PClip> host_clips;
};

TEST_F(OverlayAudio, ClipSamplesLandAtTheirPositionsUntilTheClipRunsOut) {
    CMainChMgr& mgr = Manager(2, SAMPLE_INT16, 5);
    // Clip position p, channel ch holds p + 1000 ch; 150 samples, the item starts at 100.
    Add(mgr, new AudioClip(2, SAMPLE_INT16, 150, [](int64_t p, int ch) { return double(p + 1000 * ch); }), 100);
    EXPECT_EQ(Audio<int16_t>(mgr, 0, 100), std::vector<int16_t>(200, 5));      // before the item
    EXPECT_EQ(Audio<int16_t>(mgr, kA1 + 1, 10), std::vector<int16_t>(20, 5));  // after it
    const std::vector<int16_t> block = Audio<int16_t>(mgr, kA0 - 20, 100);
    for (int i = 0; i < 100; ++i) {
        const int64_t p = i - 20 + 100;
        const bool mixed = i >= 20 && p < 150;  // the clip has 50 samples from position 100
        EXPECT_EQ(block[2 * i], mixed ? 5 + p : 5) << i;
        EXPECT_EQ(block[2 * i + 1], mixed ? 5 + p + 1000 : 5) << i;
    }
    // A hidden channel is silent; shown again it plays.
    mgr.SetChannelVisible(0, 0);
    EXPECT_EQ(Audio<int16_t>(mgr, kA0, 4), std::vector<int16_t>(8, 5));
    mgr.SetChannelVisible(0, 1);
    EXPECT_EQ(Audio<int16_t>(mgr, kA0, 1), (std::vector<int16_t>{105, 1105}));
}

TEST_F(OverlayAudio, SixteenBitSumsWrapFloatSumsAddAndMonoGoesWhereItsModeSays) {
    CMainChMgr& shorts = Manager(2, SAMPLE_INT16, 30000);
    Add(shorts, new AudioClip(2, SAMPLE_INT16, 10000, [](int64_t, int) { return 30000.0; }));
    EXPECT_EQ(Audio<int16_t>(shorts, kA0, 2), std::vector<int16_t>(4, -5536));

    CMainChMgr& floats = Manager(2, SAMPLE_FLOAT, 0.25);
    Add(floats, new AudioClip(2, SAMPLE_FLOAT, 10000, [](int64_t, int ch) { return ch ? -0.5 : 0.5; }));
    // A clip of another sample type would be misread: it is left out.
    Add(floats, new AudioClip(2, SAMPLE_INT16, 10000, [](int64_t, int) { return 16384.0; }));  // 2.0 if read as float
    EXPECT_EQ(Audio<float>(floats, kA0, 2), (std::vector<float>{0.75f, -0.25f, 0.75f, -0.25f}));

    // A mono clip goes to both sides, or to the one its mode names: input 1 + (p + 10).
    const std::vector<int16_t> both{12, 12, 13, 13}, left{12, 1, 13, 1}, right{1, 12, 1, 13};
    for (int mode : {0, 1, 2}) {
        CMainChMgr& mgr = Manager(2, SAMPLE_INT16, 1);
        Add(mgr, new AudioClip(1, SAMPLE_INT16, 10000, [](int64_t p, int) { return double(p + 10); }), 0, 0, -1, -1,
            mode);
        EXPECT_EQ(Audio<int16_t>(mgr, kA0 + 1, 2), mode == 0 ? both : mode == 1 ? left : right) << mode;
    }
}

TEST_F(OverlayAudio, FadesScaleOnlyTheirSamplesAndTruncate) {
    // Fade-in over clip positions 0..3: gains 0, 1/4, 2/4, 3/4, then full level.
    CMainChMgr& in = Manager(2, SAMPLE_INT16);
    Add(in, new AudioClip(2, SAMPLE_INT16, 10000, [](int64_t, int) { return 999.0; }), 0, kFadeIn, 3, 9000);
    EXPECT_EQ(Audio<int16_t>(in, kA0, 6), (std::vector<int16_t>{0, 0, 249, 249, 499, 499, 749, 749, 999, 999, 999, 999}));
    EXPECT_EQ(Audio<int16_t>(in, kA0 + 2, 3), (std::vector<int16_t>{499, 499, 749, 749, 999, 999}));
    EXPECT_EQ(Audio<int16_t>(in, kA1 - 3, 4), std::vector<int16_t>(8, 999));  // fade-out not asked for

    // Fade-out from clip position o + 1917 over the item's last four samples.
    const int64_t o = 50;
    CMainChMgr& out = Manager(1, SAMPLE_FLOAT);
    Add(out, new AudioClip(1, SAMPLE_FLOAT, 10000, [](int64_t, int) { return 1.0; }), o, kFadeOut, 2, o + 1917);
    EXPECT_EQ(Audio<float>(out, kA0, 3), std::vector<float>(3, 1.0f));  // fade-in not asked for
    EXPECT_EQ(Audio<float>(out, kA1 - 5, 6), (std::vector<float>{1.0f, 1.0f, 1.0f, 0.75f, 0.5f, 0.25f}));
    EXPECT_EQ(Audio<float>(out, kA1 - 1, 2), (std::vector<float>{0.5f, 0.25f}));
}

}  // namespace
