// Overlay sources the timeline makes itself: a plain colour or a moving gradient, with
// silence or a 440 Hz tone, in the format the library draws (bottom-up RGB24).
#pragma once

#include "avs/avisynth.h"
#include "timeline.h"

namespace render {

class GeneratedClip final : public IClip {
public:
    // Frame rate and audio format follow the output.
    GeneratedClip(const Source& source, const Output& output);

    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) override;
    bool AVS_STDCALL GetParity(int) override { return false; }
    void AVS_STDCALL GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment* env) override;
    void AVS_STDCALL SetCacheHints(int, int) override {}
    const VideoInfo& AVS_STDCALL GetVideoInfo() override { return vi_; }
    using IClip::GetFrame;

private:
    enum class Pattern { kColour, kGradient, kChecker };

    Source source_;
    Pattern pattern_;  // source_.generate, read once
    VideoInfo vi_{};
};

}  // namespace render
