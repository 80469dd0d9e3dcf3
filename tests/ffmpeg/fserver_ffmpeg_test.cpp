// The frame server's FFmpeg-backed functions, reached through Invoke: "LanczosResize"
// and "ResampleAudio".
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace {

std::string InvokeError(IScriptEnvironment* env, const char* name, const AVSValue& args) {
    try {
        env->Invoke(name, args);
    } catch (const AvisynthError& e) {
        return e.msg;
    }
    return "(no error)";
}

PClip Blank(IScriptEnvironment* env, int width, int height, const char* type, int color) {
    const AVSValue args[] = {width, height, type, color};
    const char* names[] = {"width", "height", "pixel_type", "color"};
    return env->Invoke("BlankClip", AVSValue(args, 4), names).AsClip();
}

// Frames whose byte at memory row y, byte x is value(x, y).
class GradientClip : public IClip {
public:
    GradientClip(const VideoInfo& vi, int (*value)(int x, int y)) : vi_(vi), value_(value) {}
    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int, IScriptEnvironment* env) override {
        PVideoFrame f = env->NewVideoFrame(vi_);
        uint8_t* p = f->GetWritePtr();
        for (int y = 0; y < f->GetHeight(); ++y, p += f->GetPitch())
            for (int x = 0; x < f->GetRowSize(); ++x) p[x] = static_cast<uint8_t>(value_(x, y));
        return ReturnInto(result, std::move(f));
    }
    bool AVS_STDCALL GetParity(int) override { return false; }
    void AVS_STDCALL GetAudio(void*, int64_t, int64_t, IScriptEnvironment*) override {}
    void AVS_STDCALL SetCacheHints(int, int) override {}
    const VideoInfo& AVS_STDCALL GetVideoInfo() override { return vi_; }
    using IClip::GetFrame;

private:
    VideoInfo vi_;
    int (*value_)(int, int);
};

VideoInfo VideoOf(int width, int height, int pixel_type) {
    VideoInfo vi = test::Rgb24Info(width, height, 10);
    vi.pixel_type = pixel_type;
    return vi;
}

PClip Resize(IScriptEnvironment* env, const PClip& clip, std::vector<AVSValue> more) {
    std::vector<AVSValue> args{AVSValue(clip)};
    args.insert(args.end(), more.begin(), more.end());
    return env->Invoke("LanczosResize", AVSValue(args.data(), static_cast<int>(args.size()))).AsClip();
}

// Every row of a frame equals the first row pattern of a constant-colour frame.
void ExpectConstant(const PVideoFrame& f, const std::vector<uint8_t>& pixel) {
    const size_t n = pixel.size();
    for (int y = 0; y < f->GetHeight(); ++y) {
        const uint8_t* row = f->GetReadPtr() + y * f->GetPitch();
        for (int x = 0; x < f->GetRowSize(); ++x)
            ASSERT_EQ(row[x], pixel[x % n]) << "row " << y << " byte " << x;
    }
}

