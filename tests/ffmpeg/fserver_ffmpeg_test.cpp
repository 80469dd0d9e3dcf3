// The frame server's FFmpeg-backed functions, reached through Invoke: "LanczosResize"
// and "ResampleAudio".
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/call_outcome.h"

namespace {

using test::GradientClip;
using test::Invoke;
using test::VideoFormat;

PClip Blank(IScriptEnvironment* env, int width, int height, const char* type, int color) {
    const char* names[] = {"width", "height", "pixel_type", "color"};
    return Invoke(env, "BlankClip", {width, height, type, color}, names).AsClip();
}

int At(const PVideoFrame& f, int x, int y, int plane = 0) { return f->GetReadPtr(plane)[y * f->GetPitch(plane) + x]; }

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
    IScriptEnvironment* e = env.get();
    const auto resized = [e](const PClip& clip, std::vector<AVSValue> more) {
        more.insert(more.begin(), AVSValue(clip));
        return Invoke(e, "LanczosResize", std::move(more)).AsClip()->GetFrame(0, e);
    };
    // Memory row y (the picture's bottom first) has grey 16 + 3y; output row y covers rows 2y and 2y + 1.
    const PClip ramp =
        new GradientClip(VideoFormat(VideoInfo::CS_BGR32, 8, 64), e, [](int, int y, int) { return 16 + 3 * y; });
    const PVideoFrame half = resized(ramp, {8, 32});
    for (int y = 3; y < 29; ++y) EXPECT_NEAR(At(half, 0, y), 16 + 3 * (2 * y + 0.5), 1.0) << "row " << y;

    // A window at its own size comes out exactly. RGB counts picture rows from the bottom
    // of memory, YUY2 from the top; a width of -1 counts from the right.
    const auto window = [](int, int y, int x) { return (x + 40 * y) & 0xFF; };
    struct Case {
        int type;
        std::vector<AVSValue> args;
        int rows, bytes, row0, byte0;
    };
    for (const Case& c : {Case{VideoInfo::CS_BGR24, {10, 4, 2, 1, 10, 4}, 4, 30, 1, 6},
                          Case{VideoInfo::CS_BGR24, {15, 3, 0, 0, -1, 3}, 3, 45, 3, 0},
                          Case{VideoInfo::CS_YUY2, {8, 2, 4, 3, 8, 2}, 2, 16, 3, 8}}) {
        const PVideoFrame f = resized(new GradientClip(VideoFormat(c.type, 16, 6), e, window), c.args);
        for (int y = 0; y < c.rows; ++y)
            for (int x = 0; x < c.bytes; ++x) ASSERT_EQ(At(f, x, y), window(0, y + c.row0, x + c.byte0)) << c.type;
    }
}

TEST(FrameServerFfmpeg, LanczosResizeNamesWhatIsWrong) {
    test::EnvPtr env = test::NewEnv();
    const PClip rgb = Blank(env.get(), 16, 8, "RGB32", 0), yuy2 = Blank(env.get(), 16, 8, "YUY2", 0);
    VideoInfo audio_only{};
    audio_only.audio_samples_per_second = 48000;
    const std::string inside = "LanczosResize: the source window must lie inside the frame";
    for (const test::CallRow& r : {
             test::CallRow{{rgb, 0, 8}, "LanczosResize: the target width and height must be positive"},
             test::CallRow{{yuy2, 7, 8}, "LanczosResize: YUY2 needs an even target width"},
             test::CallRow{{Blank(env.get(), 16, 8, "YV12", 0), 8, 5},
                           "LanczosResize: YV12 needs an even target width and height"},
             test::CallRow{{rgb, 8, 8, 0, 0, 16, 8, 0}, "LanczosResize: taps must be between 1 and 100"},
             test::CallRow{{rgb, 8, 8, 0.5, 0}, "LanczosResize: the source window must be in whole pixels"},
             test::CallRow{{rgb, 8, 8, 4, 0}, inside}, test::CallRow{{rgb, 8, 8, 0, 0, 0, -8}, inside},
             test::CallRow{{yuy2, 8, 8, 1, 0, 8, 8},
                           "LanczosResize: a YUY2 source window needs an even left and width"},
             test::CallRow{{new test::PatternClip(audio_only), 8, 8}, "LanczosResize: the clip has no video"},
             test::CallRow{{rgb, 8, 8, 0, 0, 16, 8, 2}, "8x8 24/1 240f 44100Hz x1 441000"},  // taps given
         })
        EXPECT_EQ(test::Outcome(env.get(), "LanczosResize", r.args), r.want);
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
    for (const Case& c :
         {Case{SAMPLE_INT16, 48000, 24000, 1, 48001, 24001}, Case{SAMPLE_FLOAT, 44100, 48000, 1, 44100, 48000},
          Case{SAMPLE_INT16, 44100, 44100000, 1001, 44100, 44056}, Case{SAMPLE_FLOAT, 8000, 44100, 1, 8000, 44100},
          Case{SAMPLE_INT24, 48000, 44100, 1, 4800, 4410}, Case{SAMPLE_INT32, 44100, 48000, 1, 4410, 4800}}) {
        SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to << "/" << c.denominator);
        const double full = c.type == SAMPLE_INT24 ? 8388608.0 : c.type == SAMPLE_INT32 ? 2147483648.0 : 1.0;
        const double a = c.type == SAMPLE_INT16 ? 12000 : 0.5 * full,
                     gain = (c.type == SAMPLE_INT16 ? 0.95 : 1.0) / full;
        const Tone tone{{0.0, -a / 4, a / 3}, a, 1000};
        const PClip out =
            Invoke(env.get(), "ResampleAudio", {tone.Clip(c.from, c.type, c.samples), c.to, c.denominator}).AsClip();
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

        // Blocks of uneven sizes, asked for back to front, give the same samples; silence
        // lies on either side.
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
        std::vector<double> edges = whole;
        edges.insert(edges.begin(), 3, 0.0);
        edges.insert(edges.end(), 3, 0.0);
        EXPECT_EQ(Audio(env.get(), out, -1, total + 2), edges);
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
    IScriptEnvironment* e = env.get();
    const PClip src = Tone{{0.0}, 100, 50}.Clip(48000, SAMPLE_INT16, 1000);
    const char* no_rate[] = {"audio_rate"};
    const PClip video_only = Invoke(e, "BlankClip", {0}, no_rate).AsClip();
    for (const std::vector<AVSValue>& args :
         {std::vector<AVSValue>{src, 48000}, {src, 48000 * 7, 7}, {video_only, 22050}})
        EXPECT_EQ(Invoke(e, "ResampleAudio", args).AsClip().get(), args[0].AsClip().get());
    const PClip with_video = Blank(e, 8, 8, "RGB32", 0x123456);
    const PClip out = Invoke(e, "ResampleAudio", {with_video, 22050}).AsClip();
    EXPECT_EQ(test::Shape(out), "8x8 24/1 240f 22050Hz x1 220500");
    EXPECT_EQ(out->GetFrame(5, e)->GetFrameBuffer(), with_video->GetFrame(5, e)->GetFrameBuffer())
        << "video goes through";

    EXPECT_EQ(test::InvokeError(e, "ResampleAudio", {src, 0}), "ResampleAudio: the new rate must be positive");
    EXPECT_EQ(test::InvokeError(e, "ResampleAudio", {src, 44100, -1}),
              "ResampleAudio: the rate denominator must be positive");
}

}  // namespace
