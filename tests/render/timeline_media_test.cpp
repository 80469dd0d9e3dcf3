// Timelines as newcomers write them, composed in this process: phone clips and subtitle
// cues at their own times. Transitions of items smaller than the frame are the slots'
// (host_renderers_test.cpp) and the every-item case's.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <array>
#include <fstream>
#include <iterator>
#include <memory>

#include "tests/render/media_clips.h"
#include "tests/support/temp_dir.h"
#include "tools/ferrule-render/session.h"
#include "tools/ferrule-render/text_title.h"

namespace {

using rtest::PixelAt;
constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;

std::unique_ptr<render::Session> Open(const test::TempDir& dir, const std::string& output, const std::string& channels) {
    return std::make_unique<render::Session>(render::ParseTimeline(
        R"({"output": {)" + output + R"(}, "channels": [)" + channels + "]}", "t.json", dir.path().string()));
}

// Quarters red, green / white, blue, turned as the display matrix says (FFmpeg's player
// turns by minus its angle), at the top-left of a 16 x 16 frame.
TEST(TimelineMedia, PhoneClipsStandTheWayTheirDisplayMatrixSays) {
    test::TempDir dir;
    const std::pair<int, std::array<uint32_t, 4>> cases[] = {// -display_rotation; quarters from the top-left, clockwise
                                                             {0, {kRed, kGreen, kBlue, kWhite}},
                                                             {-90, {kWhite, kRed, kGreen, kBlue}},  // "rotate=90"
                                                             {180, {kBlue, kWhite, kRed, kGreen}},
                                                             {90, {kGreen, kBlue, kWhite, kRed}}};
    for (const auto& [ccw, quarters] : cases) {
        const std::string clip = dir / ("c" + std::to_string(ccw + 180) + ".mov");
        rtest::WriteClip(clip, 16, 8, 2, ccw, [](int x, int y) { return y < 4 ? (x < 8 ? kRed : kGreen) : (x < 8 ? kWhite : kBlue); });
        const auto s = Open(dir, R"("width": 16, "height": 16, "frames": 2)",
                            R"({"items": [{"type": "overlay", "first": 0, "last": 1, "media": ")" + clip + R"("}]})");
        const PVideoFrame f = s->Frame(1);
        const int w = ccw % 180 ? 8 : 16, h = ccw % 180 ? 16 : 8;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                ASSERT_EQ(PixelAt(f, 16, x, y), x >= w || y >= h ? 0 : quarters[y < h / 2 ? (x >= w / 2) : 3 - (x >= w / 2)])
                    << ccw << " at " << x << "," << y;
    }
}

// Cues at 0.5-1.0 s, 2.0-2.5 s and 3.5-4.0 s show on the frames that start within them,
// in the file's time whose frame 0 is the item's first frame less its clip_start. The
// retimed copy lives in the temporary folder as long as its session, even a failed one.
TEST(TimelineMedia, SubtitleCuesShowAtTheirOwnTimesAtAnyRate) {
    test::TempDir dir;
    const std::string srt = "1\n00:00:00,500 --> 00:00:01,000\nA\n\n2\n00:00:02,000 --> 00:00:02,500\nB\n\n"
                            "3\n00:00:03,500 --> 00:00:04,000\nC\n";
    dir.Write("c.srt", srt);
    dir.Write("C.SRT", srt);
    dir.Write("c.ass", "[Script Info]\nScriptType: v4.00+\n\n[Events]\nFormat: Layer, Start, End, Text\n"
                                    "Dialogue: 0,0:00:00.50,0:00:01.00,A\nDialogue: 0,0:00:02.00,0:00:02.50,B\n"
                                    "Dialogue: 0,0:00:03.50,0:00:04.00,C\n");
    dir.Write("bad.srt", std::string("\x00\x01", 2));
    const char* const tmp = getenv("TMPDIR");
    const std::string saved = tmp ? tmp : "";
    setenv("TMPDIR", dir.path().c_str(), 1);
    struct Case {
        const char *file, *fps;
        int first, clip_start;
        std::array<int, 6> edges;  // each cue's first frame and the frame after its last
    } const cases[] = {{"c.ass", "25", 0, 0, {13, 25, 50, 63, 88, 100}},
                       {"C.SRT", "24", 0, 0, {12, 24, 48, 60, 84, 96}},
                       {"c.srt", "\"30000/1001\"", 10, 5, {15, 30, 60, 75, 105, 120}}};
    const std::vector<std::string> files{"C.SRT", "bad.srt", "c.ass", "c.srt"};
    for (const Case& c : cases) {
        const auto s = Open(dir, R"("width": 64, "height": 48, "frames": 220, "fps": )" + std::string(c.fps),
                            R"({"items": [{"type": "subtitles", "first": )" + std::to_string(c.first) + R"(, "last": 219, "clip_start": )" +
                                std::to_string(c.clip_start) + R"(, "file": ")" + c.file + R"("}]})");
        EXPECT_EQ(dir.Names().size(), files.size() + 1);
        for (int i = 0; i < 6; ++i)
            for (const int frame : {c.edges[i] - 1, c.edges[i]}) {
                const PVideoFrame f = s->Frame(c.first + frame - c.clip_start);
                bool ink = false;
                for (int p = 0; p < 64 * 48 && !ink; ++p) ink = PixelAt(f, 48, p % 64, p / 64) != 0;
                EXPECT_EQ(ink, (frame == c.edges[i]) == (i % 2 == 0)) << c.file << " at " << c.fps << ", frame " << frame;
            }
    }
    EXPECT_THROW(Open(dir, "", R"({"items": [{"type": "subtitles", "first": 0, "last": 9, "file": "bad.srt"}]})"), std::runtime_error);
    EXPECT_EQ(dir.Names(), files) << "no copy outlives its session";
    std::ifstream kept(dir / "c.srt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), srt);
    if (tmp) setenv("TMPDIR", saved.c_str(), 1);
    else unsetenv("TMPDIR");
}

// Each CJK character its own shape, not the box DejaVu Sans draws for what it lacks,
// which a character in no font (U+10FFFD) still gets.
TEST(TimelineMedia, CjkTitlesDrawTheirCharacters) {
    const auto mask = [](const char* text) {
        render::Title t;
        t.text = text, t.size = 24;
        const auto title = render::TextTitle::Create(t);
        return std::make_pair(title->MaskWidth(), title->Mask());
    };
    const auto box = mask("\xF4\x8F\xBF\xBD"), zhong = mask("\xE4\xB8\xAD"), wen = mask("\xE6\x96\x87");  // 中, 文
    ASSERT_FALSE(box.second.empty() || zhong.second.empty() || wen.second.empty());
    EXPECT_NE(zhong, box);
    EXPECT_NE(wen, box);
    EXPECT_NE(zhong, wen);
}

}  // namespace
