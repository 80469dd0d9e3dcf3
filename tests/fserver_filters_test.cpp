// The frame server's portable filters, reached through Invoke: frame-rate changes,
// flips, Reverse, Crop, AddBorders and the audio channel functions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

std::string InvokeError(IScriptEnvironment* env, const char* name, std::initializer_list<AVSValue> args,
                        const char** names = nullptr) {
    const std::vector<AVSValue> v(args);
    try {
        env->Invoke(name, AVSValue(v.data(), static_cast<int>(v.size())), names);
    } catch (const AvisynthError& e) {
        return e.msg;
    }
    return "(no error)";
}

PClip Call(IScriptEnvironment* env, const char* name, std::initializer_list<AVSValue> args,
           const char** names = nullptr) {
    const std::vector<AVSValue> v(args);
    return env->Invoke(name, AVSValue(v.data(), static_cast<int>(v.size())), names).AsClip();
}

constexpr int kPlanes[] = {PLANAR_Y, PLANAR_U, PLANAR_V};

// Byte b of memory row r in plane k (0 luma or packed, 1 U, 2 V) of a gradient frame.
int Gradient(int k, int r, int b) { return (k * 100 + r * 16 + b) & 0xFF; }

// A clip whose every frame is one stored gradient frame, so its bytes can be checked
// after a filter has read it.
class GradientClip : public IClip {
public:
    GradientClip(const VideoInfo& vi, IScriptEnvironment* env) : vi_(vi) {
        frame_ = env->NewVideoFrame(vi_);
        for (int k = 0; k < (vi_.IsPlanar() ? 3 : 1); ++k) {
            uint8_t* p = frame_->GetWritePtr(kPlanes[k]);
            for (int r = 0; r < frame_->GetHeight(kPlanes[k]); ++r, p += frame_->GetPitch(kPlanes[k]))
                for (int b = 0; b < frame_->GetRowSize(kPlanes[k]); ++b) p[b] = static_cast<uint8_t>(Gradient(k, r, b));
        }
    }
    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int, IScriptEnvironment*) override {
        return ReturnInto(result, PVideoFrame(frame_));
    }
    bool AVS_STDCALL GetParity(int) override { return false; }
    void AVS_STDCALL GetAudio(void*, int64_t, int64_t, IScriptEnvironment*) override {}
    void AVS_STDCALL SetCacheHints(int, int) override {}
    const VideoInfo& AVS_STDCALL GetVideoInfo() override { return vi_; }
    using IClip::GetFrame;

    PVideoFrame frame_;

private:
    VideoInfo vi_;
};

// Audio only: the interleaved samples given, silence outside them.
template <class Sample>
class AudioClip : public IClip {
public:
    AudioClip(int channels, std::vector<Sample> samples, int sample_type) : samples_(std::move(samples)) {
        vi_.fps_numerator = 25;
        vi_.fps_denominator = 1;
        vi_.audio_samples_per_second = 48000;
        vi_.sample_type = sample_type;
        vi_.nchannels = channels;
        vi_.num_audio_samples = static_cast<int64_t>(samples_.size()) / channels;
    }
    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int, IScriptEnvironment*) override {
        return ReturnInto(result, PVideoFrame());
    }
    bool AVS_STDCALL GetParity(int) override { return false; }
    void AVS_STDCALL GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment*) override {
        auto* out = static_cast<Sample*>(buf);
        for (int64_t s = start; s < start + count; ++s)
            for (int ch = 0; ch < vi_.nchannels; ++ch)
                *out++ = s >= 0 && s < vi_.num_audio_samples ? samples_[s * vi_.nchannels + ch] : Sample(0);
    }
    void AVS_STDCALL SetCacheHints(int, int) override {}
    const VideoInfo& AVS_STDCALL GetVideoInfo() override { return vi_; }
    using IClip::GetFrame;

private:
    VideoInfo vi_{};
    std::vector<Sample> samples_;
};

VideoInfo Video(int pixel_type, int width, int height) {
    VideoInfo vi = test::Rgb24Info(width, height, 10);
    vi.pixel_type = pixel_type;
    return vi;
}

// The interleaved samples asked for; a guard past them must stay untouched.
template <class Sample>
std::vector<Sample> Audio(const PClip& clip, int64_t start, int64_t count, IScriptEnvironment* env) {
    const size_t n = static_cast<size_t>(count * clip->GetVideoInfo().nchannels);
    std::vector<Sample> buf(n + 1, Sample(77));
    clip->GetAudio(buf.data(), start, count, env);
    EXPECT_EQ(buf[n], Sample(77)) << "wrote past the samples asked for";
    buf.pop_back();
    return buf;
}

