// "TextSub" and "VobSub" over 30 fps RGB clips, on subtitle files the tests write.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/ffmpeg/subtitle_texts.h"
#include "tests/support/temp_dir.h"
#include "tests/test_support.h"

namespace {

constexpr int kWidth = 320, kHeight = 240;

// An environment and a folder of files of its own, removed afterwards.
class SubFiles : public testing::Test {
protected:
    PClip Blank(const char* type, int color = 0x204060) const {
        const AVSValue args[] = {kWidth, kHeight, type, color, 30, 1, 90};
        const char* names[] = {"width", "height", "pixel_type", "color", "fps", "fps_denominator", "length"};
        return env->Invoke("BlankClip", AVSValue(args, 7), names).AsClip();
    }
    PClip Render(const char* name, const PClip& clip, const std::string& path) const {
        const AVSValue args[] = {clip, path.c_str()};
        return env->Invoke(name, AVSValue(args, 2)).AsClip();
    }
    std::string Error(const char* name, const PClip& clip, const std::string& path) const {
        return test::ErrorOf([&] { Render(name, clip, path); });
    }

    test::EnvPtr env = test::NewEnv();
    const test::TempDir dir;
};

class SubText : public SubFiles {
protected:
    // TextSub's frame 0 on black, as top-down RGB rows.
    std::vector<uint8_t> Picture(const std::string& path) const {
        const PVideoFrame f = Render("TextSub", Blank("RGB32", 0), path)->GetFrame(0, env.get());
        std::vector<uint8_t> rgb;
        for (int y = kHeight - 1; y >= 0; --y)
            for (int x = 0; x < kWidth; ++x)
                for (int c = 2; c >= 0; --c) rgb.push_back(f->GetReadPtr()[y * f->GetPitch() + 4 * x + c]);
        return rgb;
    }
};

// Memory rows (bottom-up) holding a byte unlike the input's, as [first, last]; -1 if none.
std::pair<int, int> ChangedRows(const std::vector<uint8_t>& in, const std::vector<uint8_t>& out, int row_size) {
    std::pair<int, int> rows{-1, -1};
    for (int y = 0; y < kHeight; ++y)
        if (std::memcmp(in.data() + y * row_size, out.data() + y * row_size, row_size) != 0) {
            if (rows.first < 0) rows.first = y;
            rows.second = y;
        }
    return rows;
}

using test::kAss;
using test::kSrt;

TEST_F(SubText, DrawsTheLineInTheLowerPictureOnlyWhileItLasts) {
    for (const char* type : {"RGB32", "RGB24"})
        for (const auto& [name, text] : {std::pair{"line.ass", kAss}, std::pair{"line.srt", kSrt}}) {
            SCOPED_TRACE(std::string(type) + " " + name);
            const PClip clip = Blank(type);
            const std::vector<uint8_t> in = test::RowBytes(clip->GetFrame(0, env.get()));
            const PClip out = Render("TextSub", clip, dir.Write(name, text));
            const int row_size = clip->GetVideoInfo().RowSize(), bpp = row_size / kWidth;
            for (int n : {0, 29, 60, 89}) EXPECT_EQ(test::RowBytes(out->GetFrame(n, env.get())), in) << "frame " << n;
            for (int n : {30, 45, 59}) {
                const std::vector<uint8_t> f = test::RowBytes(out->GetFrame(n, env.get()));
                const auto [first, last] = ChangedRows(in, f, row_size);
                EXPECT_GE(first, 0) << "frame " << n;
                EXPECT_LT(last, kHeight / 4) << "frame " << n << ": bottom-aligned text sits in the first rows";
                EXPECT_GE(*std::max_element(f.begin(), f.end()), 0xF0)
                    << "white text over a background of 0x60 at most";
                for (size_t i = 3; bpp == 4 && i < f.size(); i += 4) ASSERT_EQ(f[i], 0) << "alpha stays the clip's";
            }
            EXPECT_EQ(test::RowBytes(clip->GetFrame(45, env.get())), in) << "the input frame is left alone";
        }
}

TEST_F(SubText, NamesWhatIsWrong) {
    const PClip rgb = Blank("RGB32");
    const std::string missing = dir / "missing.srt";
    EXPECT_EQ(Error("TextSub", rgb, missing), "TextSub: cannot open \"" + missing + "\"");
    for (const char* name : {"garbage.ass", "garbage.srt"}) {
        const std::string path = dir.Write(name, std::string("\x00\x01\x02\x03 no subtitles\n", 18));
        EXPECT_EQ(Error("TextSub", rgb, path), "TextSub: cannot read subtitles from \"" + path + "\"");
    }
    EXPECT_EQ(Error("TextSub", Blank("YUY2"), dir.Write("line.ass", kAss)), "TextSub: input must be RGB24 or RGB32");
}

// One line shown from the start in a style of its own, in both text formats.
std::string AssIn(int bold, int italic) {
    std::string ass = test::kAss;
    ass.replace(ass.find(",0,0,0,0,100,"), 13, "," + std::to_string(bold) + "," + std::to_string(italic) + ",0,0,100,");
    ass.replace(ass.find("0:00:01.00,0:00:02.00"), 21, "0:00:00.00,0:00:05.00");
    return ass;
}
std::string SrtIn(const std::string& tag) {
    const std::string line = tag.empty() ? "Hello subtitles" : "<" + tag + ">Hello subtitles</" + tag + ">";
    return "1\n00:00:00,000 --> 00:00:05,000\n" + line + "\n\n";
}
struct Styled {
    const char* file;
    std::string text;
};
const Styled kStyled[] = {
    {"regular.ass", AssIn(0, 0)}, {"bold.ass", AssIn(-1, 0)},  {"italic.ass", AssIn(0, -1)},
    {"regular.srt", SrtIn("")},  {"bold.srt", SrtIn("b")},    {"italic.srt", SrtIn("i")},
};

double Ink(const std::vector<uint8_t>& rgb) {
    double sum = 0;
    for (uint8_t v : rgb) sum += v;
    return sum;
}

TEST_F(SubText, BoldStylesDrawTheFamilysBoldFace) {
    if (!std::filesystem::exists("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"))
        GTEST_SKIP() << "DejaVu Sans has no bold face on this machine";
    // Thickening the regular face gives a sixth more ink, a bold face (DejaVu Sans Bold,
    // or whichever face the system puts in Arial's place for SRT) half as much again.
    for (int i : {0, 3}) {
        SCOPED_TRACE(kStyled[i + 1].file);
        const double regular = Ink(Picture(dir.Write(kStyled[i].file, kStyled[i].text)));
        const double bold = Ink(Picture(dir.Write(kStyled[i + 1].file, kStyled[i + 1].text)));
        EXPECT_GT(regular, 0);
        EXPECT_GT(bold, 1.4 * regular);
    }
}

// The same libass and fonts through FFmpeg's own filter give the same picture: the same
// ink to a few percent, and nearly the same pixels (blending rounds its own way; another
// face puts most of the ink elsewhere). One ffmpeg run draws every file.
TEST_F(SubText, StyledTextMatchesFfmpegsSubtitlesFilter) {
    if (std::system("ffmpeg -hide_banner -filters 2>/dev/null | grep -q ' subtitles '") != 0)
        GTEST_SKIP() << "no ffmpeg with its subtitles filter to draw the reference";
    const size_t n = std::size(kStyled);
    std::string graph = "[0]format=rgb24,split=" + std::to_string(n), outputs;
    for (size_t i = 0; i < n; ++i) graph += "[in" + std::to_string(i) + "]";
    for (size_t i = 0; i < n; ++i) {
        const std::string path = dir.Write(kStyled[i].file, kStyled[i].text), k = std::to_string(i);
        graph += ";[in" + k + "]subtitles=filename='" + path + "'[out" + k + "]";
        outputs += " -map [out" + k + "] -frames:v 1 -f rawvideo -pix_fmt rgb24 " + path + ".rgb";
    }
    const std::string command = "ffmpeg -hide_banner -loglevel error -y -f lavfi -i color=black:s=" +
                                std::to_string(kWidth) + "x" + std::to_string(kHeight) + " -filter_complex \"" +
                                graph + "\"" + outputs;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    for (const Styled& s : kStyled) {
        SCOPED_TRACE(s.file);
        std::ifstream in(dir / s.file + ".rgb", std::ios::binary);
        const std::vector<uint8_t> want{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        ASSERT_EQ(want.size(), size_t{kWidth} * kHeight * 3);
        const std::vector<uint8_t> got = Picture(dir / s.file);
        double apart = 0;
        for (size_t i = 0; i < got.size(); ++i) apart += std::abs(got[i] - want[i]);
        EXPECT_GT(Ink(want), 0);
        EXPECT_NEAR(Ink(got) / Ink(want), 1.0, 0.03);
        EXPECT_LT(apart, 0.2 * Ink(want));
    }
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
    for (const char* type : {"RGB32", "RGB24"})
        for (const char* name : {"pair.idx", "pair.sub"}) {
            SCOPED_TRACE(std::string(type) + " " + name);
            const PClip clip = Blank(type);
            const std::vector<uint8_t> in = test::RowBytes(clip->GetFrame(0, env.get()));
            const PClip out = Render("VobSub", clip, dir / name);
            const int row_size = clip->GetVideoInfo().RowSize(), bpp = row_size / kWidth;
            for (int n : {0, 29, 60}) EXPECT_EQ(test::RowBytes(out->GetFrame(n, env.get())), in) << "frame " << n;
            std::vector<uint8_t> want = in;
            for (int y = 200; y < 220; ++y)  // picture row y is memory row 239 - y
                for (int x = 10; x < 50; ++x) std::memcpy(&want[(kHeight - 1 - y) * row_size + x * bpp], "\0\0\xFF", 3);
            for (int n : {30, 59}) EXPECT_EQ(test::RowBytes(out->GetFrame(n, env.get())), want) << "frame " << n;
            EXPECT_EQ(test::RowBytes(clip->GetFrame(30, env.get())), in) << "the input frame is left alone";
        }
}

TEST_F(SubVob, NamesWhatIsWrong) {
    const PClip rgb = Blank("RGB24");
    const std::string missing = dir / "missing.idx";
    EXPECT_EQ(Error("VobSub", rgb, missing), "VobSub: cannot open \"" + missing + "\"");
    const std::string garbage = dir.Write("garbage.idx", "no index here\n");
    dir.Write("garbage.sub", std::string(64, '\0'));
    EXPECT_EQ(Error("VobSub", rgb, garbage), "VobSub: cannot read subtitles from \"" + garbage + "\"");
    WritePair();
    EXPECT_EQ(Error("VobSub", Blank("YUY2"), dir / "pair.idx"), "VobSub: input must be RGB24 or RGB32");
}

}  // namespace
