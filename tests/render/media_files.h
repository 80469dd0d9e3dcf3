// Media files made and read back with FFmpeg's libraries, for the suites that feed
// ferrule-render real clips and measure what it wrote.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace rtest {

struct MediaSpec {
    std::string video_codec;          // an FFmpeg encoder name; empty for no video
    std::vector<double> frame_times;  // start of each frame in seconds; any spacing
    int width = 64, height = 48;
    std::function<uint8_t(double)> luma;  // grey level of the frame starting at a time

    std::string audio_codec;  // empty for no audio
    int audio_rate = 48000, channels = 2;
    int64_t audio_samples = 0;
    std::function<float(int64_t, int)> sound;  // sample, channel -> value, full scale 1
};

// The container follows the file's extension. Throws std::runtime_error.
void WriteMedia(const std::string& path, const MediaSpec& spec);

// Frame times at a constant rate from 0 up to `seconds`.
std::vector<double> EvenFrames(double fps, double seconds);

struct DecodedMedia {
    std::vector<double> frame_times;  // seconds
    std::vector<double> frame_luma;   // mean grey level of each frame
    int audio_rate = 0, channels = 0;
    std::vector<float> audio;  // interleaved
};
DecodedMedia DecodeMedia(const std::string& path);

}  // namespace rtest