int16_t Pattern(int64_t s, int ch) { return static_cast<int16_t>(s * 7 + ch); }

// Every byte of every plane of f equals expect(k, memory row, byte).
template <class Expect>
::testing::AssertionResult FrameIs(const PVideoFrame& f, bool planar, Expect expect) {
    for (int k = 0; k < (planar ? 3 : 1); ++k) {
        const uint8_t* p = f->GetReadPtr(kPlanes[k]);
        for (int r = 0; r < f->GetHeight(kPlanes[k]); ++r, p += f->GetPitch(kPlanes[k]))
            for (int b = 0; b < f->GetRowSize(kPlanes[k]); ++b)
                if (p[b] != expect(k, r, b))
                    return ::testing::AssertionFailure() << "plane " << k << " row " << r << " byte " << b << ": "
                                                         << int{p[b]} << " != " << expect(k, r, b);
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult StillGradient(const GradientClip& clip) {
    return FrameIs(clip.frame_, clip.frame_->GetPitch(PLANAR_U) != 0, Gradient);
}

TEST(FrameServerFilters, AssumeFpsChangesTheRateAndOptionallyTheAudioRate) {
    test::EnvPtr env = test::NewEnv();
    const PClip src = new test::PatternClip(test::WithAudio(test::Rgb24Info(4, 2), 48000, 2));

    const PClip plain = Call(env.get(), "AssumeFPS", {src, 50, 2});
    const VideoInfo& vi = plain->GetVideoInfo();
    EXPECT_EQ(vi.fps_numerator, 25u);  // reduced
    EXPECT_EQ(vi.fps_denominator, 1u);
    EXPECT_EQ(vi.num_frames, 100);
    EXPECT_EQ(vi.audio_samples_per_second, 48000);

    const char* sync[] = {nullptr, nullptr, nullptr, "sync_audio"};
    const PClip synced = Call(env.get(), "AssumeFPS", {src, 24, 1, true}, sync);
    const VideoInfo& svi = synced->GetVideoInfo();
    EXPECT_EQ(svi.fps_numerator, 24u);
    EXPECT_EQ(svi.audio_samples_per_second, 46080);  // 48000 * 24 / 25
    EXPECT_EQ(svi.num_audio_samples, src->GetVideoInfo().num_audio_samples);
    EXPECT_EQ(Audio<int16_t>(synced, 5, 2, env.get()), (std::vector<int16_t>{35, 36, 42, 43}));
    EXPECT_EQ(test::FrameBytes(synced->GetFrame(3, env.get()))[0], 3);
    EXPECT_EQ(src->GetVideoInfo().fps_numerator, 25u);  // the source keeps its rate
    EXPECT_EQ(src->GetVideoInfo().audio_samples_per_second, 48000);

    // One integer means a denominator of 1; a float goes over 1000; positionally too.
    EXPECT_EQ(Call(env.get(), "AssumeFPS", {src, 30})->GetVideoInfo().fps_numerator, 30u);
    const PClip ntsc = Call(env.get(), "AssumeFPS", {src, 29.97, true});
    EXPECT_EQ(ntsc->GetVideoInfo().fps_numerator, 2997u);
    EXPECT_EQ(ntsc->GetVideoInfo().fps_denominator, 100u);
    EXPECT_EQ(ntsc->GetVideoInfo().audio_samples_per_second, 57542);  // 57542.4

    // Halves round up: 5 Hz at 2 fps played at 1 fps is 2.5 Hz.
    VideoInfo slow = test::WithAudio(test::Rgb24Info(4, 2), 5, 1);
    slow.fps_numerator = 2;
    const PClip slow_src = new test::PatternClip(slow);
    EXPECT_EQ(Call(env.get(), "AssumeFPS", {slow_src, 1, 1, true})->GetVideoInfo().audio_samples_per_second, 3);

    EXPECT_EQ(InvokeError(env.get(), "AssumeFPS", {src, 25, 0}), "AssumeFPS: Denominator cannot be 0 (zero).");
    EXPECT_EQ(InvokeError(env.get(), "AssumeFPS", {src, 0, 1}), "AssumeFPS: the frame rate must be positive");
    EXPECT_EQ(InvokeError(env.get(), "AssumeFPS", {src, -2.5}), "AssumeFPS: the frame rate must be positive");
}

TEST(FrameServerFilters, ChangeFpsRepeatsOrDropsFramesAndKeepsTheAudio) {
    test::EnvPtr env = test::NewEnv();
    const PClip src = new test::PatternClip(test::WithAudio(test::Rgb24Info(4, 2), 48000, 2));
    const auto frame = [&](const PClip& c, int n) { return test::FrameBytes(c->GetFrame(n, env.get()))[0]; };

    const PClip doubled = Call(env.get(), "ChangeFPS", {src, 50});
    EXPECT_EQ(doubled->GetVideoInfo().num_frames, 200);
    EXPECT_EQ(doubled->GetVideoInfo().fps_numerator, 50u);
    for (int n : {0, 1, 2, 3, 199}) EXPECT_EQ(frame(doubled, n), n / 2) << n;

    const PClip fewer = Call(env.get(), "ChangeFPS", {src, 10, 1});
    EXPECT_EQ(fewer->GetVideoInfo().num_frames, 40);
    for (int n : {0, 1, 2, 3, 39}) EXPECT_EQ(frame(fewer, n), n * 5 / 2) << n;  // floor(n * 2.5)
    EXPECT_EQ(frame(fewer, 500), 99);  // past the end: the last frame

    const char* linear[] = {nullptr, nullptr, nullptr, "linear"};
    const PClip ntsc = Call(env.get(), "ChangeFPS", {src, 30000, 1001, false}, linear);
    EXPECT_EQ(ntsc->GetVideoInfo().num_frames, 120);  // 119.88 rounded
    EXPECT_EQ(ntsc->GetVideoInfo().fps_denominator, 1001u);
    EXPECT_EQ(frame(ntsc, 119), 99);  // floor(119 * 25 * 1001 / 30000)
    EXPECT_EQ(frame(ntsc, 1), 0);     // floor(0.834): no rounding up
    EXPECT_EQ(frame(ntsc, 6), 5);     // floor(5.005)
    EXPECT_EQ(Call(env.get(), "ChangeFPS", {src, 12.5})->GetVideoInfo().num_frames, 50);

    // The audio is the source's, untouched.
    EXPECT_EQ(fewer->GetVideoInfo().num_audio_samples, src->GetVideoInfo().num_audio_samples);
    EXPECT_EQ(fewer->GetVideoInfo().audio_samples_per_second, 48000);
    EXPECT_EQ(Audio<int16_t>(fewer, 10, 1, env.get()), (std::vector<int16_t>{70, 71}));

    // The length rounds to nearest, halves up: 5 frames at 2 fps become 2.5 at 1 fps.
    VideoInfo five = test::Rgb24Info(4, 2, 5);
    five.fps_numerator = 2;
    EXPECT_EQ(Call(env.get(), "ChangeFPS", {new test::PatternClip(five), 1})->GetVideoInfo().num_frames, 3);
    five.num_frames = 7;
    EXPECT_EQ(Call(env.get(), "ChangeFPS", {new test::PatternClip(five), 1})->GetVideoInfo().num_frames, 4);

    EXPECT_EQ(Call(env.get(), "ChangeFPS", {src, 25})->GetVideoInfo().num_frames, 100);  // identity
    EXPECT_EQ(InvokeError(env.get(), "ChangeFPS", {src, 25, 0}), "ChangeFPS: Denominator cannot be 0 (zero).");
    EXPECT_EQ(InvokeError(env.get(), "ChangeFPS", {src, -1}), "ChangeFPS: the frame rate must be positive");
}

TEST(FrameServerFilters, FlipsMirrorEveryFormat) {
    test::EnvPtr env = test::NewEnv();
    struct Case {
        int pixel_type, width, height;
    };
    for (const Case c : {Case{VideoInfo::CS_BGR24, 3, 2}, Case{VideoInfo::CS_BGR32, 3, 3},
                         Case{VideoInfo::CS_YUY2, 6, 2}, Case{VideoInfo::CS_YV12, 6, 4}}) {
        SCOPED_TRACE(c.pixel_type);
        const VideoInfo vi = Video(c.pixel_type, c.width, c.height);
        auto* source = new GradientClip(vi, env.get());
        const PClip src = source;
        const bool planar = vi.IsPlanar();
        const int bpp = vi.IsRGB32() ? 4 : 3;

        const PVideoFrame v = Call(env.get(), "FlipVertical", {src})->GetFrame(0, env.get());
        EXPECT_TRUE(FrameIs(v, planar, [&](int k, int r, int b) {
            return Gradient(k, v->GetHeight(kPlanes[k]) - 1 - r, b);
        }));

        const PVideoFrame h = Call(env.get(), "FlipHorizontal", {src})->GetFrame(0, env.get());
        const int row = h->GetRowSize();
        EXPECT_TRUE(FrameIs(h, planar, [&](int k, int r, int b) {
            if (planar) return Gradient(k, r, h->GetRowSize(kPlanes[k]) - 1 - b);
            if (vi.IsYUY2()) {
                const int mirrored = row - 4 - b / 4 * 4;  // the macropixel's new place
                const int offsets[] = {2, 1, 0, 3};      // Y1 U Y0 V
                return Gradient(k, r, mirrored + offsets[b % 4]);
            }
            return Gradient(k, r, row - bpp - b / bpp * bpp + b % bpp);
        }));

        const PClip twice = Call(env.get(), "FlipHorizontal", {Call(env.get(), "FlipVertical", {
                                                                   Call(env.get(), "FlipVertical",
                                                                        {Call(env.get(), "FlipHorizontal", {src})})})});
        EXPECT_TRUE(FrameIs(twice->GetFrame(0, env.get()), planar, Gradient));  // identity
        EXPECT_TRUE(StillGradient(*source));
    }

    // The YUY2 macropixels by value: Y0 U Y1 V | Y2 U' Y3 V' -> Y3 U' Y2 V' | Y1 U Y0 V.
    const PClip yuy2 = new GradientClip(Video(VideoInfo::CS_YUY2, 4, 2), env.get());
    const PVideoFrame f = Call(env.get(), "FlipHorizontal", {yuy2})->GetFrame(0, env.get());
    EXPECT_EQ(std::vector<uint8_t>(f->GetReadPtr(), f->GetReadPtr() + 8), (std::vector<uint8_t>{6, 5, 4, 7, 2, 1, 0, 3}));

    // Audio passes through.
    const PClip with_audio = new test::PatternClip(test::WithAudio(test::Rgb24Info(4, 2), 48000, 2));
    EXPECT_EQ(Audio<int16_t>(Call(env.get(), "FlipVertical", {with_audio}), 3, 1, env.get()),
              (std::vector<int16_t>{21, 22}));
    EXPECT_EQ(InvokeError(env.get(), "FlipHorizontal", {new AudioClip<int16_t>(1, {1}, SAMPLE_INT16)}),
              "FlipHorizontal: clip has no video");
}

TEST(FrameServerFilters, ReversePlaysFramesAndAudioBackwards) {
    test::EnvPtr env = test::NewEnv();
    const PClip src = new test::PatternClip(test::WithAudio(test::Rgb24Info(4, 2, 10), 48000, 2));
    const PClip rev = Call(env.get(), "Reverse", {src});
    const int64_t total = src->GetVideoInfo().num_audio_samples;
    ASSERT_EQ(total, 19200);
    EXPECT_EQ(rev->GetVideoInfo().num_frames, 10);
    EXPECT_EQ(rev->GetVideoInfo().num_audio_samples, total);
    for (int n : {0, 4, 9}) EXPECT_EQ(test::FrameBytes(rev->GetFrame(n, env.get()))[0], 9 - n) << n;
    EXPECT_EQ(rev->GetParity(0), src->GetParity(9));

    // Whole sample frames keep their channel order.
    EXPECT_EQ(Audio<int16_t>(rev, 0, 3, env.get()),
              (std::vector<int16_t>{Pattern(19199, 0), Pattern(19199, 1), Pattern(19198, 0), Pattern(19198, 1),
                                    Pattern(19197, 0), Pattern(19197, 1)}));
    // Past either end is silence.
    EXPECT_EQ(Audio<int16_t>(rev, total - 2, 4, env.get()), (std::vector<int16_t>{7, 8, 0, 1, 0, 0, 0, 0}));
    EXPECT_EQ(Audio<int16_t>(rev, -2, 3, env.get()),
              (std::vector<int16_t>{0, 0, 0, 0, Pattern(19199, 0), Pattern(19199, 1)}));
    EXPECT_EQ(Audio<int16_t>(rev, total + 5, 2, env.get()), std::vector<int16_t>(4, 0));

    // Twice is the original; floats too.
    const PClip floats = new AudioClip<float>(1, {0.5f, -0.25f, 1.0f}, SAMPLE_FLOAT);
    EXPECT_EQ(Audio<float>(Call(env.get(), "Reverse", {floats}), 0, 3, env.get()),
              (std::vector<float>{1.0f, -0.25f, 0.5f}));
    const PClip back = Call(env.get(), "Reverse", {rev});
    EXPECT_EQ(Audio<int16_t>(back, 1000, 3, env.get()), Audio<int16_t>(src, 1000, 3, env.get()));
    EXPECT_EQ(test::FrameBytes(back->GetFrame(2, env.get()))[0], 2);
}

TEST(FrameServerFilters, CropSharesAWindowOfTheSource) {
    test::EnvPtr env = test::NewEnv();
    // RGB32 8x6: picture row y is memory row 5 - y.
    auto* rgb_source = new GradientClip(Video(VideoInfo::CS_BGR32, 8, 6), env.get());
    const PClip rgb = rgb_source;
    for (const auto& args : {std::vector<int>{2, 1, 4, 3}, std::vector<int>{2, 1, -2, -2}}) {
        const PClip c = Call(env.get(), "Crop", {rgb, args[0], args[1], args[2], args[3]});
        EXPECT_EQ(c->GetVideoInfo().width, 4);
        EXPECT_EQ(c->GetVideoInfo().height, 3);
        const PVideoFrame f = c->GetFrame(0, env.get());
        EXPECT_EQ(f->GetFrameBuffer(), rgb_source->frame_->GetFrameBuffer());  // shared, not copied
        // Output picture row y is source picture row y + 1, i.e. memory row 5 - (y + 1).
        EXPECT_TRUE(FrameIs(f, false, [](int k, int r, int b) { return Gradient(k, 5 - (2 - r + 1), b + 8); }));
    }
    const PClip to_edges = Call(env.get(), "Crop", {rgb, 2, 1, 0, 0});
    EXPECT_EQ(to_edges->GetVideoInfo().width, 6);
    EXPECT_EQ(to_edges->GetVideoInfo().height, 5);
    EXPECT_TRUE(FrameIs(Call(env.get(), "Crop", {rgb, 0, 0, 0, 0})->GetFrame(0, env.get()), false, Gradient));

    // align: an unaligned window comes back as an aligned copy of the same pixels.
    const char* align[] = {nullptr, nullptr, nullptr, nullptr, nullptr, "align"};
    const PVideoFrame aligned = Call(env.get(), "Crop", {rgb, 1, 0, 4, 2, true}, align)->GetFrame(0, env.get());
    EXPECT_NE(aligned->GetFrameBuffer(), rgb_source->frame_->GetFrameBuffer());
    EXPECT_EQ(reinterpret_cast<uintptr_t>(aligned->GetReadPtr()) % FRAME_ALIGN, 0u);
    EXPECT_TRUE(FrameIs(aligned, false, [](int k, int r, int b) { return Gradient(k, r + 4, b + 4); }));
    EXPECT_TRUE(StillGradient(*rgb_source));

    // YUY2 and YV12 count rows from the top; chroma follows at half the offsets.
    const PClip yuy2 = new GradientClip(Video(VideoInfo::CS_YUY2, 8, 4), env.get());
    EXPECT_TRUE(FrameIs(Call(env.get(), "Crop", {yuy2, 2, 1, 4, 2})->GetFrame(0, env.get()), false,
                        [](int k, int r, int b) { return Gradient(k, r + 1, b + 4); }));
    auto* yv12_source = new GradientClip(Video(VideoInfo::CS_YV12, 8, 8), env.get());
    const PClip yv12 = yv12_source;
    const PClip yv12_crop = Call(env.get(), "Crop", {yv12, 2, 4, -2, 2});
    EXPECT_EQ(yv12_crop->GetVideoInfo().width, 4);
    EXPECT_EQ(yv12_crop->GetVideoInfo().height, 2);
    const auto window = [](int k, int r, int b) { return k ? Gradient(k, r + 2, b + 1) : Gradient(k, r + 4, b + 2); };
    EXPECT_TRUE(FrameIs(yv12_crop->GetFrame(0, env.get()), true, window));
    EXPECT_TRUE(FrameIs(Call(env.get(), "Crop", {yv12, 2, 4, -2, 2, true})->GetFrame(0, env.get()), true, window));
    EXPECT_TRUE(StillGradient(*yv12_source));

    const char* shift = "Crop: you cannot use crop to enlarge or 'shift' a clip";
    EXPECT_EQ(InvokeError(env.get(), "Crop", {rgb, 0, 0, 9, 6}), shift);
    EXPECT_EQ(InvokeError(env.get(), "Crop", {rgb, 6, 0, 4, 6}), shift);
    EXPECT_EQ(InvokeError(env.get(), "Crop", {rgb, 0, 4, 8, 3}), shift);
    EXPECT_EQ(InvokeError(env.get(), "Crop", {rgb, -1, 0, 4, 4}), "Crop: Top and Left must be more than 0");
    EXPECT_EQ(InvokeError(env.get(), "Crop", {rgb, 4, 0, -4, 0}), "Crop: Destination width is 0 or less.");
    EXPECT_EQ(InvokeError(env.get(), "Crop", {rgb, 0, 6, 0, 0}), "Crop: Destination height is 0 or less.");
    EXPECT_EQ(InvokeError(env.get(), "Crop", {yuy2, 1, 0, 4, 2}),
              "Crop: YUV images can only be cropped by even numbers (left side).");
    EXPECT_EQ(InvokeError(env.get(), "Crop", {yuy2, 2, 1, 3, 2}),
              "Crop: YUV images can only be cropped by even numbers (right side).");
    EXPECT_EQ(InvokeError(env.get(), "Crop", {yv12, 2, 1, 4, 2}),
              "Crop: YV12 images can only be cropped by even numbers (top).");
    EXPECT_EQ(InvokeError(env.get(), "Crop", {yv12, 2, 2, 4, 3}),
              "Crop: YV12 images can only be cropped by even numbers (bottom).");
    EXPECT_EQ(InvokeError(env.get(), "Crop", {rgb, 0, 0, 4}), "Script error: Invalid arguments to function \"Crop\"");
}

TEST(FrameServerFilters, AddBordersFramesThePicture) {
    test::EnvPtr env = test::NewEnv();
    // RGB32 2x2 with left 1, top 2, right 3, bottom 1: 6x5, the picture at memory rows 1-2.
    auto* rgb_source = new GradientClip(Video(VideoInfo::CS_BGR32, 2, 2), env.get());
    const PClip rgb = rgb_source;
    const PClip framed = Call(env.get(), "AddBorders", {rgb, 1, 2, 3, 1, static_cast<int>(0x80102030u)});
    EXPECT_EQ(framed->GetVideoInfo().width, 6);
    EXPECT_EQ(framed->GetVideoInfo().height, 5);
    const auto rgb32 = [](int, int r, int b) {
        const bool inside = r >= 1 && r <= 2 && b >= 4 && b < 12;
        const int colour[] = {0x30, 0x20, 0x10, 0x80};
        return inside ? Gradient(0, r - 1, b - 4) : colour[b % 4];
    };
    EXPECT_TRUE(FrameIs(framed->GetFrame(0, env.get()), false, rgb32));
    EXPECT_TRUE(StillGradient(*rgb_source));

    const PClip rgb24 = new GradientClip(Video(VideoInfo::CS_BGR24, 2, 1), env.get());
    const PVideoFrame f24 = Call(env.get(), "AddBorders", {rgb24, 1, 1, 0, 0, 0x123456})->GetFrame(0, env.get());
    EXPECT_TRUE(FrameIs(f24, false, [](int, int r, int b) {
        const int colour[] = {0x56, 0x34, 0x12};
        return r == 0 && b >= 3 ? Gradient(0, 0, b - 3) : colour[b % 3];  // the top border is memory row 1
    }));
    const PVideoFrame black = Call(env.get(), "AddBorders", {rgb24, 0, 0, 1, 0})->GetFrame(0, env.get());
    EXPECT_EQ(std::vector<uint8_t>(black->GetReadPtr() + 6, black->GetReadPtr() + 9), (std::vector<uint8_t>{0, 0, 0}));

    // YUY2 in studio-range white; odd left and right round down to even.
    const PClip yuy2 = new GradientClip(Video(VideoInfo::CS_YUY2, 2, 1), env.get());
    const PClip yuy2_framed = Call(env.get(), "AddBorders", {yuy2, 3, 1, 1, 0, 0xFFFFFF});
    EXPECT_EQ(yuy2_framed->GetVideoInfo().width, 4);
    EXPECT_EQ(yuy2_framed->GetVideoInfo().height, 2);
    EXPECT_TRUE(FrameIs(yuy2_framed->GetFrame(0, env.get()), false, [](int, int r, int b) {
        const int white[] = {235, 128, 235, 128};
        return r == 1 && b >= 4 ? Gradient(0, 0, b - 4) : white[b % 4];
    }));

    // YV12: every plane framed, chroma by half; black is 16/128/128.
    const PClip yv12 = new GradientClip(Video(VideoInfo::CS_YV12, 2, 2), env.get());
    const PClip yv12_framed = Call(env.get(), "AddBorders", {yv12, 2, 2, 0, 3});
    EXPECT_EQ(yv12_framed->GetVideoInfo().width, 4);
    EXPECT_EQ(yv12_framed->GetVideoInfo().height, 6);  // bottom 3 rounded to 2
    EXPECT_TRUE(FrameIs(yv12_framed->GetFrame(0, env.get()), true, [](int k, int r, int b) {
        const int off = k ? 1 : 2, size = k ? 1 : 2;
        const bool inside = r >= off && r < off + size && b >= off && b < off + size;
        return inside ? Gradient(k, r - off, b - off) : k ? 128 : 16;
    }));

    const PClip same = Call(env.get(), "AddBorders", {rgb, 0, 0, 0, 0});
    EXPECT_TRUE(FrameIs(same->GetFrame(0, env.get()), false, Gradient));  // identity
    EXPECT_EQ(InvokeError(env.get(), "AddBorders", {rgb, 0, -1, 0, 0}),
              "AddBorders: border sizes must not be negative");
}

TEST(FrameServerFilters, GetChannelPicksChannelsInOrder) {
    test::EnvPtr env = test::NewEnv();
    const PClip src = new test::PatternClip(test::WithAudio(test::Rgb24Info(4, 2), 48000, 3));
    const PClip picked = Call(env.get(), "GetChannel", {src, 3, 1});
    EXPECT_EQ(picked->GetVideoInfo().nchannels, 2);
    EXPECT_EQ(picked->GetVideoInfo().num_audio_samples, src->GetVideoInfo().num_audio_samples);
    EXPECT_EQ(Audio<int16_t>(picked, 10, 2, env.get()), (std::vector<int16_t>{72, 70, 79, 77}));
    EXPECT_EQ(Audio<int16_t>(Call(env.get(), "GetChannel", {src, 2, 2, 2}), 1, 1, env.get()),
              (std::vector<int16_t>{8, 8, 8}));
    EXPECT_EQ(Audio<int16_t>(Call(env.get(), "GetChannel", {src, 1, 2, 3}), 4, 2, env.get()),
              Audio<int16_t>(src, 4, 2, env.get()));  // identity
    EXPECT_EQ(test::FrameBytes(picked->GetFrame(5, env.get()))[0], 5);  // video passes through

    const PClip stereo_float = new AudioClip<float>(2, {0.5f, -1.0f, 0.25f, 2.0f}, SAMPLE_FLOAT);
    EXPECT_EQ(Audio<float>(Call(env.get(), "GetChannel", {stereo_float, 2}), 0, 2, env.get()),
              (std::vector<float>{-1.0f, 2.0f}));

    const char* missing = "GetChannel: Attempted to select a channel that does not exist";
    EXPECT_EQ(InvokeError(env.get(), "GetChannel", {src, 0}), missing);
    EXPECT_EQ(InvokeError(env.get(), "GetChannel", {src, 1, 4}), missing);
    EXPECT_EQ(InvokeError(env.get(), "GetChannel", {new test::PatternClip(test::Rgb24Info(4, 2)), 1}),
              "GetChannel: clip has no audio");
    EXPECT_EQ(InvokeError(env.get(), "GetChannel", {src}), "Script error: Invalid arguments to function \"GetChannel\"");
}

TEST(FrameServerFilters, ConvertToMonoAveragesTheChannels) {
    test::EnvPtr env = test::NewEnv();
    const PClip ints = new AudioClip<int16_t>(3, {1, 2, 4, -1, -2, -4, 32767, 32767, 32767, -32768, 0, 1}, SAMPLE_INT16);
    const PClip mono = Call(env.get(), "ConvertToMono", {ints});
    EXPECT_EQ(mono->GetVideoInfo().nchannels, 1);
    EXPECT_EQ(mono->GetVideoInfo().num_audio_samples, 4);
    // 7/3 and -7/3 truncate toward zero; full scale stays full scale.
    EXPECT_EQ(Audio<int16_t>(mono, 0, 5, env.get()), (std::vector<int16_t>{2, -2, 32767, -10922, 0}));
    EXPECT_EQ(Audio<int16_t>(ints, 0, 1, env.get()), (std::vector<int16_t>{1, 2, 4}));

    const PClip floats = new AudioClip<float>(2, {0.5f, 0.25f, -1.0f, 0.5f}, SAMPLE_FLOAT);
    EXPECT_EQ(Audio<float>(Call(env.get(), "ConvertToMono", {floats}), 0, 2, env.get()),
              (std::vector<float>{0.375f, -0.25f}));

    const PClip already = new AudioClip<int16_t>(1, {5, 6}, SAMPLE_INT16);
    EXPECT_EQ(Call(env.get(), "ConvertToMono", {already}).get(), already.get());  // the same clip

    VideoInfo int32 = test::WithAudio(test::Rgb24Info(4, 2), 48000, 2);
    int32.sample_type = SAMPLE_INT32;
    EXPECT_EQ(InvokeError(env.get(), "ConvertToMono", {new test::PatternClip(int32)}),
              "ConvertToMono: only 16-bit integer and float audio are supported");
    const PClip silent = new test::PatternClip(test::Rgb24Info(4, 2));
    EXPECT_EQ(Call(env.get(), "ConvertToMono", {silent}).get(), silent.get());  // nothing to convert
}

TEST(FrameServerFilters, AmplifyScalesRoundsAndSaturates) {
    test::EnvPtr env = test::NewEnv();
    const PClip ints = new AudioClip<int16_t>(2, {1000, -1000, 20000, -20000, 3, -3}, SAMPLE_INT16);
    EXPECT_EQ(Audio<int16_t>(Call(env.get(), "Amplify", {ints, 2}), 0, 3, env.get()),
              (std::vector<int16_t>{2000, -2000, 32767, -32768, 6, -6}));
    // Halves round away from zero.
    EXPECT_EQ(Audio<int16_t>(Call(env.get(), "Amplify", {ints, 0.5}), 0, 3, env.get()),
              (std::vector<int16_t>{500, -500, 10000, -10000, 2, -2}));
    EXPECT_EQ(Audio<int16_t>(Call(env.get(), "Amplify", {ints, 1.0}), 0, 3, env.get()),
              Audio<int16_t>(ints, 0, 3, env.get()));  // identity
    // One factor per channel; extra factors are ignored.
    EXPECT_EQ(Audio<int16_t>(Call(env.get(), "Amplify", {ints, 1.0, -1.0, 9.0}), 0, 2, env.get()),
              (std::vector<int16_t>{1000, 1000, 20000, 20000}));
    EXPECT_EQ(Audio<int16_t>(ints, 0, 1, env.get()), (std::vector<int16_t>{1000, -1000}));

    // With fewer factors than channels the last one repeats.
    const PClip floats = new AudioClip<float>(3, {1.0f, 1.0f, 1.0f, 0.5f, -0.5f, 2.0f}, SAMPLE_FLOAT);
    EXPECT_EQ(Audio<float>(Call(env.get(), "Amplify", {floats, 2.0, 0.5}), 0, 2, env.get()),
              (std::vector<float>{2.0f, 0.5f, 0.5f, 1.0f, -0.25f, 1.0f}));
    EXPECT_EQ(Audio<float>(Call(env.get(), "Amplify", {floats, 3.0}), 1, 1, env.get()),
              (std::vector<float>{1.5f, -1.5f, 6.0f}));
    EXPECT_EQ(Audio<float>(Call(env.get(), "Amplify", {floats, 1.0}), 5, 1, env.get()),
              (std::vector<float>{0.0f, 0.0f, 0.0f}));  // past the end stays silent

    EXPECT_EQ(InvokeError(env.get(), "Amplify", {ints, std::numeric_limits<double>::quiet_NaN()}),
              "Amplify: factors must be finite numbers");
    const PClip silent = new test::PatternClip(test::Rgb24Info(4, 2));
    EXPECT_EQ(Call(env.get(), "Amplify", {silent, 2.0}).get(), silent.get());  // nothing to scale
    VideoInfo int8 = test::WithAudio(test::Rgb24Info(4, 2), 48000, 1);
    int8.sample_type = SAMPLE_INT8;
    EXPECT_EQ(InvokeError(env.get(), "Amplify", {new test::PatternClip(int8), 2.0}),
              "Amplify: only 16-bit integer and float audio are supported");
    EXPECT_EQ(InvokeError(env.get(), "Amplify", {ints}), "Script error: Invalid arguments to function \"Amplify\"");
}

}  // namespace
