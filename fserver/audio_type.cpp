// ConvertAudioToFloat and ConvertAudioTo16bit: the audio in another sample type.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "fserver/builtins.h"
#include "fserver/convert_audio.h"

namespace fserver {

namespace {

enum ConvertAudioArg { kClip };

// Float to 16-bit, full scale 1.0 to 32768; beyond full scale it saturates rather than wraps.
class FloatTo16 : public GenericVideoFilter {
public:
    explicit FloatTo16(PClip child) : GenericVideoFilter(std::move(child)) { vi.sample_type = SAMPLE_INT16; }

    void AVS_STDCALL GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment* env) override {
        if (count <= 0) return;
        const size_t n = static_cast<size_t>(count * vi.nchannels);
        src_.resize(n);
        child->GetAudio(src_.data(), start, count, env);
        auto* out = static_cast<int16_t*>(buf);
        for (size_t i = 0; i < n; ++i) {
            const float v = std::nearbyint(src_[i] * 32768.0f);
            out[i] = std::isnan(v) ? int16_t{0} : static_cast<int16_t>(std::clamp(v, -32768.0f, 32767.0f));
        }
    }

private:
    std::vector<float> src_;
};

}  // namespace

AVSValue CreateConvertAudioToFloat(const AVSValue& args, void*, IScriptEnvironment*) {
    return AudioIn(args[kClip].AsClip(), SAMPLE_FLOAT);
}

AVSValue CreateConvertAudioTo16bit(const AVSValue& args, void*, IScriptEnvironment*) {
    const PClip clip = args[kClip].AsClip();
    const VideoInfo& vi = clip->GetVideoInfo();
    if (!vi.HasAudio() || vi.IsSampleType(SAMPLE_INT16)) return clip;
    return new FloatTo16(AudioIn(clip, SAMPLE_FLOAT));
}

}  // namespace fserver
