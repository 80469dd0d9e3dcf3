// The frame server's FFmpeg-backed functions, reached through Invoke: "LanczosResize"
// and "ResampleAudio".
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/clips.h"

namespace {

using test::GradientClip;
using test::Invoke;
using test::InvokeError;
using test::VideoFormat;

PClip Blank(IScriptEnvironment* env, int width, int height, const char* type, int color) {
    const AVSValue args[] = {width, height, type, color};
    const char* names[] = {"width", "height", "pixel_type", "color"};
    return env->Invoke("BlankClip", AVSValue(args, 4), names).AsClip();
}

int At(const PVideoFrame& f, int x, int y, int plane = 0) {
    return f->GetReadPtr(plane)[y * f->GetPitch(plane) + x];
}

PVideoFrame Resized(IScriptEnvironment* env, const PClip& clip, std::vector<AVSValue> more) {
    more.insert(more.begin(), AVSValue(clip));
    return Invoke(env, "LanczosResize", std::move(more)).AsClip()->GetFrame(0, env);
}

TEST(FrameServerFfmpeg, LanczosResizeKeepsAConstantColourAndTheFormat) {
    test::EnvPtr env = test::NewEnv();
    for (const char* type : {"RGB32", "RGB24", "YUY2", "YV12"}) {
        SCOPED_TRACE(type);
        const PClip src = Blank(env.get(), 40, 30, type, static_cast<int>(0x80336699u));
        const PVideoFrame sf = src->GetFrame(0, env.get());
        const VideoInfo& svi = src->GetVideoInfo();
        const int period = svi.IsRGB24() ? 3 : svi.IsYV12() ? 1 : 4;  // bytes of one pixel or macropixel
        for (const auto& [w, h] : {std::pair{100, 18}, std::pair{16, 64}}) {
            const PClip out = Invoke(env.get(), "LanczosResize", {src, w, h}).AsClip();
            VideoInfo want = svi;
            want.width = w, want.height = h;
            EXPECT_EQ(std::memcmp(&out->GetVideoInfo(), &want, sizeof want), 0) << "only the size changes";
            const PVideoFrame f = out->GetFrame(3, env.get());
            EXPECT_EQ(f->GetRowSize(), want.RowSize());
            EXPECT_EQ(f->GetHeight(PLANAR_U), svi.IsYV12() ? h / 2 : 0);
            for (int plane : {PLANAR_Y, PLANAR_U, PLANAR_V})
                for (int y = 0; y < f->GetHeight(plane); ++y)
                    for (int x = 0; x < f->GetRowSize(plane); ++x)
                        ASSERT_EQ(At(f, x, y, plane), At(sf, x % period, 0, plane)) << x << " " << y;
        }
    }
}

TEST(FrameServerFfmpeg, LanczosResizeMapsRowsAndTheSourceWindowTheRightWayUp) {
    test::EnvPtr env = test::NewEnv();
    // Memory row y (the picture's bottom first) has grey 16 + 3y; output row y covers rows 2y and 2y + 1.
    const auto grey = [](int, int y, int) { return 16 + 3 * y; };
    const PClip ramp = new GradientClip(VideoFormat(VideoInfo::CS_BGR32, 8, 64), env.get(), grey);
    const PVideoFrame half = Resized(env.get(), ramp, {8, 32});
    for (int y = 3; y < 29; ++y) EXPECT_NEAR(At(half, 0, y), 16 + 3 * (2 * y + 0.5), 1.0) << "row " << y;

    // A window at its own size comes out exactly. Picture rows 1..4 of 6 are memory rows 1..4 too;
    // columns 2..11 are bytes 6..35.
    const auto window = [](int, int y, int x) { return (x + 40 * y) & 0xFF; };
    const PClip rgb = new GradientClip(VideoFormat(VideoInfo::CS_BGR24, 16, 6), env.get(), window);
    const PVideoFrame f = Resized(env.get(), rgb, {10, 4, 2, 1, 10, 4});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 30; ++x) ASSERT_EQ(At(f, x, y), window(0, y + 1, x + 6));
    // Picture rows 0..2 are the last three memory rows; a width of -1 counts from the right.
    const PVideoFrame top = Resized(env.get(), rgb, {15, 3, 0, 0, -1, 3});
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 45; ++x) ASSERT_EQ(At(top, x, y), window(0, y + 3, x));
    const PClip yuy2 = new GradientClip(VideoFormat(VideoInfo::CS_YUY2, 16, 6), env.get(), window);
    const PVideoFrame g = Resized(env.get(), yuy2, {8, 2, 4, 3, 8, 2});
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(At(g, x, y), window(0, y + 3, x + 8));  // YUY2 rows run top-down
}

