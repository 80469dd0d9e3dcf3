// Where a frame's planes sit in its buffer when the frame server lays it out: pitch
// rounded up to the alignment, planes packed one after another. The loader program
// writes frames in this layout so that they can be copied into ours as they are.
#pragma once

#include <cstdint>

#include "avs/avisynth.h"

struct FrameLayout {
    bool valid = false;  // false when the format gives no representable frame
    int data_size = 0;   // bytes of the whole buffer
    int offset = 0;      // where the frame (its Y plane) starts in the buffer
    int pitch = 0, row_size = 0, height = 0;
    // Planar formats only; zero otherwise.
    int offset_u = 0, offset_v = 0, pitch_uv = 0, row_size_uv = 0, height_uv = 0;
};

// align > 0 is what pitches are rounded up to. A format without video lays out as an
// empty, valid frame.
FrameLayout LayOutFrame(const VideoInfo& vi, int align);