TEST(FrameServerFfmpeg, LanczosResizeKeepsAConstantColourAndTheFormat) {
    test::EnvPtr env = test::NewEnv();
    struct Case {
        const char* type;
        std::vector<uint8_t> pixel;
    };
    // 0x80336699 in BGR(A) order; YUY2 from BlankClip's Rec.601 conversion of 0x336699.
    const PClip yuy2_src = Blank(env.get(), 40, 30, "YUY2", 0x336699);
    PVideoFrame yf = yuy2_src->GetFrame(0, env.get());
    const std::vector<uint8_t> yuy2(yf->GetReadPtr(), yf->GetReadPtr() + 4);
    for (const Case& c : {Case{"RGB32", {0x99, 0x66, 0x33, 0x80}}, Case{"RGB24", {0x99, 0x66, 0x33}},
                          Case{"YUY2", yuy2}}) {
        SCOPED_TRACE(c.type);
        const PClip src = Blank(env.get(), 40, 30, c.type, static_cast<int>(0x80336699u));
        for (const auto& [w, h] : {std::pair{100, 18}, std::pair{16, 64}}) {
            const PClip out = Resize(env.get(), src, {w, h});
            const VideoInfo& vi = out->GetVideoInfo();
            EXPECT_EQ(vi.width, w);
            EXPECT_EQ(vi.height, h);
            EXPECT_EQ(vi.pixel_type, src->GetVideoInfo().pixel_type);
            EXPECT_EQ(vi.num_frames, src->GetVideoInfo().num_frames);
            EXPECT_EQ(vi.audio_samples_per_second, src->GetVideoInfo().audio_samples_per_second);
            EXPECT_EQ(vi.num_audio_samples, src->GetVideoInfo().num_audio_samples);
            ExpectConstant(out->GetFrame(3, env.get()), c.pixel);
        }
    }
    // YV12: each plane stays at its value.
    const PClip yv12 = Resize(env.get(), Blank(env.get(), 40, 30, "YV12", 0x336699), {64, 20});
    PVideoFrame f = yv12->GetFrame(0, env.get());
    EXPECT_EQ(f->GetRowSize(), 64);
    EXPECT_EQ(f->GetHeight(PLANAR_U), 10);
    for (int plane : {PLANAR_Y, PLANAR_U, PLANAR_V})
        for (int y = 0; y < f->GetHeight(plane); ++y)
            for (int x = 0; x < f->GetRowSize(plane); ++x)
                ASSERT_EQ(f->GetReadPtr(plane)[y * f->GetPitch(plane) + x], f->GetReadPtr(plane)[0]);
}

TEST(FrameServerFfmpeg, LanczosResizeAtTheSameSizeIsTheIdentity) {
    test::EnvPtr env = test::NewEnv();
    const auto pattern = [](int x, int y) { return (x * 37 + y * 11 + (x * y) % 7) & 0xFF; };
    for (int type : {VideoInfo::CS_BGR24, VideoInfo::CS_BGR32, VideoInfo::CS_YUY2}) {
        const PClip src = new GradientClip(VideoOf(24, 10, type), pattern);
        const PVideoFrame in = src->GetFrame(0, env.get());
        const PVideoFrame out = Resize(env.get(), src, {24, 10})->GetFrame(0, env.get());
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < in->GetRowSize(); ++x)
                ASSERT_NEAR(out->GetReadPtr()[y * out->GetPitch() + x], in->GetReadPtr()[y * in->GetPitch() + x], 1)
                    << "type " << type << " row " << y << " byte " << x;
    }
}

TEST(FrameServerFfmpeg, LanczosResizeKeepsAVerticalGradientTheRightWayUp) {
    test::EnvPtr env = test::NewEnv();
    // Memory row y (the picture's bottom first) has grey 16 + 3 * y.
    const PClip src = new GradientClip(VideoOf(8, 64, VideoInfo::CS_BGR32), [](int, int y) { return 16 + 3 * y; });
    const PVideoFrame f = Resize(env.get(), src, {8, 32})->GetFrame(0, env.get());
    int previous = -1;
    for (int y = 0; y < 32; ++y) {
        const int v = f->GetReadPtr()[y * f->GetPitch()];
        EXPECT_GT(v, previous) << "row " << y;
        // Output row y covers source rows 2y and 2y + 1.
        if (y > 2 && y < 29) {
            EXPECT_NEAR(v, 16 + 3 * (2 * y + 0.5), 1.0) << "row " << y;
        }
        previous = v;
    }
}

TEST(FrameServerFfmpeg, LanczosResizeCutsTheSourceWindowFromThePictureTop) {
    test::EnvPtr env = test::NewEnv();
    const auto pattern = [](int x, int y) { return (x + 40 * y) & 0xFF; };
    const PClip rgb = new GradientClip(VideoOf(16, 6, VideoInfo::CS_BGR24), pattern);
    // Picture rows 1..4 of 6 are memory rows 1..4 too (6 - 1 - 4); columns 2..11.
    const PVideoFrame f = Resize(env.get(), rgb, {10, 4, 2, 1, 10, 4})->GetFrame(0, env.get());
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 30; ++x) ASSERT_EQ(f->GetReadPtr()[y * f->GetPitch() + x], pattern(x + 6, y + 1));
    // A top crop of picture rows 0..2 is the last three memory rows; -1 counts from the right.
    const PVideoFrame top = Resize(env.get(), rgb, {15, 3, 0, 0, -1, 3})->GetFrame(0, env.get());
    for (int y = 0; y < 3; ++y) ASSERT_EQ(top->GetReadPtr()[y * top->GetPitch() + 5], pattern(5, y + 3));
    const PClip yuy2 = new GradientClip(VideoOf(16, 6, VideoInfo::CS_YUY2), pattern);
    const PVideoFrame g = Resize(env.get(), yuy2, {8, 2, 4, 3, 8, 2})->GetFrame(0, env.get());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 16; ++x) ASSERT_EQ(g->GetReadPtr()[y * g->GetPitch() + x], pattern(x + 8, y + 3));
}

