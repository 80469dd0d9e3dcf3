// Timeline files: what a good one says, and the message each kind of bad one gets.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tools/ferrule-render/timeline.h"

namespace {

using render::ParseTimeline;
using render::TimelineError;

std::string ErrorOf(const std::string& text) {
    try {
        ParseTimeline(text, "t.json", "/nonexistent-base");
    } catch (const TimelineError& e) {
        return e.what();
    }
    return "(accepted)";
}

TEST(Timeline, ReadsEveryItemKindWithItsDefaults) {
    const render::Timeline t = ParseTimeline(R"({
        "output": {"width": 320, "height": 180, "fps": 30, "frames": 60},
        "channels": [
          {"items": [{"type": "overlay", "first": 0, "last": 59,
                      "generate": {"kind": "gradient", "tone": true},
                      "corners": [[10, 10], [100, 20], [90, 80], [5, 70]],
                      "key_colour": "#00FF00", "outline_width": 3, "outline_colour": "#80FF0000",
                      "crop": [1, 2, 3, 4], "transition": "wipe-left"}]},
          {"visible": false, "items": [{"type": "title", "first": 5, "last": 9, "text": "Hi"},
                                       {"type": "slide", "first": 10, "last": 19, "transition": "zoom-in"}]}
        ]})", "t.json", "/");
    EXPECT_EQ(t.output.width, 320);
    EXPECT_EQ(t.output.audio_rate, 48000);
    ASSERT_EQ(t.channels.size(), 2u);
    EXPECT_FALSE(t.channels[1].visible);
    const auto& ov = std::get<render::Overlay>(t.channels[0].items[0].what);
    EXPECT_EQ(ov.source.generate, "gradient");
    EXPECT_EQ(ov.source.width, 160) << "half the output unless given";
    EXPECT_EQ(ov.effect.key_colour, 0x00FF00u);
    EXPECT_EQ(ov.effect.outline_colour, 0x80FF0000u);
    EXPECT_EQ(ov.effect.crop, (std::array<int, 4>{1, 2, 3, 4}));
    EXPECT_EQ(ov.effect.transition, render::TransitionKind::kWipeLeft);
    EXPECT_EQ(ov.effect.transition_length, 10);
    EXPECT_FLOAT_EQ(ov.effect.corners[2][0], 90.0f);
    EXPECT_EQ(std::get<render::Title>(t.channels[1].items[0].what).text, "Hi");
    EXPECT_EQ(std::get<render::Slide>(t.channels[1].items[1].what).transition, render::TransitionKind::kZoomIn);
}

// Each fault, at every level of objects, and the path it is reported at.
TEST(Timeline, EachFaultNamesItsPath) {
    EXPECT_EQ(ErrorOf(R"({"channels": [)").rfind("t.json: syntax error at byte ", 0), 0u);
    const auto item = [](const std::string& keys) { return R"({"channels": [{"items": [{)" + keys + "}]}]}"; };
    const std::string title = R"("type": "title", "first": 0, "last": 1, )";
    const std::pair<std::string, std::string> cases[] = {
        {R"({"channels": [], "colour": 1})", "/colour: unknown key"},
        {R"({"output": {"fps": 25, "rate": 1}, "channels": []})", "/output/rate: unknown key"},
        {R"({"channels": [{"items": [], "hidden": true}]})", "/channels/0/hidden: unknown key"},
        {item(title + R"("text": "a", "sise": 3)"), "/channels/0/items/0/sise: unknown key"},
        {item(R"("type": "overlay", "first": 0, "last": 1, "generate": {"kind": "checker", "colr": "#000000"})"),
         "/channels/0/items/0/generate/colr: unknown key"},
        {R"({"output": {"frames": -3}, "channels": []})", "/output/frames: must be from 1 to 10000000"},
        {R"({"output": {"width": "wide"}, "channels": []})", "/output/width: must be an integer"},
        {item(R"("type": "title", "first": "0", "last": 1, "text": "x")"), "/channels/0/items/0/first: must be an integer"},
        {item(title + R"("text": 5)"), "/channels/0/items/0/text: must be a string"},
        {item(R"("type": "overlay", "first": 0, "last": 1, "media": "gone.mkv")"),
         "/channels/0/items/0/media: no such file \"/nonexistent-base/gone.mkv\""},
        {item(R"("type": "subtitles", "first": 0, "last": 1, "file": "none.srt")"),
         "/channels/0/items/0/file: no such file \"/nonexistent-base/none.srt\""},
        {item(R"("type": "pictures", "first": 0, "last": 1, "files": ["gone.png"])"),
         "/channels/0/items/0/files/0: no such file \"/nonexistent-base/gone.png\""},
        {item(R"("type": "slide", "first": 4, "last": 3)"), "/channels/0/items/0/last: must not be before first"},
        {item(R"("type": "slide", "first": 0, "last": 3, "transition": "spin")"),
         "/channels/0/items/0/transition: unknown transition \"spin\""},
    };
    for (const auto& [text, message] : cases) EXPECT_EQ(ErrorOf(text), "t.json: " + message) << text;
}

// DVD subtitles keep the library's 30 frames a second: said for every other rate.
TEST(Timeline, WarnsOfDvdSubtitlesAtAnotherRate) {
    const struct {
        const char* fps;
        const char* file;
        std::vector<std::string> warnings;
    } cases[] = {
        {"30", "s.idx", {}},
        {"30", "s.srt", {}},
        {"25", "s.srt", {}},
        {"25", "s.idx", {"t.json: /channels/0/items/0/file: DVD subtitles keep their times at 30 frames per second, so they run late at this rate"}},
        {"\"60000/1001\"", "s.idx", {"t.json: /channels/0/items/0/file: DVD subtitles keep their times at 30 frames per second, so they run early at this rate"}},
    };
    const test::TempDir dir;
    for (const char* name : {"s.idx", "s.sub", "s.srt"}) dir.Write(name, "");
    for (const auto& c : cases) {
        const std::string text = std::string(R"({"output": {"fps": )") + c.fps +
                                 R"(}, "channels": [{"items": [{"type": "subtitles", "first": 0, "last": 1, "file": ")" + c.file +
                                 R"("}]}]})";
        EXPECT_EQ(render::TimelineWarnings(ParseTimeline(text, "t.json", dir.path().string())), c.warnings) << text;
    }
}

}  // namespace
