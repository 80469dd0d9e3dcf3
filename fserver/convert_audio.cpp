#include "fserver/convert_audio.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace fserver {

namespace {

class AudioToFloat : public GenericVideoFilter {
public:
    explicit AudioToFloat(PClip child)
        : GenericVideoFilter(std::move(child)), type_(vi.sample_type), width_(vi.BytesPerChannelSample()) {
        vi.sample_type = SAMPLE_FLOAT;
    }

    void AVS_STDCALL GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment* env) override {
        if (count <= 0) return;
        const size_t n = static_cast<size_t>(count * vi.nchannels);
        src_.resize(n * static_cast<size_t>(width_));
        child->GetAudio(src_.data(), start, count, env);
        auto* out = static_cast<float*>(buf);
        const uint8_t* p = src_.data();
        for (size_t i = 0; i < n; ++i, p += width_) out[i] = Convert(p);
    }

private:
    float Convert(const uint8_t* p) const {
        switch (type_) {
            case SAMPLE_INT8: return static_cast<float>(p[0] - 128) / 128.0f;  // unsigned, centred on 128
            case SAMPLE_INT16: return static_cast<float>(Read<int16_t>(p)) / 32768.0f;
            case SAMPLE_INT24: {
                const uint32_t high = uint32_t{p[0]} << 8 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 24;
                return static_cast<float>((static_cast<int32_t>(high) >> 8) / 8388608.0);
            }
            default: return static_cast<float>(Read<int32_t>(p) / 2147483648.0);
        }
    }
    template <class T>
    static T Read(const uint8_t* p) {
        T v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }

    const int type_, width_;
    std::vector<uint8_t> src_;
};

}  // namespace

PClip AudioIn(const PClip& clip, int accepted) {
    const VideoInfo& vi = clip->GetVideoInfo();
    if (!vi.HasAudio() || vi.IsSampleType(accepted)) return clip;
    return new AudioToFloat(clip);
}

}  // namespace fserver
