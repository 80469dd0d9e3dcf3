// "TextSub" over 30 fps RGB clips, on subtitle files the tests write.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 320, kHeight = 240;

// An environment and a folder of files of its own, removed afterwards.
class SubFiles : public testing::Test {
protected:
    SubFiles() : dir_(fs::temp_directory_path() / ("ferrule_sub_" + std::to_string(getpid()))) {
        fs::create_directories(dir_);
    }
    ~SubFiles() override { fs::remove_all(dir_); }

    std::string Write(const char* name, const std::string& bytes) const {
        const std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    PClip Blank(const char* type) const {
        const AVSValue args[] = {kWidth, kHeight, type, 0x204060, 30, 1, 90};
        const char* names[] = {"width", "height", "pixel_type", "color", "fps", "fps_denominator", "length"};
        return env->Invoke("BlankClip", AVSValue(args, 7), names).AsClip();
    }
    PClip Render(const char* name, const PClip& clip, const std::string& path) const {
        const AVSValue args[] = {clip, path.c_str()};
        return env->Invoke(name, AVSValue(args, 2)).AsClip();
    }
    std::string Error(const char* name, const PClip& clip, const std::string& path) const {
        try {
            Render(name, clip, path);
        } catch (const AvisynthError& e) {
            return e.msg;
        }
        return "(no error)";
    }

    test::EnvPtr env = test::NewEnv();
    const fs::path dir_;
};

class SubText : public SubFiles {};

std::vector<uint8_t> Bytes(const PVideoFrame& f) {
    std::vector<uint8_t> out;
    for (int y = 0; y < f->GetHeight(); ++y)
        out.insert(out.end(), f->GetReadPtr() + y * f->GetPitch(),
                   f->GetReadPtr() + y * f->GetPitch() + f->GetRowSize());
    return out;
}

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

const char kAss[] =
    "[Script Info]\nScriptType: v4.00+\nPlayResX: 320\nPlayResY: 240\n\n[V4+ Styles]\n"
    "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, BackColour, Bold, Italic, "
    "Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, Alignment, MarginL, "
    "MarginR, MarginV, Encoding\n"
    "Style: Default,DejaVu Sans,24,&H00FFFFFF,&H000000FF,&H00000000,&H00000000,0,0,0,0,100,100,0,0,1,2,0,2,10,10,10,1"
    "\n\n[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n"
    "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,Hello subtitles\n";
const char kSrt[] = "1\n00:00:01,000 --> 00:00:02,000\nHello subtitles\n\n";

TEST_F(SubText, DrawsTheLineInTheLowerPictureOnlyWhileItLasts) {
    for (const char* type : {"RGB32", "RGB24"})
        for (const auto& [name, text] : {std::pair{"line.ass", kAss}, std::pair{"line.srt", kSrt}}) {
            SCOPED_TRACE(std::string(type) + " " + name);
            const PClip clip = Blank(type);
            const std::vector<uint8_t> in = Bytes(clip->GetFrame(0, env.get()));
            const PClip out = Render("TextSub", clip, Write(name, text));
            const int row_size = clip->GetVideoInfo().RowSize(), bpp = row_size / kWidth;
            for (int n : {0, 29, 60, 89}) EXPECT_EQ(Bytes(out->GetFrame(n, env.get())), in) << "frame " << n;
            for (int n : {30, 45, 59}) {
                const std::vector<uint8_t> f = Bytes(out->GetFrame(n, env.get()));
                const auto [first, last] = ChangedRows(in, f, row_size);
                EXPECT_GE(first, 0) << "frame " << n;
                EXPECT_LT(last, kHeight / 4) << "frame " << n << ": bottom-aligned text sits in the first rows";
                EXPECT_GE(*std::max_element(f.begin(), f.end()), 0xF0)
                    << "white text over a background of 0x60 at most";
                for (size_t i = 3; bpp == 4 && i < f.size(); i += 4) ASSERT_EQ(f[i], 0) << "alpha stays the clip's";
            }
            EXPECT_EQ(Bytes(clip->GetFrame(45, env.get())), in) << "the input frame is left alone";
        }
}

TEST_F(SubText, NamesWhatIsWrong) {
    const PClip rgb = Blank("RGB32");
    const std::string missing = (dir_ / "missing.srt").string();
    EXPECT_EQ(Error("TextSub", rgb, missing), "TextSub: cannot open \"" + missing + "\"");
    for (const char* name : {"garbage.ass", "garbage.srt"}) {
        const std::string path = Write(name, std::string("\x00\x01\x02\x03 no subtitles\n", 20));
        EXPECT_EQ(Error("TextSub", rgb, path), "TextSub: cannot read subtitles from \"" + path + "\"");
    }
    EXPECT_EQ(Error("TextSub", Blank("YUY2"), Write("line.ass", kAss)), "TextSub: input must be RGB24 or RGB32");
}

}  // namespace