TEST(FrameServerFfmpeg, LanczosResizeNamesWhatIsWrong) {
    test::EnvPtr env = test::NewEnv();
    const PClip rgb = Blank(env.get(), 16, 8, "RGB32", 0);
    const PClip yuy2 = Blank(env.get(), 16, 8, "YUY2", 0);
    const auto error = [&](const PClip& clip, std::vector<AVSValue> more) {
        std::vector<AVSValue> args{AVSValue(clip)};
        args.insert(args.end(), more.begin(), more.end());
        return InvokeError(env.get(), "LanczosResize", AVSValue(args.data(), static_cast<int>(args.size())));
    };
    EXPECT_EQ(error(rgb, {0, 8}), "LanczosResize: the target width and height must be positive");
    EXPECT_EQ(error(rgb, {8, -2}), "LanczosResize: the target width and height must be positive");
    EXPECT_EQ(error(yuy2, {7, 8}), "LanczosResize: YUY2 needs an even target width");
    EXPECT_EQ(error(Blank(env.get(), 16, 8, "YV12", 0), {8, 5}),
              "LanczosResize: YV12 needs an even target width and height");
    EXPECT_EQ(error(rgb, {8, 8, 0, 0, 16, 8, 0}), "LanczosResize: taps must be between 1 and 100");
    EXPECT_EQ(error(rgb, {8, 8, 0.5, 0}), "LanczosResize: the source window must be in whole pixels");
    EXPECT_EQ(error(rgb, {8, 8, 4, 0}), "LanczosResize: the source window must lie inside the frame");
    EXPECT_EQ(error(rgb, {8, 8, 0, 0, 0, -8}), "LanczosResize: the source window must lie inside the frame");
    EXPECT_EQ(error(yuy2, {8, 8, 1, 0, 8, 8}), "LanczosResize: a YUY2 source window needs an even left and width");
    VideoInfo audio_only{};
    audio_only.audio_samples_per_second = 48000;
    EXPECT_EQ(error(new test::PatternClip(audio_only), {8, 8}), "LanczosResize: the clip has no video");
    EXPECT_EQ(Resize(env.get(), rgb, {8, 8, 0, 0, 16, 8, 2})->GetVideoInfo().width, 8);  // taps given
}

// ---- ResampleAudio ---------------------------------------------------------------------

// Audio only: channel ch of sample s is dc[ch] + amplitude * sin(2 pi freq s / rate).
class ToneClip : public IClip {
public:
    ToneClip(int rate, int sample_type, int64_t samples, std::vector<double> dc, double amplitude, double freq)
        : dc_(std::move(dc)), amplitude_(amplitude), freq_(freq) {
        vi_.audio_samples_per_second = rate;
        vi_.sample_type = sample_type;
        vi_.nchannels = static_cast<int>(dc_.size());
        vi_.num_audio_samples = samples;
        vi_.fps_numerator = 25;
        vi_.fps_denominator = 1;
    }
    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int, IScriptEnvironment*) override {
        return ReturnInto(result, PVideoFrame());
    }
    bool AVS_STDCALL GetParity(int) override { return false; }
    void AVS_STDCALL GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment*) override {
        for (int64_t s = 0; s < count; ++s)
            for (size_t ch = 0; ch < dc_.size(); ++ch) {
                const double v = Value(start + s, ch);
                const size_t i = static_cast<size_t>(s) * dc_.size() + ch;
                if (vi_.sample_type == SAMPLE_FLOAT) static_cast<float*>(buf)[i] = static_cast<float>(v);
                else static_cast<int16_t*>(buf)[i] = static_cast<int16_t>(std::lround(v));
            }
    }
    void AVS_STDCALL SetCacheHints(int, int) override {}
    const VideoInfo& AVS_STDCALL GetVideoInfo() override { return vi_; }
    using IClip::GetFrame;

    double Value(int64_t s, size_t ch) const {
        const double t = static_cast<double>(s) / vi_.audio_samples_per_second;
        return dc_[ch] + amplitude_ * std::sin(2 * M_PI * freq_ * t);
    }

