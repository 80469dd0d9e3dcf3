// The frame server's FFmpeg-backed functions, reached through Invoke: "LanczosResize"
// and "ResampleAudio".
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/call_outcome.h"

namespace {

using test::GradientClip;
using test::Invoke;
using test::VideoFormat;

int At(const PVideoFrame& f, int x, int y, int plane = 0) { return f->GetReadPtr(plane)[y * f->GetPitch(plane) + x]; }

TEST(FrameServerFfmpeg, LanczosResizeMapsRowsAndTheSourceWindowTheRightWayUp) {
    test::EnvPtr env = test::NewEnv();
    IScriptEnvironment* e = env.get();
    const auto resized = [e](const PClip& clip, std::vector<AVSValue> more) {
        more.insert(more.begin(), AVSValue(clip));
        return Invoke(e, "LanczosResize", std::move(more)).AsClip();
    };
    // Memory row y (the picture's bottom first) has grey 16 + 3y; output row y covers rows 2y and 2y + 1.
    const PClip ramp =
        new GradientClip(VideoFormat(VideoInfo::CS_BGR32, 8, 64), e, [](int, int y, int) { return 16 + 3 * y; });
    const PVideoFrame half = resized(ramp, {8, 32})->GetFrame(0, e);
    for (int y = 3; y < 29; ++y) EXPECT_NEAR(At(half, 0, y), 16 + 3 * (2 * y + 0.5), 1.0) << "row " << y;

    // A window at its own size comes out exactly, in the source's format. RGB counts
    // picture rows from the bottom of memory, YUY2 and YV12 from the top (chroma at half
    // the offsets); a width of -1 counts from the right.
    const auto window = [](int, int y, int x) { return (x + 40 * y) & 0xFF; };
    struct Case {
        int type;
        std::vector<AVSValue> args;
        int row0, byte0;
    };
    for (const Case& c : {Case{VideoInfo::CS_BGR24, {10, 4, 2, 1, 10, 4}, 1, 6},
                          Case{VideoInfo::CS_BGR32, {15, 3, 0, 0, -1, 3}, 3, 0},
                          Case{VideoInfo::CS_YUY2, {8, 2, 4, 3, 8, 2}, 3, 8},
                          Case{VideoInfo::CS_YV12, {8, 2, 4, 2, 8, 2}, 2, 4}}) {
        const PClip src = new GradientClip(VideoFormat(c.type, 16, 6), e, window), out = resized(src, c.args);
        VideoInfo want = src->GetVideoInfo();
        want.width = c.args[0].AsInt(), want.height = c.args[1].AsInt();
        EXPECT_EQ(std::memcmp(&out->GetVideoInfo(), &want, sizeof want), 0) << c.type << ": only the size changes";
        EXPECT_TRUE(test::FrameIs(out->GetFrame(0, e), want.IsPlanar(), [&](int k, int r, int b) {
            return window(k, r + (k ? c.row0 / 2 : c.row0), b + (k ? c.byte0 / 2 : c.byte0));
        })) << c.type;
    }
}

// Channel ch at t seconds: dc[ch] + amplitude * sin(2 pi freq t).
struct Tone {
    std::vector<double> dc;
    double amplitude, freq;
    double operator()(double t, size_t ch) const { return dc[ch] + amplitude * std::sin(2 * M_PI * freq * t); }
    PClip Clip(int rate, int sample_type, int64_t samples) const {
        return new test::AudioClip(test::AudioFormat(rate, static_cast<int>(dc.size()), sample_type, samples),
                                   [tone = *this, rate](int64_t s, int ch) { return tone(double(s) / rate, ch); });
    }
};

// Samples [start, start + count) as doubles, channels interleaved.
std::vector<double> Audio(IScriptEnvironment* env, const PClip& clip, int64_t start, int64_t count) {
    if (clip->GetVideoInfo().sample_type == SAMPLE_FLOAT) {
        const std::vector<float> f = test::Samples<float>(clip, start, count, env);
        return std::vector<double>(f.begin(), f.end());
    }
    const std::vector<int16_t> i = test::Samples<int16_t>(clip, start, count, env);
    return std::vector<double>(i.begin(), i.end());
}

TEST(FrameServerFfmpeg, ResampleAudioKeepsTheToneAndBlocksInAnyOrderJoinUp) {
    test::EnvPtr env = test::NewEnv();
    struct Case {
        int type, from, to;
        int64_t samples, out_samples;
    };
    // 16-bit audio comes out at 0.95 of its level (0.45 dB down).
    for (const Case& c :
         {Case{SAMPLE_INT16, 48000, 24000, 48001, 24001}, Case{SAMPLE_FLOAT, 44100, 48000, 44100, 48000}}) {
        SCOPED_TRACE(c.to);
        const double a = c.type == SAMPLE_INT16 ? 12000 : 0.5, gain = c.type == SAMPLE_INT16 ? 0.95 : 1.0;
        const Tone tone{{0.0, -a / 4, a / 3}, a, 1000};
        const PClip out = Invoke(env.get(), "ResampleAudio", {tone.Clip(c.from, c.type, c.samples), c.to}).AsClip();
        const VideoInfo& vi = out->GetVideoInfo();
        EXPECT_EQ(vi.audio_samples_per_second, c.to);
        EXPECT_EQ(vi.num_audio_samples, c.out_samples);  // rounded to nearest
        EXPECT_EQ(vi.sample_type, c.type);
        ASSERT_EQ(vi.nchannels, 3);
        // Output sample k is the tone at k / to seconds: frequency, phase kept.
        const int64_t total = c.out_samples;
        const std::vector<double> whole = Audio(env.get(), out, 0, total);
        for (int k = 100; k < total - 100; ++k)
            for (size_t ch = 0; ch < 3; ++ch)
                ASSERT_NEAR(whole[k * 3 + ch], tone(double(k) / c.to, ch) * gain, a * gain * 0.01) << k;
        // A later block asked for first joins up exactly with the one before it.
        std::vector<double> joined = Audio(env.get(), out, 997, total - 997);
        const std::vector<double> head = Audio(env.get(), out, 0, 997);
        joined.insert(joined.begin(), head.begin(), head.end());
        EXPECT_EQ(joined, whole);
    }
}

TEST(FrameServerFfmpeg, WhatNeedsNoChangeIsTheSameClipAndWrongInputIsNamed) {
    test::EnvPtr env = test::NewEnv();
    IScriptEnvironment* e = env.get();
    const PClip src = Tone{{0.0}, 100, 50}.Clip(48000, SAMPLE_INT16, 1000);
    const char* no_rate[] = {"audio_rate"};
    const PClip video_only = Invoke(e, "BlankClip", {0}, no_rate).AsClip();
    for (const std::vector<AVSValue>& args :
         {std::vector<AVSValue>{src, 48000}, {video_only, 22050}})
        EXPECT_EQ(Invoke(e, "ResampleAudio", args).AsClip().get(), args[0].AsClip().get());

    const PClip rgb = new GradientClip(VideoFormat(VideoInfo::CS_BGR32, 16, 8), e);
    VideoInfo audio_only{};
    audio_only.audio_samples_per_second = 48000;
    const std::pair<const char*, test::CallRow> errors[] = {
        {"ResampleAudio", {{src, 0}, "ResampleAudio: the new rate must be positive"}},
        {"LanczosResize", {{rgb, 0, 8}, "LanczosResize: the target width and height must be positive"}},
        {"LanczosResize", {{rgb, 8, 8, 0, 0, 0, -8}, "LanczosResize: the source window must lie inside the frame"}},
        {"LanczosResize", {{new test::PatternClip(audio_only), 8, 8}, "LanczosResize: the clip has no video"}},
    };
    for (const auto& [name, row] : errors) EXPECT_EQ(test::InvokeError(e, name, row.args), row.want);
}

}  // namespace
