// A one-line progress bar on stderr while frames are rendered.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace render {

// "[#########           ]  45/100 frames  23.4 fps  0:02 left", without the leading
// carriage return. The count is padded to the width of the total so the line keeps its
// length; the time left reads "-:--" until a rate is known.
std::string FormatProgress(int done, int total, double elapsed_seconds, int bar_width);

class Progress {
public:
    // `to` is where the line goes; stderr but for tests.
    Progress(int total_frames, bool enabled, std::FILE* to = stderr);

    // Redraws at most ten times a second, and always for the last frame.
    void Update(int frames_done);
    // Draws the final state and ends the line.
    void Finish();

    static constexpr int kBarWidth = 20;

private:
    void Draw(std::chrono::steady_clock::time_point now);

    int total_;
    bool enabled_;
    std::FILE* to_;
    int done_ = 0;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point start_, last_draw_;
};

}  // namespace render
