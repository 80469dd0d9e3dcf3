// Timeline files: what a good one says, and the message each kind of bad one gets.
#include <gtest/gtest.h>

#include <string>

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

TEST(Timeline, EachFaultNamesItsPath) {
    EXPECT_EQ(ErrorOf(R"({"channels": [)").rfind("t.json: syntax error at byte ", 0), 0u);
    EXPECT_EQ(ErrorOf(R"({"channels": [], "colour": 1})"), "t.json: /colour: unknown key");
    EXPECT_EQ(ErrorOf(R"({"output": {"frames": -3}, "channels": []})"), "t.json: /output/frames: must be from 1 to 10000000");
    EXPECT_EQ(ErrorOf(R"({"output": {"width": "wide"}, "channels": []})"), "t.json: /output/width: must be an integer");
    EXPECT_EQ(ErrorOf(R"({"channels": [{"items": [{"type": "title", "first": 0, "last": 1, "text": 5}]}]})"),
              "t.json: /channels/0/items/0/text: must be a string");
    EXPECT_EQ(ErrorOf(R"({"channels": [{"items": [{"type": "overlay", "first": 0, "last": 1, "media": "gone.mkv"}]}]})"),
              "t.json: /channels/0/items/0/media: no such file \"/nonexistent-base/gone.mkv\"");
    EXPECT_EQ(ErrorOf(R"({"channels": [{"items": [{"type": "slide", "first": 4, "last": 3}]}]})"),
              "t.json: /channels/0/items/0/last: must not be before first");
    EXPECT_EQ(ErrorOf(R"({"channels": [{"items": [{"type": "slide", "first": 0, "last": 3, "transition": "spin"}]}]})"),
              "t.json: /channels/0/items/0/transition: unknown transition \"spin\"");
    EXPECT_EQ(ErrorOf(R"({"channels": [{"items": [{"type": "title", "first": 0, "last": 1, "text": "a", "sise": 3}]}]})"),
              "t.json: /channels/0/items/0/sise: unknown key");
}

}  // namespace
