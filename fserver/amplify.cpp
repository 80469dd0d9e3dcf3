// Amplify: audio scaled by a factor, one for all channels or one per channel.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "fserver/builtins.h"
#include "fserver/convert_audio.h"

namespace fserver {

namespace {

enum AmplifyArg { kClip, kFactors };

class Amplify : public GenericVideoFilter {
public:
    Amplify(PClip child, std::vector<float> factors) : GenericVideoFilter(std::move(child)), factors_(std::move(factors)) {}

    void AVS_STDCALL GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment* env) override {
        child->GetAudio(buf, start, count, env);
        if (count <= 0) return;
        if (vi.sample_type == SAMPLE_INT16)
            Scale(static_cast<int16_t*>(buf), count);
        else if (vi.sample_type == SAMPLE_INT32)
            Scale(static_cast<int32_t*>(buf), count);
        else {
            const int channels = vi.nchannels;
            auto* p = static_cast<float*>(buf);
            for (int64_t s = 0; s < count; ++s)
                for (int ch = 0; ch < channels; ++ch, ++p) *p *= factors_[ch];
        }
    }

private:
    // Integer samples round halves away from zero and saturate first, so the conversion
    // back is always defined.
    template <class Int>
    void Scale(Int* p, int64_t count) const {
        constexpr double lo = std::numeric_limits<Int>::min(), hi = std::numeric_limits<Int>::max();
        for (int64_t s = 0; s < count; ++s)
            for (int ch = 0; ch < vi.nchannels; ++ch, ++p)
                *p = static_cast<Int>(std::clamp(std::round(*p * static_cast<double>(factors_[ch])), lo, hi));
    }

    const std::vector<float> factors_;  // one per channel
};

}  // namespace

AVSValue CreateAmplify(const AVSValue& args, void*, IScriptEnvironment* env) {
    PClip clip = args[kClip].AsClip();
    // Without audio there is nothing to change: the clip passes as it is, so a video-only
    // clip can go through an audio chain.
    if (!clip->GetVideoInfo().HasAudio() || clip->GetVideoInfo().nchannels <= 0) return clip;
    // 8- and 24-bit samples are scaled as float.
    clip = AudioIn(clip, SAMPLE_INT16 | SAMPLE_INT32 | SAMPLE_FLOAT);
    const VideoInfo& vi = clip->GetVideoInfo();
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
