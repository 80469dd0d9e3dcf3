// Subtitle cues on the frames their own times fall on at any frame rate, though the
// library clocks subtitle files at 30 fps.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <array>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/render/media_clips.h"
#include "tests/render/render_support.h"
#include "tools/ferrule-render/session.h"

namespace {

constexpr const char* kSrt =
    "1\n00:00:00,500 --> 00:00:01,000\nOne\n\n2\n00:00:02,000 --> 00:00:02,500\nTwo\n\n"
    "3\n00:00:03,500 --> 00:00:04,000\nThree\n";
constexpr const char* kAss =
    "[Script Info]\nScriptType: v4.00+\nPlayResX: 64\nPlayResY: 48\n\n[V4+ Styles]\n"
    "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, BackColour, Bold, Italic, "
    "Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, "
    "MarginV, Encoding\nStyle: Default,DejaVu Sans,20,&H00FFFFFF,&H000000FF,&H00000000,&H00000000,0,0,0,0,100,100,0,0,"
    "1,0,0,2,0,0,0,1\n\n[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n"
    "Dialogue: 0,0:00:00.50,0:00:01.00,Default,,0,0,0,,One\nDialogue: 0,0:00:02.00,0:00:02.50,Default,,0,0,0,,Two\n"
    "Dialogue: 0,0:00:03.50,0:00:04.00,Default,,0,0,0,,Three\n";

// Cues at 0.5-1.0 s, 2.0-2.5 s and 3.5-4.0 s show on the frames that start within
// them: at 25 fps frames 13-24, 50-62 and 88-99 of the file's own time, whose frame
// 0 is the item's first frame less its clip_start.
// The temporary folder is the test's own, so the retimed copies can be counted.
class Subtitles : public ::testing::Test {
protected:
    void SetUp() override { setenv("TMPDIR", dir.path().c_str(), 1); }
    void TearDown() override {
        if (had_tmp_) setenv("TMPDIR", saved_tmp_.c_str(), 1);
        else unsetenv("TMPDIR");
    }
    render::Timeline Timeline(const std::string& fps, int first, int clip_start, const std::string& file) const {
        return render::ParseTimeline(R"({"output": {"width": 64, "height": 48, "frames": 220, "fps": )" + fps +
                                         R"(}, "channels": [{"items": [{"type": "subtitles", "first": )" + std::to_string(first) +
                                         R"(, "last": 219, "clip_start": )" + std::to_string(clip_start) + R"(, "file": ")" + file + R"("}]}]})",
                                     "t.json", dir.path().string());
    }
    rtest::TempDir dir;

private:
    const bool had_tmp_ = getenv("TMPDIR") != nullptr;
    const std::string saved_tmp_ = had_tmp_ ? getenv("TMPDIR") : "";
};

TEST_F(Subtitles, CuesShowOnTheFramesTheirTimesFallOnAtAnyRate) {
    rtest::WriteText(dir / "cues.srt", kSrt);
    rtest::WriteText(dir / "CUES.SRT", kSrt);
    rtest::WriteText(dir / "cues.ass", kAss);
    struct Case {
        const char* file;
        const char* fps;
        int first, clip_start;
        std::array<int, 3> starts, ends;  // the cues' first frame and the frame after their last, in the file's time
    } const cases[] = {
        {"cues.srt", "25", 0, 0, {13, 50, 88}, {25, 63, 100}},
        {"cues.ass", "25", 0, 0, {13, 50, 88}, {25, 63, 100}},
        {"cues.srt", R"("30000/1001")", 0, 0, {15, 60, 105}, {30, 75, 120}},
        {"CUES.SRT", "24", 0, 0, {12, 48, 84}, {24, 60, 96}},
        {"cues.srt", "50", 0, 0, {25, 100, 175}, {50, 125, 200}},
        {"cues.srt", "25", 10, 5, {13, 50, 88}, {25, 63, 100}},
    };
    for (const Case& c : cases) {
        {
            const render::Session session(Timeline(c.fps, c.first, c.clip_start, c.file));
            EXPECT_EQ(dir.Names().size(), 4u) << "one retimed copy beside the three files";
            const auto inked = [&](int file_frame) {
                const PVideoFrame f = session.Frame(c.first + file_frame - c.clip_start);
                for (int y = 0; y < 48; ++y)
                    for (int x = 0; x < 64; ++x)
                        if (rtest::PixelAt(f, 48, x, y)) return true;
                return false;
            };
            for (int i = 0; i < 3; ++i) {
                EXPECT_FALSE(inked(c.starts[i] - 1)) << c.file << " at " << c.fps << ": cue " << i << " early";
                EXPECT_TRUE(inked(c.starts[i])) << c.file << " at " << c.fps << ": cue " << i << " late";
                EXPECT_TRUE(inked(c.ends[i] - 1)) << c.file << " at " << c.fps << ": cue " << i << " short";
                EXPECT_FALSE(inked(c.ends[i])) << c.file << " at " << c.fps << ": cue " << i << " long";
            }
        }
        EXPECT_EQ(dir.Names(), (std::vector<std::string>{"CUES.SRT", "cues.ass", "cues.srt"})) << "the copy goes with its session";
    }
    std::ifstream in(dir / "cues.srt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), kSrt) << "the timeline's file is left as it was";
}

TEST_F(Subtitles, AFileWithoutCuesNamesItselfAndLeavesNoCopy) {
    rtest::WriteText(dir / "empty.srt", std::string("\x00\x01 no subtitles\n", 15));
    try {
        render::Session session(Timeline("25", 0, 0, "empty.srt"));
        ADD_FAILURE() << "placed";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(e.what(), dir / "empty.srt" + ": cannot be read: Invalid data found when processing input");
    }
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"empty.srt"});
}

}  // namespace
