// Tables of frame-server calls: what a call gives, its clip described or the message
// of the error it throws, and its samples written out whatever their type.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/clips.h"

namespace test {

struct CallRow {
    std::vector<AVSValue> args;
    std::string want;
};

using Describe = std::function<std::string(const PClip&)>;

inline std::string Outcome(IScriptEnvironment* env, const char* name, std::vector<AVSValue> args,
                           const char** names = nullptr, const Describe& describe = Shape) {
    std::string got;
    const std::string error = ErrorOf([&] { got = describe(Invoke(env, name, std::move(args), names).AsClip()); });
    return error == "(no error)" ? got : error;
}

// "s16 x2 96000: 1 -2 ...": the sample type, channels, length, then the interleaved
// samples [start, start + count), floats to nine digits, which is exact.
inline std::string SampleText(const PClip& clip, int64_t start, int64_t count, IScriptEnvironment* env) {
    const VideoInfo& vi = clip->GetVideoInfo();
    std::vector<double> v;
    const auto widen = [&v](const auto& samples) { v.assign(samples.begin(), samples.end()); };
    const char* type = vi.sample_type == SAMPLE_INT16 ? "s16" : "f32";
    if (vi.sample_type == SAMPLE_INT16)
        widen(Samples<int16_t>(clip, start, count, env));
    else
        widen(Samples<float>(clip, start, count, env));
    std::string out =
        std::string(type) + " x" + std::to_string(vi.nchannels) + " " + std::to_string(vi.num_audio_samples) + ":";
    char number[32];
    for (double d : v) {
        if (vi.sample_type == SAMPLE_FLOAT)
            std::snprintf(number, sizeof number, " %.9g", d);
        else
            std::snprintf(number, sizeof number, " %lld", static_cast<long long>(d));
        out += number;
    }
    return out;
}

}  // namespace test
