#include "demo_timeline.h"

#include <cmath>
#include <cstdint>
#include <fstream>
#include <stdexcept>

#include "png_frames.h"

namespace render {

namespace {

// 250 frames at 25 fps: a moving background with a tone, a warped overlay with an
// outline that zooms in, a keyed checker, a picture show with cross-fades, a title,
// a subtitle line and a wipe to finish.
constexpr const char* kDemo = R"({
  "output": {"width": 640, "height": 360, "fps": 25, "frames": 250, "audio_rate": 48000, "audio_channels": 2},
  "channels": [
    {"items": [
      {"type": "overlay", "first": 0, "last": 249, "audio": true, "fade_in": 25, "fade_out": 25,
       "generate": {"kind": "gradient", "colour": "#4080FF", "width": 640, "height": 360, "tone": true},
       "outline_width": 0}
    ]},
    {"items": [
      {"type": "pictures", "first": 100, "last": 199, "frames_per_picture": 50,
       "files": ["picture-1.png", "picture-2.png"],
       "corners": [[330, 30], [620, 50], [600, 330], [350, 310]],
       "transition": "crossfade", "transition_length": 12, "every_picture": true}
    ]},
    {"items": [
      {"type": "overlay", "first": 0, "last": 249,
       "generate": {"kind": "gradient", "colour": "#FFC040", "width": 320, "height": 180},
       "corners": [[30, 60], [300, 30], [280, 220], [50, 200]],
       "outline_width": 4, "outline_colour": "#FFFFE000",
       "transition": "zoom-in", "transition_length": 20}
    ]},
    {"items": [
      {"type": "overlay", "first": 30, "last": 249,
       "generate": {"kind": "checker", "colour": "#FF3070", "width": 160, "height": 96},
       "corners": [[60, 240], [220, 240], [220, 336], [60, 336]],
       "key_colour": "#000000", "opacity": 220, "outline_width": 2}
    ]},
    {"items": [
      {"type": "title", "first": 10, "last": 239, "text": "Ferrule", "size": 56, "colour": "#FFFFFF",
       "x": 0.5, "y": 0.14, "fade_in": 15, "fade_out": 15},
      {"type": "subtitles", "first": 0, "last": 249, "file": "demo.srt"}
    ]},
    {"items": [
      {"type": "slide", "first": 200, "last": 229, "transition": "wipe-right"}
    ]}
  ]
}
)";

// Subtitle times are the file's own seconds, from the item's first frame.
constexpr const char* kSubtitles =
    "1\n00:00:01,000 --> 00:00:04,000\nOverlays, titles, pictures, transitions\n\n"
    "2\n00:00:05,000 --> 00:00:07,500\ncomposed frame by frame\n\n";

void WritePicture(const std::string& path, int kind) {
    constexpr int kW = 320, kH = 240, kPitch = kW * 3;
    std::vector<uint8_t> bottom_up(static_cast<size_t>(kPitch) * kH);
    for (int y = 0; y < kH; ++y) {
        uint8_t* row = bottom_up.data() + static_cast<size_t>(kH - 1 - y) * kPitch;  // y from the top
        for (int x = 0; x < kW; ++x) {
            uint8_t* p = row + 3 * x;
            if (kind == 0) {  // a sun over a dusk sky
                const double d = std::hypot(x - 160.0, y - 150.0);
                const bool sun = d < 60;
                p[2] = static_cast<uint8_t>(sun ? 255 : 80 + y * 150 / kH);
                p[1] = static_cast<uint8_t>(sun ? 210 : 40 + y * 60 / kH);
                p[0] = static_cast<uint8_t>(sun ? 60 : 120 - y * 80 / kH);
            } else {  // diagonal stripes
                const bool stripe = ((x + y) / 20) % 2 == 0;
                p[2] = stripe ? 30 : 230, p[1] = stripe ? 160 : 230, p[0] = stripe ? 90 : 240;
            }
        }
    }
    WritePngFrame(path, bottom_up.data(), kPitch, kW, kH);
}

void WriteText(const std::string& path, const char* text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out) throw std::runtime_error("cannot write \"" + path + "\"");
}

}  // namespace

std::string WriteDemoTimeline(const std::string& dir) {
    WritePicture(dir + "/picture-1.png", 0);
    WritePicture(dir + "/picture-2.png", 1);
    WriteText(dir + "/demo.srt", kSubtitles);
    WriteText(dir + "/demo.json", kDemo);
    return dir + "/demo.json";
}

std::vector<int> DemoContactFrames() { return {8, 40, 106, 130, 160, 190, 214, 240}; }

}  // namespace render
