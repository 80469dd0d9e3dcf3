// A clip served by a loader program: every frame and every block of samples is asked
// for over the loader's connection and arrives through the shared area.
#pragma once

#include <cstdint>

#include "avs/avisynth.h"

class LoaderChannel;
namespace platform {
class PipeEnd;
}

class CLoaderClip : public IClip {
public:
    // Neither the channel nor the pipe is owned; both outlive the clip.
    CLoaderClip(LoaderChannel& channel, platform::PipeEnd& pipe, int32_t remote_id, const VideoInfo& vi,
                IScriptEnvironment* env);
    ~CLoaderClip() override;

    int AVS_STDCALL GetVersion() override { return AVISYNTH_INTERFACE_VERSION; }
    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) override;
    bool AVS_STDCALL GetParity(int) override { return false; }
    void AVS_STDCALL GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment* env) override;
    void AVS_STDCALL SetCacheHints(int, int) override {}
    const VideoInfo& AVS_STDCALL GetVideoInfo() override { return vi_; }
    using IClip::GetFrame;

    int32_t RemoteId() const { return remote_id_; }

private:
    bool FetchAudio(uint8_t* out, int64_t start, int64_t count, int bytes_per_sample);

    LoaderChannel& channel_;
    platform::PipeEnd& pipe_;
    const int32_t remote_id_;
    const VideoInfo vi_;
    // The one frame every GetFrame hands out, refilled in place.
    PVideoFrame frame_;
};
