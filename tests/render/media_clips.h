// Media the timeline suites make for themselves with FFmpeg's libraries, and the
// composed frames read back as colours.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "avs/avisynth.h"

namespace rtest {

// A lossless clip (QuickTime RLE in a .mov, so every pixel decodes back exactly).
struct ClipSpec {
    int width = 16, height = 8, frames = 1;
    int fps_num = 25, fps_den = 1;
    // The display matrix's counter-clockwise turn, as a phone writes one (FFmpeg's
    // -display_rotation); 0 writes none.
    int display_ccw = 0;
    std::function<uint32_t(int x, int y, int n)> paint;  // 0xRRGGBB of pixel (x, y from the top) in frame n
};
void WriteClip(const std::string& path, const ClipSpec& spec);

// 0xRRGGBB of pixel (x, y from the top) of a bottom-up RGB24 frame.
uint32_t PixelAt(const PVideoFrame& frame, int height, int x, int y);

}  // namespace rtest
