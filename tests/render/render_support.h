// What the ferrule-render suites share: scratch folders, the program run as a user
// runs it, and PNG files read back.
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
// ferrule-render with these arguments (shell-quoted here).
Run RunRender(const std::vector<std::string>& args);

// Any program with these arguments (shell-quoted here), as RunRender runs it.
Run RunProgram(const std::vector<std::string>& words);

// A clip of `frames` frames of a moving two-tone picture with a 440 Hz tone, written
// by FFmpeg's encoders (H.264 and AAC in MP4).
void WriteClip(const std::string& path, int width, int height, int frames);

// The demuxer FFmpeg picks for a file ("mov,mp4,m4a,3gp,3g2,mj2", "matroska,webm"),
// and its number of video frames; empty and 0 when it cannot be read.
struct MediaInfo {
    std::string container;
    int video_frames = 0;
    int width = 0, height = 0;
};
MediaInfo ReadMedia(const std::string& path);

struct Png {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // top-down
};
Png ReadPng(const std::string& path);

}  // namespace rtest
