// Media the timeline suites make with FFmpeg's libraries, and frames read as colours.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "avs/avisynth.h"

namespace rtest {

// A lossless 25 fps clip (QuickTime RLE in a .mov) of `frames` frames painted 0xRRGGBB
// by paint(x, y from the top), with a display matrix turning it `display_ccw` degrees
// counter-clockwise as phones write one (FFmpeg's -display_rotation); 0 writes none.
void WriteClip(const std::string& path, int width, int height, int frames, int display_ccw,
               const std::function<uint32_t(int x, int y)>& paint);

// 0xRRGGBB of pixel (x, y from the top) of a bottom-up RGB24 frame.
uint32_t PixelAt(const PVideoFrame& frame, int height, int x, int y);

}  // namespace rtest