private:
    VideoInfo vi_{};
    std::vector<double> dc_;
    double amplitude_, freq_;
};

PClip Resample(IScriptEnvironment* env, const PClip& clip, int rate, int denominator = 0) {
    const AVSValue args[] = {clip, rate, denominator};
    return env->Invoke("ResampleAudio", AVSValue(args, denominator ? 3 : 2)).AsClip();
}

// Samples [start, start + count) as doubles, channels interleaved.
std::vector<double> Audio(IScriptEnvironment* env, const PClip& clip, int64_t start, int64_t count) {
    const VideoInfo& vi = clip->GetVideoInfo();
    const size_t n = static_cast<size_t>(count * vi.nchannels);
    std::vector<double> out(n);
    if (vi.sample_type == SAMPLE_FLOAT) {
        std::vector<float> raw(n);
        clip->GetAudio(raw.data(), start, count, env);
        for (size_t i = 0; i < n; ++i) out[i] = raw[i];
    } else {
        std::vector<int16_t> raw(n);
        clip->GetAudio(raw.data(), start, count, env);
        for (size_t i = 0; i < n; ++i) out[i] = raw[i];
    }
    return out;
}

TEST(FrameServerFfmpeg, ResampleAudioHalvesTheRateOfASine) {
    test::EnvPtr env = test::NewEnv();
    for (int type : {SAMPLE_INT16, SAMPLE_FLOAT}) {
        SCOPED_TRACE(type);
        const double amplitude = type == SAMPLE_FLOAT ? 0.5 : 12000;
        const PClip src = new ToneClip(48000, type, 48001, {0.0}, amplitude, 1000);
        const PClip out = Resample(env.get(), src, 24000);
        const VideoInfo& vi = out->GetVideoInfo();
        EXPECT_EQ(vi.audio_samples_per_second, 24000);
        EXPECT_EQ(vi.num_audio_samples, 24001);  // 48001 / 2 rounded
        EXPECT_EQ(vi.sample_type, type);
        EXPECT_EQ(vi.nchannels, 1);
        // Output k sits at source sample 2k: same frequency, amplitude and phase.
        const std::vector<double> a = Audio(env.get(), out, 0, 24001);
        for (int k = 100; k < 23900; ++k)
            ASSERT_NEAR(a[k], static_cast<const ToneClip*>(src.get())->Value(2 * k, 0), amplitude * 0.01) << k;
    }
}

TEST(FrameServerFfmpeg, ResampleAudioKeepsEachChannelsLevel) {
    test::EnvPtr env = test::NewEnv();
    const std::vector<double> levels{-8000, 0, 3000};
    const PClip src = new ToneClip(44100, SAMPLE_INT16, 44100, levels, 0, 0);
    const PClip out = Resample(env.get(), src, 48000);
    ASSERT_EQ(out->GetVideoInfo().num_audio_samples, 48000);
    ASSERT_EQ(out->GetVideoInfo().nchannels, 3);
    const std::vector<double> a = Audio(env.get(), out, 0, 48000);
    for (int k = 64; k < 48000 - 64; ++k)
        for (int ch = 0; ch < 3; ++ch) ASSERT_NEAR(a[k * 3 + ch], levels[ch], 2) << k;
}

