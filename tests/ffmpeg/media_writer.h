// Media files the FFmpeg suites encode themselves with libavformat into a temporary
// folder: a video track painted frame by frame and an audio track of given values.
#pragma once

#include <cstdint>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "tests/support/temp_dir.h"

namespace test {

struct VideoTrack {
    AVCodecID codec;
    AVPixelFormat format;
    int frames;
    void (*paint)(AVFrame* f, int n);
};
struct AudioTrack {
    AVCodecID codec;
    AVSampleFormat format;
    int rate, channels;
    int64_t samples;
    double (*value)(int64_t s, int ch);
};

constexpr int kWidth = 64, kHeight = 48;

// Writes the tracks to path, the container chosen by its extension; 25 fps, and audio
// in frames of 20 ms, or of the encoder's own size where it has a fixed one. Samples
// may be interleaved or planar, 16-bit or float.
void Write(const std::string& path, const VideoTrack* video, const AudioTrack* audio);

}  // namespace test
