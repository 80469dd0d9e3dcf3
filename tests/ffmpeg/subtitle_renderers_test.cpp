// "TextSub" and "VobSub" over 30 fps RGB clips, on subtitle files the tests write.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/test_support.h"

namespace {

constexpr int kWidth = 320, kHeight = 240;

// An environment and a folder of files of its own, removed afterwards.
class SubFiles : public testing::Test {
protected:
    PClip Blank(const char* type, int color = 0x204060) const {
        const char* names[] = {"width", "height", "pixel_type", "color", "fps", "fps_denominator", "length"};
        return test::Invoke(env.get(), "BlankClip", {kWidth, kHeight, type, color, 30, 1, 90}, names).AsClip();
    }
    PClip Render(const char* name, const PClip& clip, const std::string& path) const {
        return test::Invoke(env.get(), name, {clip, path.c_str()}).AsClip();
    }

    test::EnvPtr env = test::NewEnv();
    const test::TempDir dir;
};

// One line from 1 s to 2 s in a style of its own.
constexpr char kAss[] =
    "[Script Info]\nScriptType: v4.00+\nPlayResX: 320\nPlayResY: 240\n\n[V4+ Styles]\n"
    "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, BackColour, Bold, Italic, "
    "Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, Alignment, MarginL, "
    "MarginR, MarginV, Encoding\n"
    "Style: Default,DejaVu Sans,24,&H00FFFFFF,&H000000FF,&H00000000,&H00000000,0,0,0,0,100,100,0,0,1,2,0,2,10,10,10,1"
    "\n\n[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n"
    "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,Hello subtitles\n";
double Ink(const std::vector<uint8_t>& rgb) { return std::accumulate(rgb.begin(), rgb.end(), 0.0); }

// The same libass and fonts through FFmpeg's own filter draw the reference at 1.5 s:
// the same ink to a few percent, and nearly the same pixels (blending rounds its own
// way); the clip's alpha is left as it was. Styles are libass's own business.
TEST_F(SubFiles, TextSubDrawsALineAsFfmpegsSubtitlesFilter) {
    const std::string path = dir.Write("line.ass", kAss);
    const std::string command =
        "ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i color=black:s=320x240:r=30 "
        "-vf \"format=rgb24,subtitles=filename='" + path + "'\" -ss 1.5 -frames:v 1 -f rawvideo -pix_fmt rgb24 '" +
        path + ".rgb'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::string reference = dir.Read("line.ass.rgb");
    const std::vector<uint8_t> want(reference.begin(), reference.end());
    ASSERT_EQ(want.size(), size_t{kWidth} * kHeight * 3);
    const PClip clip = Blank("RGB32", 0);
    const std::vector<uint8_t> in = test::RowBytes(clip->GetFrame(0, env.get()));
    const PVideoFrame f = Render("TextSub", clip, path)->GetFrame(45, env.get());
    std::vector<uint8_t> got;  // top-down RGB
    for (int y = kHeight - 1; y >= 0; --y)
        for (int x = 0; x < kWidth; ++x) {
            for (int c = 2; c >= 0; --c) got.push_back(f->GetReadPtr()[y * f->GetPitch() + 4 * x + c]);
            ASSERT_EQ(f->GetReadPtr()[y * f->GetPitch() + 4 * x + 3], 0) << "alpha stays the clip's";
        }
    double apart = 0;
    for (size_t i = 0; i < got.size(); ++i) apart += std::abs(got[i] - want[i]);
    EXPECT_GT(Ink(want), 0);
    EXPECT_NEAR(Ink(got) / Ink(want), 1.0, 0.03);
    EXPECT_LT(apart, 0.2 * Ink(want));
    EXPECT_EQ(test::RowBytes(clip->GetFrame(45, env.get())), in) << "the input frame is left alone";
}

class SubVob : public SubFiles {
protected:
    // An .idx and the MPEG-PS .sub with one DVD subpicture: palette entry 1 (red, opaque)
    // over x 10..49, y 200..219, from 1.000 s for 87 * 1024 / 90 ms (to 1.989 s).
    void WritePair() const {
        std::string palette = "000000, ff0000";
        for (int i = 2; i < 16; ++i) palette += ", ffffff";
        dir.Write("pair.idx", "# VobSub index file, v7 (do not modify this line!)\nsize: 320x240\npalette: " + palette +
                                  "\nid: en, index: 0\ntimestamp: 00:00:01:000, filepos: 000000000\n");
        std::string spu = {0, 54, 0, 24};
        for (int y = 0; y < 10; ++y) spu += std::string("\x00\x01", 2);  // a row: the rest of the line in colour 1
        // Shown now; colour 1 -> palette 1 at full alpha; x 10..49, y 200..219; both fields read the same rows.
        spu += std::string(
            "\x00\x00\x00\x30\x01\x03\x00\x10\x04\x00\xF0\x05\x00\xA0\x31\x0C\x80\xDB\x06\x00\x04\x00\x04\xFF"
            "\x00\x57\x00\x30\x02\xFF",
            30);
        const std::string pack("\x00\x00\x01\xBA\x44\x00\x04\x00\x04\x01\x01\x89\xC3\xF8", 14);
        const std::string pes =
            std::string("\x00\x00\x01\xBD\x00", 5) + char(4 + spu.size()) + "\x81" + std::string("\x00\x00\x20", 3);
        dir.Write("pair.sub", pack + pes + spu);
    }
};

TEST_F(SubVob, CompositesThePaletteRectangleWhileItIsShown) {
    WritePair();
    for (const char* name : {"pair.idx", "pair.sub"}) {
        SCOPED_TRACE(name);
        const PClip clip = Blank("RGB24");
        const std::vector<uint8_t> in = test::RowBytes(clip->GetFrame(0, env.get()));
        const PClip out = Render("VobSub", clip, dir / name);
        const int row_size = clip->GetVideoInfo().RowSize();
        for (int n : {0, 29, 60}) EXPECT_EQ(test::RowBytes(out->GetFrame(n, env.get())), in) << "frame " << n;
        std::vector<uint8_t> want = in;
        for (int y = 200; y < 220; ++y)  // picture row y is memory row 239 - y
            for (int x = 10; x < 50; ++x) std::memcpy(&want[(kHeight - 1 - y) * row_size + x * 3], "\0\0\xFF", 3);
        for (int n : {30, 59}) EXPECT_EQ(test::RowBytes(out->GetFrame(n, env.get())), want) << "frame " << n;
    }
}

TEST_F(SubVob, BothRenderersNameWhatIsWrong) {
    WritePair();
    const PClip rgb = Blank("RGB24"), yuy2 = Blank("YUY2");
    const std::string idx = dir.Write("garbage.idx", "no index here\n");
    dir.Write("garbage.sub", std::string(64, '\0'));
    const struct {
        const char* name;
        PClip clip;
        std::string path, want;
    } rows[] = {
        {"TextSub", rgb, dir / "missing.srt", "TextSub: cannot open \"" + dir / "missing.srt" + "\""},
        {"TextSub", yuy2, dir.Write("line.ass", kAss), "TextSub: input must be RGB24 or RGB32"},
        {"VobSub", rgb, idx, "VobSub: cannot read subtitles from \"" + idx + "\""},
        {"VobSub", yuy2, dir / "pair.idx", "VobSub: input must be RGB24 or RGB32"},
    };
    for (const auto& r : rows) EXPECT_EQ(test::ErrorOf([&] { Render(r.name, r.clip, r.path); }), r.want);
}

}  // namespace