TEST(FrameServerFfmpeg, LanczosResizeNamesWhatIsWrong) {
    test::EnvPtr env = test::NewEnv();
    const PClip rgb = Blank(env.get(), 16, 8, "RGB32", 0), yuy2 = Blank(env.get(), 16, 8, "YUY2", 0);
    const auto error = [&](std::vector<AVSValue> args) { return InvokeError(env.get(), "LanczosResize", args); };
    EXPECT_EQ(error({rgb, 0, 8}), "LanczosResize: the target width and height must be positive");
    EXPECT_EQ(error({rgb, 8, -2}), "LanczosResize: the target width and height must be positive");
    EXPECT_EQ(error({yuy2, 7, 8}), "LanczosResize: YUY2 needs an even target width");
    EXPECT_EQ(error({Blank(env.get(), 16, 8, "YV12", 0), 8, 5}),
              "LanczosResize: YV12 needs an even target width and height");
    EXPECT_EQ(error({rgb, 8, 8, 0, 0, 16, 8, 0}), "LanczosResize: taps must be between 1 and 100");
    EXPECT_EQ(error({rgb, 8, 8, 0.5, 0}), "LanczosResize: the source window must be in whole pixels");
    EXPECT_EQ(error({rgb, 8, 8, 4, 0}), "LanczosResize: the source window must lie inside the frame");
    EXPECT_EQ(error({rgb, 8, 8, 0, 0, 0, -8}), "LanczosResize: the source window must lie inside the frame");
    EXPECT_EQ(error({yuy2, 8, 8, 1, 0, 8, 8}), "LanczosResize: a YUY2 source window needs an even left and width");
    VideoInfo audio_only{};
    audio_only.audio_samples_per_second = 48000;
    EXPECT_EQ(error({new test::PatternClip(audio_only), 8, 8}), "LanczosResize: the clip has no video");
    EXPECT_EQ(error({rgb, 8, 8, 0, 0, 16, 8, 2}), "(no error)");  // taps given
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
        int type, from, to, denominator;
        int64_t samples, out_samples;
    };
    // 16-bit audio comes out at 0.95 of its level (0.45 dB down); other integer audio as
    // float, full scale 1.0.
    for (const Case& c : {Case{SAMPLE_INT16, 48000, 24000, 1, 48001, 24001},
                          Case{SAMPLE_FLOAT, 44100, 48000, 1, 44100, 48000},
                          Case{SAMPLE_INT16, 44100, 44100000, 1001, 44100, 44056},
                          Case{SAMPLE_FLOAT, 8000, 44100, 1, 8000, 44100},
                          Case{SAMPLE_INT24, 48000, 44100, 1, 4800, 4410},
                          Case{SAMPLE_INT32, 44100, 48000, 1, 4410, 4800}}) {
        SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to << "/" << c.denominator);
        const double full = c.type == SAMPLE_INT24 ? 8388608.0 : c.type == SAMPLE_INT32 ? 2147483648.0 : 1.0;
        const double a = c.type == SAMPLE_INT16 ? 12000 : 0.5 * full, gain = (c.type == SAMPLE_INT16 ? 0.95 : 1.0) / full;
        const Tone tone{{0.0, -a / 4, a / 3}, a, 1000};
        const PClip in = tone.Clip(c.from, c.type, c.samples);
        const PClip out = Invoke(env.get(), "ResampleAudio", {in, c.to, c.denominator}).AsClip();
        const VideoInfo& vi = out->GetVideoInfo();
        EXPECT_EQ(vi.audio_samples_per_second, static_cast<int>(std::lround(double(c.to) / c.denominator)));
        EXPECT_EQ(vi.num_audio_samples, c.out_samples);  // rounded to nearest
        EXPECT_EQ(vi.sample_type, c.type == SAMPLE_INT16 ? SAMPLE_INT16 : SAMPLE_FLOAT);
        ASSERT_EQ(vi.nchannels, 3);
        // Output sample k is the tone at k * denominator / to seconds: frequency, phase kept.
        const int64_t total = c.out_samples;
        const std::vector<double> whole = Audio(env.get(), out, 0, total);
        for (int k = 100; k < total - 100; ++k)
            for (size_t ch = 0; ch < 3; ++ch)
                ASSERT_NEAR(whole[k * 3 + ch], tone(double(k) * c.denominator / c.to, ch) * gain, a * gain * 0.01) << k;

        // Blocks of uneven sizes, asked for back to front, give the same samples.
        std::vector<std::pair<int64_t, int64_t>> blocks;
        const int64_t sizes[] = {1, 997, 4096, 13, 2500};
        for (int64_t s = 0, i = 0; s < total; s += sizes[i++ % 5])
            blocks.emplace_back(s, std::min(sizes[i % 5], total - s));
        std::vector<double> joined(whole.size());
        for (auto it = blocks.rbegin(); it != blocks.rend(); ++it) {
            const std::vector<double> b = Audio(env.get(), out, it->first, it->second);
            std::copy(b.begin(), b.end(), joined.begin() + it->first * 3);
        }
        ASSERT_EQ(joined, whole);
        // Silence before the start and past the end.
        const std::vector<double> edge = Audio(env.get(), out, total - 1, 2);
        const std::vector<double> last(whole.end() - 3, whole.end());
        EXPECT_EQ(edge, (std::vector<double>{last[0], last[1], last[2], 0, 0, 0}));
        EXPECT_EQ(Audio(env.get(), out, total + 100, 2), std::vector<double>(6, 0.0));
        EXPECT_EQ(Audio(env.get(), out, -1, 2), (std::vector<double>{0, 0, 0, whole[0], whole[1], whole[2]}));
    }
}

