// Media the suites have the ffmpeg program make from lavfi sources into a scratch
// folder, coded and muxed as the options and the file's extension say.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace test {

// Runs ffmpeg on the options (inputs, then codecs) to write path; ffmpeg prints its own
// errors. Returns path.
inline std::string MakeMedia(const std::string& path, const std::string& options) {
    const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -y " + options + " '" + path + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return path;
}

// An input of 64x48 frames at 25 fps, `seconds` long, whose luma is 20 + 3 * frame number.
inline std::string GreyFrames(const std::string& seconds) {
    return "-f lavfi -i 'nullsrc=s=64x48:r=25:d=" + seconds + ",format=yuv420p,geq=lum=20+3*N:cb=128:cr=128' ";
}

// An input of stereo audio whose channel ch is the expression with ch for @.
inline std::string Sound(const std::string& expression, int rate, const std::string& seconds) {
    std::string both = expression + "|" + expression;
    both.replace(both.find('@'), 1, "0");
    both.replace(both.find('@'), 1, "1");
    return "-f lavfi -i 'aevalsrc=" + both + ":s=" + std::to_string(rate) + ":d=" + seconds + "' ";
}

}  // namespace test
