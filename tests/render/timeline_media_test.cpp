// Media files as they come from cameras and phones: pictures turned upright as the
// display matrix says, stills held for their item's whole range.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "tests/render/media_clips.h"
#include "tests/render/render_support.h"
#include "tools/ferrule-render/media_source.h"
#include "tools/ferrule-render/png_frames.h"
#include "tools/ferrule-render/session.h"

namespace {

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

// The source's left column blue and its bottom row green, over red.
TEST(TurnFunctions, TurnRgbPicturesAQuarterOrAHalfTurn) {
    render::EnvPtr env = render::NewFrameServer();
    struct Case {
        const char* function;
        int width, height;
        char blue_line, green_line;  // L, R, T, B: which edge of the result
    } const cases[] = {{"TurnRight", 3, 5, 'T', 'L'}, {"TurnLeft", 3, 5, 'B', 'R'}, {"Turn180", 5, 3, 'R', 'T'}};
    for (const char* type : {"RGB24", "RGB32"}) {
        const AVSValue blank_args[] = {4, 2, type, 0xFF0000};
        const char* blank_names[] = {"width", "height", "pixel_type", "color"};
        PClip src = env->Invoke("BlankClip", AVSValue(blank_args, 4), blank_names).AsClip();
        const AVSValue left[] = {src, 1, 0, 0, 0, 0x0000FF};
        src = env->Invoke("AddBorders", AVSValue(left, 6)).AsClip();
        const AVSValue bottom[] = {src, 0, 0, 0, 1, 0x00FF00};
        src = env->Invoke("AddBorders", AVSValue(bottom, 6)).AsClip();
        for (const Case& c : cases) {
            const PClip turned = env->Invoke(c.function, AVSValue(src)).AsClip();
            const VideoInfo& vi = turned->GetVideoInfo();
            ASSERT_EQ(vi.width, c.width) << c.function;
            ASSERT_EQ(vi.height, c.height);
            const PVideoFrame f = turned->GetFrame(0, env.get());
            const int bpp = vi.IsRGB32() ? 4 : 3;
            for (int y = 0; y < c.height; ++y)
                for (int x = 0; x < c.width; ++x) {
                    const auto on = [&](char edge) {
                        return edge == 'L' ? x == 0 : edge == 'R' ? x == c.width - 1 : edge == 'T' ? y == 0 : y == c.height - 1;
                    };
                    const uint8_t* p = f->GetReadPtr() + (c.height - 1 - y) * f->GetPitch() + bpp * x;
                    const uint32_t got = uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
                    EXPECT_EQ(got, on(c.green_line) ? kGreen : on(c.blue_line) ? kBlue : kRed)
                        << type << " " << c.function << " " << x << "," << y;
                }
        }
        const AVSValue yuy2_args[] = {4, 2, "YUY2"};
        const PClip yuy2 = env->Invoke("BlankClip", AVSValue(yuy2_args, 3), blank_names).AsClip();
        try {
            env->Invoke("TurnLeft", AVSValue(yuy2));
            ADD_FAILURE() << "a YUY2 clip turned";
        } catch (const AvisynthError& e) {
            EXPECT_STREQ(e.msg, "TurnLeft: the clip must be RGB24 or RGB32");
        }
    }
}

// A 16 x 8 clip of four coloured quarters, with the display matrix a phone writes: the
// output shows it turned as FFmpeg's player shows it, at the top-left of a 16 x 16 frame.
TEST(MediaOverlay, ShowsAPhoneClipTheWayUpItsDisplayMatrixSays) {
    rtest::TempDir dir;
    struct Case {
        int display_ccw;  // FFmpeg's -display_rotation; -90 is what "rotate=90" metadata means
        int turn;
        std::array<uint32_t, 4> quarters;  // top-left, top-right, bottom-right, bottom-left
    } const cases[] = {{0, 0, {kRed, kGreen, kBlue, kWhite}},
                       {-90, 90, {kWhite, kRed, kGreen, kBlue}},
                       {180, 180, {kBlue, kWhite, kRed, kGreen}},
                       {90, 270, {kGreen, kBlue, kWhite, kRed}}};
    for (const Case& c : cases) {
        const std::string clip = dir / ("turn" + std::to_string(c.turn) + ".mov");
        rtest::WriteClip(clip, {16, 8, 2, 25, 1, c.display_ccw, [](int x, int y, int) {
                                    return y < 4 ? (x < 8 ? kRed : kGreen) : (x < 8 ? kWhite : kBlue);
                                }});
        EXPECT_EQ(render::ProbeMedia(clip).turn, c.turn);
        EXPECT_FALSE(render::ProbeMedia(clip).still);
        const render::Timeline t = render::ParseTimeline(
            R"({"output": {"width": 16, "height": 16, "frames": 2}, "channels": [{"items": [
                {"type": "overlay", "first": 0, "last": 1, "media": ")" + clip + R"("}]}]})",
            "t.json", dir.path().string());
        const render::Session session(t);
        const PVideoFrame f = session.Frame(1);
        const int w = c.turn % 180 ? 8 : 16, h = c.turn % 180 ? 16 : 8;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const bool right = x >= w / 2, low = y >= h / 2;
                const uint32_t want = x >= w || y >= h ? 0 : c.quarters[low ? (right ? 2 : 3) : (right ? 1 : 0)];
                ASSERT_EQ(rtest::PixelAt(f, 16, x, y), want) << "turn " << c.turn << " at " << x << "," << y;
            }
    }
}