TEST(FrameServerFfmpeg, ResampleAudioFadesOutToTheSilencePastTheClip) {
    // A constant 10000, 800 samples at 8 kHz, to 48 kHz: 9500 inside; output 4794 sits on
    // the last source sample, 4797 halfway to the silence after it (half the level), and
    // the level falls from one to the next.
    test::EnvPtr env = test::NewEnv();
    const PClip in = Tone{{10000}, 0, 0}.Clip(8000, SAMPLE_INT16, 800);
    const std::vector<double> s = Audio(env.get(), Invoke(env.get(), "ResampleAudio", {in, 48000}).AsClip(), 0, 4800);
    for (int k = 600; k < 4200; ++k) ASSERT_NEAR(s[k], 9500, 2) << k;
    EXPECT_NEAR(s[4794], 9500, 2);
    EXPECT_NEAR(s[4797], 4750, 2);
    EXPECT_TRUE(std::is_sorted(s.begin() + 4794, s.end(), std::greater<>()));
    EXPECT_LT(s[4799], 9500 / 4);
}

TEST(FrameServerFfmpeg, ResampleAudioPassesOverWhatItNeedNotChange) {
    test::EnvPtr env = test::NewEnv();
    const PClip src = Tone{{0.0}, 100, 50}.Clip(48000, SAMPLE_INT16, 1000);
    EXPECT_EQ(Invoke(env.get(), "ResampleAudio", {src, 48000}).AsClip().get(), src.get());
    EXPECT_EQ(Invoke(env.get(), "ResampleAudio", {src, 48000 * 7, 7}).AsClip().get(), src.get());
    const AVSValue no_rate[] = {0};
    const char* names[] = {"audio_rate"};
    const PClip video_only = env->Invoke("BlankClip", AVSValue(no_rate, 1), names).AsClip();
    ASSERT_FALSE(video_only->GetVideoInfo().HasAudio());
    EXPECT_EQ(Invoke(env.get(), "ResampleAudio", {video_only, 22050}).AsClip().get(), video_only.get());

    const PClip with_video = Blank(env.get(), 8, 8, "RGB32", 0x123456);
    const PClip out = Invoke(env.get(), "ResampleAudio", {with_video, 22050}).AsClip();
    EXPECT_EQ(out->GetVideoInfo().width, 8);
    EXPECT_EQ(out->GetVideoInfo().audio_samples_per_second, 22050);
    EXPECT_EQ(out->GetFrame(5, env.get())->GetFrameBuffer(), with_video->GetFrame(5, env.get())->GetFrameBuffer())
        << "video goes through untouched";

    EXPECT_EQ(InvokeError(env.get(), "ResampleAudio", {src, 0}), "ResampleAudio: the new rate must be positive");
    EXPECT_EQ(InvokeError(env.get(), "ResampleAudio", {src, 44100, -1}),
              "ResampleAudio: the rate denominator must be positive");
}

}  // namespace
