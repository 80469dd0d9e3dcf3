// The frame server's portable filters, reached through Invoke: frame-rate changes,
// flips, Reverse, Crop, AddBorders and the audio channel functions.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

#include "tests/support/clips.h"

namespace {

using test::FrameIs;
using test::Gradient;
using test::GradientClip;
using test::InvokeError;
using test::kPlanes;
using test::Samples;
using test::Shape;
using test::SampleClip;
using test::VideoFormat;

PClip Call(IScriptEnvironment* env, const char* name, std::vector<AVSValue> args, const char** names = nullptr) {
    return test::Invoke(env, name, std::move(args), names).AsClip();
}

// The first byte of each frame asked for.
std::vector<int> Firsts(const PClip& clip, std::initializer_list<int> frames, IScriptEnvironment* env) {
    std::vector<int> out;
    for (int n : frames) out.push_back(clip->GetFrame(n, env)->GetReadPtr()[0]);
    return out;
}

std::string Size(const PClip& clip) {
    return std::to_string(clip->GetVideoInfo().width) + "x" + std::to_string(clip->GetVideoInfo().height);
}

// A call's arguments and what it gives: the result described, or the error.
struct Row {
    std::vector<AVSValue> args;
    std::string want;
};
std::string Outcome(IScriptEnvironment* env, const char* name, const Row& row, const char** names = nullptr,
                    std::string (*describe)(const PClip&) = Shape) {
    std::string got;
    const std::string error = test::ErrorOf([&] { got = describe(Call(env, name, row.args, names)); });
    return error == "(no error)" ? got : error;
}

int16_t Pattern(int64_t s, int ch) { return static_cast<int16_t>(s * 7 + ch); }

::testing::AssertionResult StillGradient(const GradientClip& clip) {
    return FrameIs(clip.frame, clip.frame->GetPitch(PLANAR_U) != 0, Gradient);
}

class FrameServerFilters : public ::testing::Test {
protected:
    test::EnvPtr env = test::NewEnv();
    IScriptEnvironment* e = env.get();
    const PClip src = new test::PatternClip(test::WithAudio(test::Rgb24Info(4, 2), 48000, 2));  // 100 frames, stereo
};

TEST_F(FrameServerFilters, AssumeFpsChangesTheRateAndOptionallyTheAudioRate) {
    const char* sync[] = {nullptr, nullptr, nullptr, "sync_audio"};
    const PClip synced = Call(e, "AssumeFPS", {src, 24, 1, true}, sync);
    EXPECT_EQ(Shape(synced), "4x2 24/1 100f 46080Hz x2 192000");  // 48000 * 24 / 25
    EXPECT_EQ(Samples<int16_t>(synced, 5, 2, e), (std::vector<int16_t>{35, 36, 42, 43}));
    EXPECT_EQ(Shape(src), "4x2 25/1 100f 48000Hz x2 192000");  // the source keeps its rate

    // Reduced; one integer means a denominator of 1; a float goes over 1000; sync_audio
    // positionally too (57542.4 Hz).
    const std::string positive = "AssumeFPS: the frame rate must be positive";
    for (const Row& r : {Row{{src, 50, 2}, "4x2 25/1 100f 48000Hz x2 192000"},
                         Row{{src, 30}, "4x2 30/1 100f 48000Hz x2 192000"},
                         Row{{src, 29.97, true}, "4x2 2997/100 100f 57542Hz x2 192000"},
                         Row{{src, 25, 0}, "AssumeFPS: Denominator cannot be 0 (zero)."}, Row{{src, 0, 1}, positive},
                         Row{{src, -2.5}, positive}})
        EXPECT_EQ(Outcome(e, "AssumeFPS", r), r.want);
    // Halves round up: 5 Hz at 2 fps played at 1 fps is 2.5 Hz.
    VideoInfo slow = test::WithAudio(test::Rgb24Info(4, 2), 5, 1);
    slow.fps_numerator = 2;
    EXPECT_EQ(Call(e, "AssumeFPS", {new test::PatternClip(slow), 1, 1, true})->GetVideoInfo().audio_samples_per_second,
              3);
}

TEST_F(FrameServerFilters, ChangeFpsRepeatsOrDropsFramesAndKeepsTheAudio) {
    const PClip doubled = Call(e, "ChangeFPS", {src, 50});
    EXPECT_EQ(Shape(doubled), "4x2 50/1 200f 48000Hz x2 192000");
    EXPECT_EQ(Firsts(doubled, {0, 1, 2, 3, 199}, e), (std::vector<int>{0, 0, 1, 1, 99}));
    // Frame n is floor(n * 2.5), past the end the last one; the audio is the source's.
    const PClip fewer = Call(e, "ChangeFPS", {src, 10, 1});
    EXPECT_EQ(Shape(fewer), "4x2 10/1 40f 48000Hz x2 192000");
    EXPECT_EQ(Firsts(fewer, {0, 1, 2, 3, 39, 500}, e), (std::vector<int>{0, 2, 5, 7, 97, 99}));
    EXPECT_EQ(Samples<int16_t>(fewer, 10, 1, e), (std::vector<int16_t>{70, 71}));
    // 119.88 frames round to 120; frame n is floor(n * 25 * 1001 / 30000): 0.834, 5.005, 99.27.
    const char* linear[] = {nullptr, nullptr, nullptr, "linear"};
    const PClip ntsc = Call(e, "ChangeFPS", {src, 30000, 1001, false}, linear);
    EXPECT_EQ(Shape(ntsc), "4x2 30000/1001 120f 48000Hz x2 192000");
    EXPECT_EQ(Firsts(ntsc, {1, 6, 119}, e), (std::vector<int>{0, 5, 99}));
    // The length rounds to nearest, halves up: 5 frames at 2 fps become 2.5 at 1 fps.
    VideoInfo five = test::Rgb24Info(4, 2, 5);
    five.fps_numerator = 2;
    EXPECT_EQ(Call(e, "ChangeFPS", {new test::PatternClip(five), 1})->GetVideoInfo().num_frames, 3);

    // Linear access (the default) refuses a ratio that rounds, halves up, to more than 10:
    // 25 fps to 50/21 is 10.5, to 2.38 is 10.504, to 2500/1049 is 10.49.
    const std::string too_far = "ChangeFPS: Ratio must be less than 10 for linear access. Set LINEAR=False.";
    for (const Row& r : {Row{{src, 12.5}, "4x2 25/2 50f 48000Hz x2 192000"}, Row{{src, 25}, Shape(src)},  // identity
                         Row{{src, 50, 21}, too_far}, Row{{src, 2.38}, too_far},
                         Row{{src, 50, 21, false}, "4x2 50/21 10f 48000Hz x2 192000"},
                         Row{{src, 2500, 1049, true}, "4x2 2500/1049 10f 48000Hz x2 192000"},
                         Row{{src, 25, 0}, "ChangeFPS: Denominator cannot be 0 (zero)."},
                         Row{{src, -1}, "ChangeFPS: the frame rate must be positive"}})
        EXPECT_EQ(Outcome(e, "ChangeFPS", r, linear), r.want);
}

TEST_F(FrameServerFilters, FlipsMirrorEveryFormat) {
    struct Case {
        int pixel_type, width, height;
    };
    for (const Case c : {Case{VideoInfo::CS_BGR24, 3, 2}, Case{VideoInfo::CS_BGR32, 3, 3},
                         Case{VideoInfo::CS_YUY2, 6, 2}, Case{VideoInfo::CS_YV12, 6, 4}}) {
        SCOPED_TRACE(c.pixel_type);
        const VideoInfo vi = VideoFormat(c.pixel_type, c.width, c.height);
        auto* source = new GradientClip(vi, e);
        const PClip clip = source;
        const bool planar = vi.IsPlanar();

        const PVideoFrame v = Call(e, "FlipVertical", {clip})->GetFrame(0, e);
        EXPECT_TRUE(FrameIs(v, planar, [&](int k, int r, int b) {
            return Gradient(k, v->GetHeight(kPlanes[k]) - 1 - r, b);
        }));

        // Whole pixels trade places; YUY2 macropixels also swap their two lumas.
        const int bpp = planar ? 1 : vi.IsRGB32() ? 4 : vi.IsRGB24() ? 3 : 0;
        const int yuy2[] = {10, 9, 8, 11, 6, 5, 4, 7, 2, 1, 0, 3};  // Y5 U2 Y4 V2 | Y3 U1 Y2 V1 | Y1 U0 Y0 V0
        const PVideoFrame h = Call(e, "FlipHorizontal", {clip})->GetFrame(0, e);
        EXPECT_TRUE(FrameIs(h, planar, [&](int k, int r, int b) {
            return Gradient(k, r, bpp ? h->GetRowSize(kPlanes[k]) - bpp - b / bpp * bpp + b % bpp : yuy2[b]);
        }));

        const PClip back = Call(e, "FlipVertical", {Call(e, "FlipVertical", {Call(e, "FlipHorizontal", {clip})})});
        EXPECT_TRUE(FrameIs(Call(e, "FlipHorizontal", {back})->GetFrame(0, e), planar, Gradient));  // identity
        EXPECT_TRUE(StillGradient(*source));
    }

    EXPECT_EQ(Samples<int16_t>(Call(e, "FlipVertical", {src}), 3, 1, e), (std::vector<int16_t>{21, 22}));
    EXPECT_EQ(InvokeError(e, "FlipHorizontal", {SampleClip(1, SAMPLE_INT16, {1})}),
              "FlipHorizontal: clip has no video");
}

TEST_F(FrameServerFilters, ReversePlaysFramesAndAudioBackwards) {
    const PClip rev = Call(e, "Reverse", {src});
    EXPECT_EQ(Shape(rev), Shape(src));
    EXPECT_EQ(Firsts(rev, {0, 4, 99}, e), (std::vector<int>{99, 95, 0}));
    EXPECT_EQ(rev->GetParity(0), src->GetParity(99));

    // Whole sample frames keep their channel order; past either end is silence.
    std::vector<int16_t> last;
    for (int s = 191999; s > 191996; --s) last.insert(last.end(), {Pattern(s, 0), Pattern(s, 1)});
    EXPECT_EQ(Samples<int16_t>(rev, 0, 3, e), last);
    EXPECT_EQ(Samples<int16_t>(rev, 191998, 4, e), (std::vector<int16_t>{7, 8, 0, 1, 0, 0, 0, 0}));
    EXPECT_EQ(Samples<int16_t>(rev, -2, 3, e), (std::vector<int16_t>{0, 0, 0, 0, last[0], last[1]}));
    const PClip floats = SampleClip(1, SAMPLE_FLOAT, {0.5f, -0.25f, 1.0f});
    EXPECT_EQ(Samples<float>(Call(e, "Reverse", {floats}), 0, 3, e), (std::vector<float>{1.0f, -0.25f, 0.5f}));
}

TEST_F(FrameServerFilters, CropSharesAWindowOfTheSource) {
    // RGB32 8x6: picture rows 1..3 are memory rows 4..2.
    auto* rgb_source = new GradientClip(VideoFormat(VideoInfo::CS_BGR32, 8, 6), e);
    const PClip rgb = rgb_source;
    for (const auto& [width, height] : {std::pair{4, 3}, std::pair{-2, -2}}) {  // negative: from the right and bottom
        const PClip c = Call(e, "Crop", {rgb, 2, 1, width, height});
        EXPECT_EQ(Size(c), "4x3");
        const PVideoFrame f = c->GetFrame(0, e);
        EXPECT_EQ(f->GetFrameBuffer(), rgb_source->frame->GetFrameBuffer());  // shared, not copied
        EXPECT_TRUE(FrameIs(f, false, [](int k, int r, int b) { return Gradient(k, r + 2, b + 8); }));
    }
    EXPECT_TRUE(FrameIs(Call(e, "Crop", {rgb, 0, 0, 0, 0})->GetFrame(0, e), false, Gradient));  // identity

    // align: an unaligned window comes back as an aligned copy of the same pixels.
    const char* align[] = {nullptr, nullptr, nullptr, nullptr, nullptr, "align"};
    const PVideoFrame aligned = Call(e, "Crop", {rgb, 1, 0, 4, 2, true}, align)->GetFrame(0, e);
    EXPECT_NE(aligned->GetFrameBuffer(), rgb_source->frame->GetFrameBuffer());
    EXPECT_EQ(reinterpret_cast<uintptr_t>(aligned->GetReadPtr()) % FRAME_ALIGN, 0u);
    EXPECT_TRUE(FrameIs(aligned, false, [](int k, int r, int b) { return Gradient(k, r + 4, b + 4); }));
    EXPECT_TRUE(StillGradient(*rgb_source));

    // YUY2 and YV12 count rows from the top; chroma follows at half the offsets.
    const PClip yuy2 = new GradientClip(VideoFormat(VideoInfo::CS_YUY2, 8, 4), e);
    EXPECT_TRUE(FrameIs(Call(e, "Crop", {yuy2, 2, 1, 4, 2})->GetFrame(0, e), false,
                        [](int k, int r, int b) { return Gradient(k, r + 1, b + 4); }));
    auto* yv12_source = new GradientClip(VideoFormat(VideoInfo::CS_YV12, 8, 8), e);
    const PClip yv12 = yv12_source;
    const auto window = [](int k, int r, int b) { return k ? Gradient(k, r + 2, b + 1) : Gradient(k, r + 4, b + 2); };
    for (const bool copy : {false, true}) {
        const PClip c = Call(e, "Crop", {yv12, 2, 4, -2, 2, copy});
        EXPECT_EQ(Size(c), "4x2");
        EXPECT_TRUE(FrameIs(c->GetFrame(0, e), true, window)) << copy;
    }
    EXPECT_TRUE(StillGradient(*yv12_source));

    const std::string shift = "Crop: you cannot use crop to enlarge or 'shift' a clip";
    for (const Row& r : {Row{{rgb, 2, 1, 0, 0}, "6x5"},  // zero reaches the edge
                         Row{{rgb, 0, 0, 9, 6}, shift}, Row{{rgb, 6, 0, 4, 6}, shift}, Row{{rgb, 0, 4, 8, 3}, shift},
                         Row{{rgb, -1, 0, 4, 4}, "Crop: Top and Left must be more than 0"},
                         Row{{rgb, 4, 0, -4, 0}, "Crop: Destination width is 0 or less."},
                         Row{{rgb, 0, 6, 0, 0}, "Crop: Destination height is 0 or less."},
                         Row{{yuy2, 1, 0, 4, 2}, "Crop: YUV images can only be cropped by even numbers (left side)."},
                         Row{{yuy2, 2, 1, 3, 2}, "Crop: YUV images can only be cropped by even numbers (right side)."},
                         Row{{yv12, 2, 1, 4, 2}, "Crop: YV12 images can only be cropped by even numbers (top)."},
                         Row{{yv12, 2, 2, 4, 3}, "Crop: YV12 images can only be cropped by even numbers (bottom)."},
                         Row{{rgb, 0, 0, 4}, "Script error: Invalid arguments to function \"Crop\""}})
        EXPECT_EQ(Outcome(e, "Crop", r, nullptr, Size), r.want);
}

TEST_F(FrameServerFilters, AddBordersFramesThePicture) {
    // RGB32 2x2 with left 1, top 2, right 3, bottom 1: 6x5, the picture at memory rows 1-2.
    auto* rgb_source = new GradientClip(VideoFormat(VideoInfo::CS_BGR32, 2, 2), e);
    const PClip rgb = rgb_source;
    const PClip framed = Call(e, "AddBorders", {rgb, 1, 2, 3, 1, static_cast<int>(0x80102030u)});
    EXPECT_TRUE(FrameIs(framed->GetFrame(0, e), false, [](int, int r, int b) {
        const int colour[] = {0x30, 0x20, 0x10, 0x80};
        return r >= 1 && r <= 2 && b >= 4 && b < 12 ? Gradient(0, r - 1, b - 4) : colour[b % 4];
    }));
    EXPECT_TRUE(StillGradient(*rgb_source));
    EXPECT_TRUE(FrameIs(Call(e, "AddBorders", {rgb, 0, 0, 0, 0})->GetFrame(0, e), false, Gradient));  // identity

    const PClip rgb24 = new GradientClip(VideoFormat(VideoInfo::CS_BGR24, 2, 1), e);
    EXPECT_TRUE(FrameIs(Call(e, "AddBorders", {rgb24, 1, 1, 0, 0, 0x123456})->GetFrame(0, e), false,
                        [](int, int r, int b) {
                            const int colour[] = {0x56, 0x34, 0x12};
                            return r == 0 && b >= 3 ? Gradient(0, 0, b - 3) : colour[b % 3];  // top is memory row 1
                        }));

    // YUY2 in studio-range white.
    const PClip yuy2_source = new GradientClip(VideoFormat(VideoInfo::CS_YUY2, 2, 1), e);
    const PClip yuy2 = Call(e, "AddBorders", {yuy2_source, 2, 1, 0, 0, 0xFFFFFF});
    EXPECT_TRUE(FrameIs(yuy2->GetFrame(0, e), false, [](int, int r, int b) {
        const int white[] = {235, 128, 235, 128};
        return r == 1 && b >= 4 ? Gradient(0, 0, b - 4) : white[b % 4];
    }));

    // YV12: every plane framed, chroma by half; the default black is 16/128/128.
    const PClip yv12_source = new GradientClip(VideoFormat(VideoInfo::CS_YV12, 2, 2), e);
    const PClip yv12 = Call(e, "AddBorders", {yv12_source, 2, 2, 0, 2});
    EXPECT_TRUE(FrameIs(yv12->GetFrame(0, e), true, [](int k, int r, int b) {
        const int off = k ? 1 : 2, size = k ? 1 : 2;
        const bool inside = r >= off && r < off + size && b >= off && b < off + size;
        return inside ? Gradient(k, r - off, b - off) : k ? 128 : 16;
    }));

    // The sizes above; a negative size is no border; YUV refuses a border that would split
    // a chroma pair.
    const std::string pairs = "AddBorders: YUV images can only have borders of even width (left and right).";
    for (const Row& r : {Row{{rgb, 1, 2, 3, 1}, "6x5"}, Row{{yuy2_source, 2, 1, 0, 0}, "4x2"},
                         Row{{yv12_source, 2, 2, 0, 2}, "4x6"}, Row{{rgb, -3, 1, -2, -1}, "2x3"},
                         Row{{yuy2_source, -1, 0, 0, 0}, "2x1"},
                         Row{{yuy2_source, 0, 1, 2, 1}, "4x3"}, Row{{yuy2_source, 3, 1, 1, 0}, pairs},
                         Row{{yuy2_source, 2, 0, 1, 0}, pairs}, Row{{yv12_source, 1, 0, 1, 0}, pairs},
                         Row{{yv12_source, 2, 2, 0, 3},
                             "AddBorders: YV12 images can only have borders of even height (top and bottom)."}})
        EXPECT_EQ(Outcome(e, "AddBorders", r, nullptr, Size), r.want);
}

TEST_F(FrameServerFilters, AudioChannelFunctionsPickAverageAndScale) {
    const PClip three = new test::PatternClip(test::WithAudio(test::Rgb24Info(4, 2), 48000, 3));
    const PClip picked = Call(e, "GetChannel", {three, 3, 1});
    EXPECT_EQ(picked->GetVideoInfo().nchannels, 2);
    EXPECT_EQ(Shape(picked), "4x2 25/1 100f 48000Hz x2 192000");
    EXPECT_EQ(Samples<int16_t>(picked, 10, 2, e), (std::vector<int16_t>{72, 70, 79, 77}));
    EXPECT_EQ(Samples<int16_t>(Call(e, "GetChannel", {three, 2, 2, 2}), 1, 1, e), (std::vector<int16_t>{8, 8, 8}));
    EXPECT_EQ(Samples<int16_t>(Call(e, "GetChannel", {three, 1, 2, 3}), 4, 2, e), Samples<int16_t>(three, 4, 2, e));
    const PClip stereo_float = SampleClip(2, SAMPLE_FLOAT, {0.5f, -1.0f, 0.25f, 2.0f});
    EXPECT_EQ(Samples<float>(Call(e, "GetChannel", {stereo_float, 2}), 0, 2, e), (std::vector<float>{-1.0f, 2.0f}));

    // ConvertToMono: 7/3 and -7/3 truncate toward zero; full scale stays full scale.
    const PClip mixed = SampleClip(3, SAMPLE_INT16, {1, 2, 4, -1, -2, -4, 32767, 32767, 32767, -32768, 0, 1});
    const PClip mono = Call(e, "ConvertToMono", {mixed});
    EXPECT_EQ(mono->GetVideoInfo().nchannels, 1);
    EXPECT_EQ(mono->GetVideoInfo().num_audio_samples, 4);
    EXPECT_EQ(Samples<int16_t>(mono, 0, 5, e), (std::vector<int16_t>{2, -2, 32767, -10922, 0}));
    EXPECT_EQ(Samples<float>(Call(e, "ConvertToMono", {stereo_float}), 0, 2, e), (std::vector<float>{-0.25f, 1.125f}));

    // Amplify: halves round away from zero, sums saturate; one factor per channel, extra ones
    // ignored, the last one repeated when there are fewer; past the end stays silent.
    const PClip ints = SampleClip(2, SAMPLE_INT16, {1000, -1000, 20000, -20000, 3, -3});
    const auto amplified = [&](std::initializer_list<AVSValue> args) {
        return Samples<int16_t>(Call(e, "Amplify", args), 0, 3, e);
    };
    EXPECT_EQ(amplified({ints, 2}), (std::vector<int16_t>{2000, -2000, 32767, -32768, 6, -6}));
    EXPECT_EQ(amplified({ints, 0.5}), (std::vector<int16_t>{500, -500, 10000, -10000, 2, -2}));
    EXPECT_EQ(amplified({ints, 1.0}), Samples<int16_t>(ints, 0, 3, e));  // identity
    EXPECT_EQ(amplified({ints, 1.0, -1.0, 9.0}), (std::vector<int16_t>{1000, 1000, 20000, 20000, 3, 3}));
    const PClip floats = SampleClip(3, SAMPLE_FLOAT, {1.0f, 1.0f, 1.0f, 0.5f, -0.5f, 2.0f});
    EXPECT_EQ(Samples<float>(Call(e, "Amplify", {floats, 2.0, 0.5}), 0, 3, e),
              (std::vector<float>{2.0f, 0.5f, 0.5f, 1.0f, -0.25f, 1.0f, 0, 0, 0}));

    // 8- and 24-bit audio is mixed and scaled as float, 32-bit integer audio mixed as float
    // and scaled as it is, saturating. The samples are 1/2, -1/2, 1/4 and 3/4 of full scale.
    for (const auto& [type, full] : {std::pair{SAMPLE_INT8, 128.0}, std::pair{SAMPLE_INT24, 8388608.0},
                                     std::pair{SAMPLE_INT32, 2147483648.0}}) {
        const PClip wide = SampleClip(2, type, {full / 2, -full / 2, full / 4, full * 3 / 4});
        EXPECT_EQ(Samples<float>(Call(e, "ConvertToMono", {wide}), 0, 3, e), (std::vector<float>{0, 0.5f, 0})) << type;
        const PClip loud = Call(e, "Amplify", {wide, 2.0, 0.5});
        if (type == SAMPLE_INT32)
            EXPECT_EQ(Samples<int32_t>(loud, 0, 2, e), (std::vector<int32_t>{INT32_MAX, -(1 << 29), 1 << 30, 3 << 28}));
        else
            EXPECT_EQ(Samples<float>(loud, 0, 2, e), (std::vector<float>{1.0f, -0.25f, 0.5f, 0.375f})) << type;
    }

    // Without audio there is nothing to convert or scale: the same clip; GetChannel refuses.
    const PClip silent = new test::PatternClip(test::Rgb24Info(4, 2));
    EXPECT_EQ(Call(e, "ConvertToMono", {silent}).get(), silent.get());
    EXPECT_EQ(Call(e, "Amplify", {silent, 2.0}).get(), silent.get());
    const PClip already = SampleClip(1, SAMPLE_INT16, {5, 6});
    EXPECT_EQ(Call(e, "ConvertToMono", {already}).get(), already.get());
    EXPECT_EQ(InvokeError(e, "GetChannel", {silent, 1}), "GetChannel: clip has no audio");
    const char* missing = "GetChannel: Attempted to select a channel that does not exist";
    EXPECT_EQ(InvokeError(e, "GetChannel", {three, 0}), missing);
    EXPECT_EQ(InvokeError(e, "GetChannel", {three, 1, 4}), missing);
    EXPECT_EQ(InvokeError(e, "Amplify", {ints, std::numeric_limits<double>::quiet_NaN()}),
              "Amplify: factors must be finite numbers");
    EXPECT_EQ(InvokeError(e, "GetChannel", {three}), "Script error: Invalid arguments to function \"GetChannel\"");
    EXPECT_EQ(InvokeError(e, "Amplify", {three}), "Script error: Invalid arguments to function \"Amplify\"");
}

}  // namespace
