// The timeline file ferrule-render reads: the output's format and the channels of
// items to place, checked whole before anything is rendered.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace render {

// A bad timeline: where in the file and what is wrong. Exit status 2.
class TimelineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Output {
    int width = 640;
    int height = 360;
    // Frames per second: fps / fps_denominator, a reduced fraction (30000 / 1001 for 29.97).
    int fps = 25;
    int fps_denominator = 1;
    int frames = 100;
    int audio_rate = 48000;
    int audio_channels = 2;
};

enum class TransitionKind { kCrossFade, kWipeLeft, kWipeRight, kWipeUp, kWipeDown, kPush, kZoomIn };

struct Title {
    std::string text;
    int size = 32;                 // pixels
    uint32_t colour = 0xFFFFFF;    // 0xRRGGBB
    double x = 0.5, y = 0.5;       // centre of the text, as fractions of the frame
    int fade_in = 0, fade_out = 0; // frames
    double scroll = 0;             // pixels per frame, upward
};

struct Slide {
    TransitionKind transition = TransitionKind::kCrossFade;
};

// What an overlay shows: a media file, or a clip generated in the tool.
struct Source {
    std::string media;  // empty for a generated one
    std::string generate = "colour";  // colour, gradient, checker (squares of colour on black)
    uint32_t colour = 0x808080;
    int width = 320, height = 180, frames = 100;
    bool tone = false;  // a 440 Hz tone as audio
};

// How an overlay or a picture show is drawn into its corners.
struct Look {
    int opacity = 255;
    std::optional<uint32_t> key_colour;  // 0xRRGGBB
    int outline_width = 0;
    uint32_t outline_colour = 0xFFC8C8C8u;  // 0xAARRGGBB
};

struct Effect {
    std::array<std::array<float, 2>, 4> corners{};  // none given: the clip's own rectangle at the origin
    bool has_corners = false;
    Look look;
    bool flip_horizontal = false, flip_vertical = false, reverse = false;
    std::optional<std::array<int, 4>> crop, borders;
    uint32_t border_colour = 0;
    std::optional<std::array<int, 2>> resize;
    int speed = 100;
    int audio_channel = 0;
    int mono = 0;  // 0 automatic, 1 left, 2 right
    std::optional<float> amplify;
    std::optional<TransitionKind> transition;  // as the overlay comes in
    int transition_length = 0;
};

struct Overlay {
    Source source;
    int clip_start = 0;
    bool audio = false;
    int fade_in = 0, fade_out = 0;  // frames
    Effect effect;
};

struct Pictures {
    std::vector<std::string> files;
    int frames_per_picture = 25;
    bool fit = true;
    std::array<std::array<float, 2>, 4> corners{};
    Look look;
    std::optional<TransitionKind> transition;
    int transition_length = 0;
    bool every_picture = false;
};

struct Subtitles {
    std::string file;
    int clip_start = 0;
};

struct Item {
    std::string path;         // where it is in the file, "/channels/1/items/0"
    int first = 0, last = 0;  // inclusive
    std::variant<Title, Slide, Overlay, Pictures, Subtitles> what;
};

struct Channel {
    bool visible = true;
    std::vector<Item> items;
};

struct Timeline {
    std::string file;  // as it was named to us, for messages
    Output output;
    std::vector<Channel> channels;
};

// Parses and checks a timeline; relative media paths are taken from base_dir.
// Raises TimelineError naming the file and the JSON path of the first fault.
Timeline ParseTimeline(const std::string& text, const std::string& file_name, const std::string& base_dir);

// The same for a file; relative media paths are taken from its folder.
Timeline ReadTimelineFile(const std::string& file);
// A timeline file's bytes, or TimelineError when it cannot be read.
std::string ReadTimelineText(const std::string& file);

const char* TransitionName(TransitionKind kind);

// H.264 in yuv420p takes even sizes only: a video target needs them. Raises
// TimelineError at /output/width or /output/height.
void RequireEvenSize(const Timeline& timeline);

// A file the timeline reads, and the JSON path that names it.
struct Input {
    std::string file;
    std::string path;
};
// The timeline file itself first (path "/"), then every file its items read: media,
// pictures, subtitle files, and the .sub beside an .idx.
std::vector<Input> TimelineInputs(const Timeline& timeline);

// What the timeline asks that the render cannot give exactly, one line each, naming the
// JSON path: DVD subtitles (.idx) keep the library's clock of 30 frames a second.
std::vector<std::string> TimelineWarnings(const Timeline& timeline);

// A frame rate as the timeline gives it, reduced: nullopt for anything but a whole
// number, a decimal or "N/D". A decimal within 0.005 of N * 1000 / 1001 means that
// (29.97 is 30000/1001); any other decimal counts to the thousandth (12.5 is 25/2).
struct Rate {
    int num, den;
};
std::optional<Rate> RateFromNumber(double fps);
std::optional<Rate> RateFromText(const std::string& text);

}  // namespace render