// A picture as an overlay shows on every frame of its item, whatever its clip_start; a
// two-frame clip, not a still, still ends after its two frames.
TEST(MediaOverlay, AStillShowsForItsItemsWholeRange) {
    rtest::TempDir dir;
    std::vector<uint8_t> bgr(4 * 3 * 2);
    for (size_t i = 0; i < bgr.size(); ++i) bgr[i] = uint8_t(40 + 10 * i);
    render::WritePngFrame(dir / "still.png", bgr.data(), 12, 4, 2);
    rtest::WriteClip(dir / "two.mov", {4, 2, 2, 25, 1, 0, [](int, int, int) { return kGreen; }});
    EXPECT_TRUE(render::ProbeMedia(dir / "still.png").still);
    const render::Timeline t = render::ParseTimeline(R"({"output": {"width": 8, "height": 4, "frames": 12}, "channels": [
        {"items": [{"type": "overlay", "first": 2, "last": 9, "media": "still.png"}]},
        {"items": [{"type": "overlay", "first": 3, "last": 10, "clip_start": 5, "media": "still.png", "corners": [[4, 0], [8, 0], [8, 2], [4, 2]]}]},
        {"items": [{"type": "overlay", "first": 0, "last": 11, "media": "two.mov", "corners": [[4, 2], [8, 2], [8, 4], [4, 4]]}]}]})",
                                                     "t.json", dir.path().string());
    const render::Session session(t);
    // The picture's bottom-up rows: top row (y 0) is the file's second memory row.
    const auto still = [&](int x, int y) {
        const uint8_t* p = bgr.data() + (1 - y) * 12 + 3 * x;
        return uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
    };
    for (int n = 0; n < 12; ++n) {
        const PVideoFrame f = session.Frame(n);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x) {
                EXPECT_EQ(rtest::PixelAt(f, 4, x, y), n >= 2 && n <= 9 ? still(x, y) : 0) << n;
                EXPECT_EQ(rtest::PixelAt(f, 4, x + 4, y), n >= 3 && n <= 10 ? still(x, y) : 0) << n;
                EXPECT_EQ(rtest::PixelAt(f, 4, x + 4, y + 2), n < 2 ? kGreen : 0) << n;
            }
    }
}

}  // namespace
