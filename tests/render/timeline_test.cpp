// Timeline files: the message each kind of bad one gets, and the rates they may give.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/error_of.h"
#include "tests/support/temp_dir.h"
#include "tools/ferrule-render/timeline.h"

namespace {

using render::ParseTimeline;

std::string ErrorOf(const std::string& text) {
    return test::ErrorOf<render::TimelineError>([&] { ParseTimeline(text, "t.json", "/nonexistent-base"); });
}

// Each kind of fault, and the path it is reported at.
TEST(Timeline, EachFaultNamesItsPath) {
    EXPECT_EQ(ErrorOf(R"({"channels": [)").rfind("t.json: syntax error at byte ", 0), 0u);
    const auto item = [](const std::string& keys) { return R"({"channels": [{"items": [{)" + keys + "}]}]}"; };
    const std::pair<std::string, std::string> cases[] = {
        {R"({"channels": [], "colour": 1})", "/colour: unknown key"},
        {R"({"output": {"frames": -3}, "channels": []})", "/output/frames: must be from 1 to 10000000"},
        {R"({"output": {"width": "wide"}, "channels": []})", "/output/width: must be an integer"},
        {item(R"("type": "title", "first": 0, "last": 1, "text": 5)"), "/channels/0/items/0/text: must be a string"},
        {item(R"("type": "pictures", "first": 0, "last": 1, "files": ["gone.png"])"),
         "/channels/0/items/0/files/0: no such file \"/nonexistent-base/gone.png\""},
        {item(R"("type": "slide", "first": 4, "last": 3)"), "/channels/0/items/0/last: must not be before first"},
        {item(R"("type": "slide", "first": 0, "last": 3, "transition": "spin")"),
         "/channels/0/items/0/transition: unknown transition \"spin\""},
    };
    for (const auto& [text, message] : cases) EXPECT_EQ(ErrorOf(text), "t.json: " + message) << text;
}

TEST(Timeline, RatesAsDecimalsOrFractions) {
    const std::pair<std::string, std::string> rates[] = {
        {"30.0", "30/1"},  {"\"30000/1001\"", "30000/1001"}, {"29.97", "30000/1001"}, {"23.976", "24000/1001"},
        {"12.5", "25/2"},  {"0.5", "must be from 1 to 240"},  {"\"29.97\"", "must be a number or a fraction \"N/D\""}};
    for (const auto& [fps, want] : rates) {
        std::string got;
        try {
            const render::Output o = ParseTimeline(R"({"output": {"fps": )" + fps + R"(}, "channels": []})", "t", "/").output;
            got = std::to_string(o.fps) + "/" + std::to_string(o.fps_denominator);
        } catch (const render::TimelineError& e) {
            got = std::string(e.what()).substr(std::string("t: /output/fps: ").size());
        }
        EXPECT_EQ(got, want) << fps;
    }
}

// DVD subtitles keep the library's 30 frames a second: said for every other rate.
TEST(Timeline, WarnsOfDvdSubtitlesAtAnotherRate) {
    const std::string warning = "t.json: /channels/0/items/0/file: DVD subtitles keep their times at 30 frames per second, so they run ";
    const struct {
        const char *fps, *file;
        std::vector<std::string> warnings;
    } cases[] = {
        {"30", "s.idx", {}},
        {"25", "s.srt", {}},
        {"25", "s.idx", {warning + "late at this rate"}},
        {"\"60000/1001\"", "s.idx", {warning + "early at this rate"}},
    };
    const test::TempDir dir;
    for (const char* name : {"s.idx", "s.sub", "s.srt"}) dir.Write(name, "");
    for (const auto& c : cases) {
        const std::string text = std::string(R"({"output": {"fps": )") + c.fps +
                                 R"(}, "channels": [{"items": [{"type": "subtitles", "first": 0, "last": 1, "file": ")" + c.file + R"("}]}]})";
        EXPECT_EQ(render::TimelineWarnings(ParseTimeline(text, "t.json", dir.path().string())), c.warnings) << text;
    }
}

}  // namespace