TEST(FrameServerFfmpeg, ResampleAudioBlocksInAnyOrderJoinUp) {
    test::EnvPtr env = test::NewEnv();
    struct Case {
        int type, from, rate, denominator;
    };
    for (const Case& c : {Case{SAMPLE_INT16, 48000, 24000, 0}, Case{SAMPLE_FLOAT, 44100, 48000, 0},
                          Case{SAMPLE_INT16, 44100, 44100000, 1001}, Case{SAMPLE_FLOAT, 8000, 44100, 0}}) {
        SCOPED_TRACE(testing::Message() << c.from << " -> " << c.rate << "/" << c.denominator);
        const double amplitude = c.type == SAMPLE_FLOAT ? 0.6 : 20000;
        const PClip src = new ToneClip(c.from, c.type, 20011, {0.0, amplitude / 4}, amplitude, 1234.5);
        const PClip out = Resample(env.get(), src, c.rate, c.denominator);
        const int64_t total = out->GetVideoInfo().num_audio_samples;
        const std::vector<double> whole = Audio(env.get(), out, 0, total);
        // Blocks back to front, of uneven sizes; then requests at and past the edges.
        std::vector<double> joined(whole.size());
        const int64_t sizes[] = {1, 997, 4096, 13, 2500};
        std::vector<std::pair<int64_t, int64_t>> blocks;
        for (int64_t s = 0, i = 0; s < total; s += sizes[i++ % 5])
            blocks.emplace_back(s, std::min(sizes[i % 5], total - s));
        for (auto it = blocks.rbegin(); it != blocks.rend(); ++it) {
            const std::vector<double> b = Audio(env.get(), out, it->first, it->second);
            std::copy(b.begin(), b.end(), joined.begin() + it->first * 2);
        }
        for (size_t i = 0; i < whole.size(); ++i) ASSERT_EQ(joined[i], whole[i]) << "at " << i / 2;
        const std::vector<double> past = Audio(env.get(), out, total - 1, 4);
        EXPECT_EQ(past[0], whole[(total - 1) * 2]);
        for (int i = 2; i < 8; ++i) EXPECT_EQ(past[i], 0.0) << "silence past the end";
        for (double v : Audio(env.get(), out, total + 100, 3)) EXPECT_EQ(v, 0.0) << "beyond the end";
        const std::vector<double> early = Audio(env.get(), out, -2, 3);
        EXPECT_EQ(early, (std::vector<double>{0, 0, 0, 0, whole[0], whole[1]})) << "silence before the start";
    }
}

TEST(FrameServerFfmpeg, ResampleAudioPassesOverWhatItNeedNotChange) {
    test::EnvPtr env = test::NewEnv();
    const PClip src = new ToneClip(48000, SAMPLE_INT16, 1000, {0.0}, 100, 50);
    EXPECT_EQ(Resample(env.get(), src, 48000).get(), src.get());
    EXPECT_EQ(Resample(env.get(), src, 48000 * 7, 7).get(), src.get());
    const AVSValue no_rate[] = {0};
    const char* names[] = {"audio_rate"};
    const PClip video_only = env->Invoke("BlankClip", AVSValue(no_rate, 1), names).AsClip();
    ASSERT_FALSE(video_only->GetVideoInfo().HasAudio());
    EXPECT_EQ(Resample(env.get(), video_only, 22050).get(), video_only.get());

    // Video goes through untouched.
    const PClip with_video = Blank(env.get(), 8, 8, "RGB32", 0x123456);
    const PClip out = Resample(env.get(), with_video, 22050);
    EXPECT_EQ(out->GetVideoInfo().width, 8);
    EXPECT_EQ(out->GetVideoInfo().audio_samples_per_second, 22050);
    EXPECT_EQ(out->GetFrame(5, env.get())->GetFrameBuffer(), with_video->GetFrame(5, env.get())->GetFrameBuffer());

    const AVSValue zero[] = {src, 0};
    EXPECT_EQ(InvokeError(env.get(), "ResampleAudio", AVSValue(zero, 2)),
              "ResampleAudio: the new rate must be positive");
    const AVSValue bad_den[] = {src, 44100, -1};
    EXPECT_EQ(InvokeError(env.get(), "ResampleAudio", AVSValue(bad_den, 3)),
              "ResampleAudio: the rate denominator must be positive");
}

}  // namespace
