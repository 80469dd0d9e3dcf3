// The frame server's portable video filters, reached through Invoke: frame-rate
// changes, flips, Reverse, Crop and AddBorders.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/call_outcome.h"

namespace {

using test::CallRow;
using test::FrameIs;
using test::Gradient;
using test::GradientClip;
using test::kPlanes;
using test::Shape;
using test::VideoFormat;

std::string Size(const PClip& clip) {
    return std::to_string(clip->GetVideoInfo().width) + "x" + std::to_string(clip->GetVideoInfo().height);
}

class FrameServerFilters : public ::testing::Test {
protected:
    PClip Call(const char* name, std::vector<AVSValue> args, const char** names = nullptr) {
        return test::Invoke(e, name, std::move(args), names).AsClip();
    }
    PVideoFrame Frame(const char* name, std::vector<AVSValue> args) {
        return Call(name, std::move(args))->GetFrame(0, e);
    }
    // The clip's shape, then the first byte of frames 0 1 2 3 6, the last and, where asked,
    // one far past it.
    std::string Frames(const PClip& clip, bool past = true) {
        const int last = clip->GetVideoInfo().num_frames - 1;
        std::string out = Shape(clip) + ":";
        for (int n : {0, 1, 2, 3, 6, last, past ? last + 400 : -1})
            if (n >= 0) out += " " + std::to_string(clip->GetFrame(n, e)->GetReadPtr()[0]);
        return out;
    }
    test::EnvPtr env = test::NewEnv();
    IScriptEnvironment* e = env.get();
    const PClip src = new test::PatternClip(test::WithAudio(test::Rgb24Info(4, 2), 48000, 2));  // 100 frames, stereo
};

TEST_F(FrameServerFilters, FrameRateChangesRetimeOrRepeatFrames) {
    // AssumeFPS: reduced; sync_audio, positionally too, scales the audio rate, halves
    // rounding up.
    for (const CallRow& r : {CallRow{{src, 50, 2}, "4x2 25/1 100f 48000Hz x2 192000"},
                             CallRow{{src, 24, 1, true}, "4x2 24/1 100f 46080Hz x2 192000"},
                             CallRow{{src, 1, 3840, true}, "4x2 1/3840 100f 1Hz x2 192000"},  // 0.5 Hz
                             CallRow{{src, 0, 1}, "AssumeFPS: the frame rate must be positive"}})
        EXPECT_EQ(test::Outcome(e, "AssumeFPS", r.args), r.want);

    // ChangeFPS: frame n is floor(n * old / new), past the end the last one; the length
    // rounds to nearest, halves up. Linear access (the default) refuses a ratio that
    // rounds, halves up, to more than 10: 25 fps to 50/21 is 10.5, to 2500/1049 is 10.49.
    const char* linear[] = {nullptr, nullptr, nullptr, "linear"};
    for (const CallRow& r : {
             CallRow{{src, 50}, "4x2 50/1 200f 48000Hz x2 192000: 0 0 1 1 3 99 99"},
             CallRow{{src, 10, 1}, "4x2 10/1 40f 48000Hz x2 192000: 0 2 5 7 15 97 99"},
             CallRow{{src, 30000, 1001, false}, "4x2 30000/1001 120f 48000Hz x2 192000: 0 0 1 2 5 99 99"},
             CallRow{{src, 25}, "4x2 25/1 100f 48000Hz x2 192000: 0 1 2 3 6 99 99"},  // identity
             CallRow{{src, 50, 21}, "ChangeFPS: Ratio must be less than 10 for linear access. Set LINEAR=False."},
             CallRow{{src, 2500, 1049, true}, "4x2 2500/1049 10f 48000Hz x2 192000: 0 10 20 31 62 94 99"},
             CallRow{{src, -1}, "ChangeFPS: the frame rate must be positive"},
         })
        EXPECT_EQ(test::Outcome(e, "ChangeFPS", r.args, linear, [&](const PClip& c) { return Frames(c); }), r.want);
}

TEST_F(FrameServerFilters, FlipsMirrorEveryFormatAndReversePlaysBackwards) {
    for (const VideoInfo& vi : {VideoFormat(VideoInfo::CS_BGR24, 3, 2), VideoFormat(VideoInfo::CS_BGR32, 3, 3),
                                VideoFormat(VideoInfo::CS_YUY2, 6, 2), VideoFormat(VideoInfo::CS_YV12, 6, 4)}) {
        SCOPED_TRACE(vi.pixel_type);
        auto* source = new GradientClip(vi, e);
        const PClip clip = source;
        const bool planar = vi.IsPlanar();
        const PVideoFrame v = Frame("FlipVertical", {clip});
        EXPECT_TRUE(
            FrameIs(v, planar, [&](int k, int r, int b) { return Gradient(k, v->GetHeight(kPlanes[k]) - 1 - r, b); }));
        // Whole pixels trade places; YUY2 macropixels also swap their two lumas.
        const int bpp = planar ? 1 : vi.IsRGB32() ? 4 : vi.IsRGB24() ? 3 : 0;
        const int yuy2[] = {10, 9, 8, 11, 6, 5, 4, 7, 2, 1, 0, 3};  // Y5 U2 Y4 V2 | Y3 U1 Y2 V1 | Y1 U0 Y0 V0
        const PVideoFrame h = Frame("FlipHorizontal", {clip});
        EXPECT_TRUE(FrameIs(h, planar, [&](int k, int r, int b) {
            return Gradient(k, r, bpp ? h->GetRowSize(kPlanes[k]) - bpp - b / bpp * bpp + b % bpp : yuy2[b]);
        }));
        EXPECT_TRUE(FrameIs(source->frame, planar, Gradient));  // the source is untouched
    }
    EXPECT_EQ(test::InvokeError(e, "FlipHorizontal", {test::SampleClip(1, SAMPLE_INT16, {1})}),
              "FlipHorizontal: clip has no video");

    // Reverse: frames from the end; whole sample frames keep their channel order, and
    // before the start is silence.
    const PClip rev = Call("Reverse", {src});
    EXPECT_EQ(Frames(rev, false), "4x2 25/1 100f 48000Hz x2 192000: 99 98 97 96 93 0");
    EXPECT_EQ(test::SampleText(rev, -1, 3, e),
              "s16 x2 192000: 0 0 -32263 -32262 -32270 -32269");  // 191999 * 7 as int16
}

TEST_F(FrameServerFilters, CropSharesAWindowOfTheSource) {
    // RGB32 8x6: picture rows 1..3 are memory rows 4..2.
    auto* rgb_source = new GradientClip(VideoFormat(VideoInfo::CS_BGR32, 8, 6), e);
    const PClip rgb = rgb_source;
    const PVideoFrame window = Frame("Crop", {rgb, 2, 1, 4, 3});
    EXPECT_EQ(window->GetFrameBuffer(), rgb_source->frame->GetFrameBuffer());  // shared, not copied
    EXPECT_TRUE(FrameIs(window, false, [](int k, int r, int b) { return Gradient(k, r + 2, b + 8); }));

    // YUV counts rows from the top; YV12's chroma follows at half the offsets.
    const PClip yv12 = new GradientClip(VideoFormat(VideoInfo::CS_YV12, 8, 8), e);
    EXPECT_TRUE(FrameIs(Frame("Crop", {yv12, 2, 4, -2, 2}), true, [](int k, int r, int b) {
        return k ? Gradient(k, r + 2, b + 1) : Gradient(k, r + 4, b + 2);
    }));

    const std::string shift = "Crop: you cannot use crop to enlarge or 'shift' a clip";
    for (const CallRow& r :
         {CallRow{{rgb, 2, 1, 0, 0}, "6x5"},    // zero reaches the edge
          CallRow{{rgb, 2, 1, -2, -2}, "4x3"},  // negative: from the right and bottom
          CallRow{{yv12, 2, 4, -2, 2}, "4x2"}, CallRow{{rgb, 6, 0, 4, 6}, shift}, CallRow{{rgb, 0, 4, 4, 4}, shift},
          CallRow{{rgb, -1, 0, 4, 4}, "Crop: Top and Left must be more than 0"}})
        EXPECT_EQ(test::Outcome(e, "Crop", r.args, nullptr, Size), r.want);
}

TEST_F(FrameServerFilters, AddBordersFramesThePicture) {
    // RGB32 2x2 with left 1, top 2, right 3, bottom 1: 6x5, the picture at memory rows 1-2.
    auto* rgb_source = new GradientClip(VideoFormat(VideoInfo::CS_BGR32, 2, 2), e);
    const PClip rgb = rgb_source;
    EXPECT_TRUE(
        FrameIs(Frame("AddBorders", {rgb, 1, 2, 3, 1, static_cast<int>(0x80102030u)}), false, [](int, int r, int b) {
            const int colour[] = {0x30, 0x20, 0x10, 0x80};
            return r >= 1 && r <= 2 && b >= 4 && b < 12 ? Gradient(0, r - 1, b - 4) : colour[b % 4];
        }));
    const PClip yuy2 = new GradientClip(VideoFormat(VideoInfo::CS_YUY2, 2, 1), e);
    // YV12: every plane framed, chroma by half; the default black is 16/128/128.
    const PClip yv12 = new GradientClip(VideoFormat(VideoInfo::CS_YV12, 2, 2), e);
    EXPECT_TRUE(FrameIs(Frame("AddBorders", {yv12, 2, 2, 0, 2}), true, [](int k, int r, int b) {
        const int off = k ? 1 : 2, size = k ? 1 : 2;
        const bool inside = r >= off && r < off + size && b >= off && b < off + size;
        return inside ? Gradient(k, r - off, b - off) : k ? 128 : 16;
    }));

    // The sizes above; a negative size is no border. What YUV refuses (a border that would
    // split a chroma pair) no user meets: what the stand-in imports is RGB.
    for (const CallRow& r : {CallRow{{rgb, 1, 2, 3, 1}, "6x5"}, CallRow{{yv12, 2, 2, 0, 2}, "4x6"},
                             CallRow{{rgb, -3, 1, -2, -1}, "2x3"}, CallRow{{yuy2, 0, 1, 2, 1}, "4x3"}})
        EXPECT_EQ(test::Outcome(e, "AddBorders", r.args, nullptr, Size), r.want);
}

}  // namespace
