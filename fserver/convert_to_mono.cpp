// ConvertToMono: every channel averaged into one.
#include <cstdint>
#include <vector>

#include "fserver/builtins.h"
#include "fserver/convert_audio.h"

namespace fserver {

namespace {

enum ConvertToMonoArg { kClip };

class ConvertToMono : public GenericVideoFilter {
public:
    explicit ConvertToMono(PClip child) : GenericVideoFilter(std::move(child)), channels_(vi.nchannels) {
        vi.nchannels = 1;
    }

    void AVS_STDCALL GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment* env) override {
        if (count <= 0) return;
        if (vi.sample_type == SAMPLE_INT16)
            Mix<int16_t, int>(static_cast<int16_t*>(buf), start, count, env);
        else
            Mix<float, float>(static_cast<float*>(buf), start, count, env);
    }

private:
    // 16-bit sums in int and divides with truncation toward zero; float sums in float.
    template <class Sample, class Sum>
    void Mix(Sample* out, int64_t start, int64_t count, IScriptEnvironment* env) {
        std::vector<Sample> src(static_cast<size_t>(count * channels_));
        child->GetAudio(src.data(), start, count, env);
        const Sample* in = src.data();
        for (int64_t s = 0; s < count; ++s) {
            Sum sum = 0;
            for (int ch = 0; ch < channels_; ++ch) sum += *in++;
            out[s] = static_cast<Sample>(sum / static_cast<Sum>(channels_));
        }
    }

    const int channels_;
};

}  // namespace

AVSValue CreateConvertToMono(const AVSValue& args, void*, IScriptEnvironment*) {
    const PClip clip = args[kClip].AsClip();
    const VideoInfo& vi = clip->GetVideoInfo();
    // Without audio there is nothing to change: the clip passes as it is, so a video-only
    // clip can go through an audio chain.
    if (!vi.HasAudio() || vi.nchannels <= 0) return clip;
    if (vi.nchannels == 1) return clip;  // already mono: the very same clip
    // Other sample types are mixed as float.
    return new ConvertToMono(AudioIn(clip, SAMPLE_INT16 | SAMPLE_FLOAT));
}

}  // namespace fserver
