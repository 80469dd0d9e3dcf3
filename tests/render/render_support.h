// What the ferrule-render suites share: scratch folders, programs run as a user runs
// them, and what they wrote read back: PNGs through stb, media through FFmpeg's decoders.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace rtest {

using test::TempDir;

struct Run {
    int status = -1;  // the exit status, or -1 when it did not exit
    std::string output, errors;  // its standard output and standard error
};
// ferrule-render with these arguments (shell-quoted here), in the folder `cwd` if given.
Run RunRender(const std::vector<std::string>& args, const std::string& cwd = "");

// Any program with these arguments (shell-quoted here), as RunRender runs it.
Run RunProgram(const std::vector<std::string>& words);

struct Png {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // top-down
};
Png ReadPng(const std::string& path);

struct Decoded {
    std::string container;  // the demuxer FFmpeg picks: "mov,mp4,m4a,3gp,3g2,mj2", "matroska,webm"
    int width = 0, height = 0;
    std::vector<double> frame_times;  // seconds, in decoding order of presentation
    std::vector<double> frame_luma;   // mean grey level of each frame
    int audio_rate = 0, channels = 0;
    std::vector<float> audio;  // interleaved
};
// Every stream of the file; throws std::runtime_error when it cannot be read.
Decoded Decode(const std::string& path);

}  // namespace rtest
