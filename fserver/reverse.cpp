// Reverse: the clip played backwards, video and audio.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "fserver/builtins.h"

namespace fserver {

namespace {

enum ReverseArg { kClip };

class Reverse : public GenericVideoFilter {
public:
    using GenericVideoFilter::GenericVideoFilter;

    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) override {
        return avs::Entry([&] {
            return ReturnInto(result, child->GetFrame(vi.num_frames - 1 - n, env));
        });
    }
    bool AVS_STDCALL GetParity(int n) override { return child->GetParity(vi.num_frames - 1 - n); }

    // Output sample s is source sample total - 1 - s; positions outside the source are
    // silence. The source run lands in its final place and is then reversed in place,
    // a whole sample frame (every channel) at a time.
    void AVS_STDCALL GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment* env) override {
        if (count <= 0) return;
        const int bps = vi.BytesPerAudioSample();
        auto* out = static_cast<uint8_t*>(buf);
        std::memset(out, 0, static_cast<size_t>(count * bps));
        const int64_t total = vi.num_audio_samples;
        const int64_t hi = std::min(total - 1 - start, total - 1);  // last source sample wanted
        const int64_t lo = std::max(total - start - count, int64_t{0});
        if (hi < lo) return;
        uint8_t* run = out + (total - 1 - start - hi) * bps;
        const int64_t n = hi - lo + 1;
        child->GetAudio(run, lo, n, env);
        for (int64_t i = 0, j = n - 1; i < j; ++i, --j)
            std::swap_ranges(run + i * bps, run + (i + 1) * bps, run + j * bps);
    }
    using IClip::GetFrame;
};

}  // namespace

AVSValue CreateReverse(const AVSValue& args, void*, IScriptEnvironment*) {
    return new Reverse(args[kClip].AsClip());
}

}  // namespace fserver
