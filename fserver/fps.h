// Frame-rate helpers shared by the functions that take a rate.
#pragma once

#include <cmath>
#include <numeric>

#include "avs/avisynth.h"

namespace fserver {

// A rate given as a float becomes the nearest fraction over 1000, reduced.
inline void SetFloatFps(VideoInfo& vi, double fps) {
    const double scaled = std::floor(fps * 1000.0 + 0.5);
    unsigned num = scaled < 1 ? 1u : static_cast<unsigned>(scaled), den = 1000;
    const unsigned g = std::gcd(num, den);
    vi.SetFPS(num / g, den / g);
}

}  // namespace fserver
