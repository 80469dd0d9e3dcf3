// Amplify: audio scaled by a factor, one for all channels or one per channel.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "fserver/builtins.h"

namespace fserver {

namespace {

enum AmplifyArg { kClip, kFactors };

class Amplify : public GenericVideoFilter {
public:
    Amplify(PClip child, std::vector<float> factors) : GenericVideoFilter(std::move(child)), factors_(std::move(factors)) {}

    void AVS_STDCALL GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment* env) override {
        child->GetAudio(buf, start, count, env);
        if (count <= 0) return;
        const int channels = vi.nchannels;
        if (vi.sample_type == SAMPLE_INT16) {
            auto* p = static_cast<int16_t*>(buf);
            for (int64_t s = 0; s < count; ++s)
                for (int ch = 0; ch < channels; ++ch, ++p) {
                    // Saturated first, so the conversion back is always defined.
                    const double v = std::round(*p * static_cast<double>(factors_[ch]));
                    *p = static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
                }
        } else {
            auto* p = static_cast<float*>(buf);
            for (int64_t s = 0; s < count; ++s)
                for (int ch = 0; ch < channels; ++ch, ++p) *p *= factors_[ch];
        }
    }

private:
    const std::vector<float> factors_;  // one per channel
};

}  // namespace

AVSValue CreateAmplify(const AVSValue& args, void*, IScriptEnvironment* env) {
    const PClip clip = args[kClip].AsClip();
    const VideoInfo& vi = clip->GetVideoInfo();
    // Without audio there is nothing to change: the clip passes as it is, so a video-only
    // clip can go through an audio chain.
    if (!vi.HasAudio() || vi.nchannels <= 0) return clip;
    if (vi.sample_type != SAMPLE_INT16 && vi.sample_type != SAMPLE_FLOAT)
        env->ThrowError("Amplify: only 16-bit integer and float audio are supported");
    // Channels past the last factor take that factor again; factors past the last
    // channel have nothing to scale and are ignored.
    const AVSValue& given = args[kFactors];
    std::vector<float> factors;
    for (int ch = 0; ch < vi.nchannels; ++ch) {
        const double f = given[std::min(ch, given.ArraySize() - 1)].AsFloat();
        if (!std::isfinite(f)) env->ThrowError("Amplify: factors must be finite numbers");
        factors.push_back(static_cast<float>(f));
    }
    return new Amplify(clip, std::move(factors));
}

}  // namespace fserver
