// GetChannel: chosen channels of the audio, in the order given.
#include <cstdint>
#include <cstring>
#include <vector>

#include "fserver/builtins.h"

namespace fserver {

namespace {

enum GetChannelArg { kClip, kChannels };

class GetChannel : public GenericVideoFilter {
public:
    // channels are 0-based here.
    GetChannel(PClip child, std::vector<int> channels)
        : GenericVideoFilter(std::move(child)), src_bps_(vi.BytesPerAudioSample()), channels_(std::move(channels)) {
        vi.nchannels = static_cast<int>(channels_.size());
    }

    void AVS_STDCALL GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment* env) override {
        if (count <= 0) return;
        std::vector<uint8_t> src(static_cast<size_t>(count * src_bps_));
        child->GetAudio(src.data(), start, count, env);
        const int width = vi.BytesPerChannelSample();
        auto* out = static_cast<uint8_t*>(buf);
        for (int64_t s = 0; s < count; ++s) {
            const uint8_t* frame = src.data() + s * src_bps_;
            for (int ch : channels_) {
                std::memcpy(out, frame + ch * width, static_cast<size_t>(width));
                out += width;
            }
        }
    }

private:
    const int src_bps_;
    const std::vector<int> channels_;
};

}  // namespace

AVSValue CreateGetChannel(const AVSValue& args, void*, IScriptEnvironment* env) {
    const PClip clip = args[kClip].AsClip();
    const VideoInfo& vi = clip->GetVideoInfo();
    if (!vi.HasAudio() || vi.nchannels <= 0) env->ThrowError("GetChannel: clip has no audio");
    std::vector<int> channels;
    for (int i = 0; i < args[kChannels].ArraySize(); ++i) {
        const int ch = args[kChannels][i].AsInt();
        if (ch < 1 || ch > vi.nchannels) env->ThrowError("GetChannel: Attempted to select a channel that does not exist");
        channels.push_back(ch - 1);
    }
    return new GetChannel(clip, std::move(channels));
}

}  // namespace fserver
