// A clip served by a loader program: every frame and every block of samples is asked
// for over the loader's connection and arrives through the shared area.
#pragma once

#include <cstdint>
#include <string>

#include "avs/avisynth.h"
#include "loader/loader_channel.h"

class CLoaderClip : public IClip {
public:
    // The channel outlives the clip; it owns the connections.
    CLoaderClip(LoaderChannel& channel, std::string path, const LoaderChannel::Remote& remote,
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
    bool Connected();
    bool Ask(LoaderBlock& block);
    bool FetchAudio(uint8_t* out, int64_t start, int64_t count, int bytes_per_sample);

    LoaderChannel& channel_;
    const std::string path_;
    const VideoInfo vi_;
    platform::PipeEnd* pipe_;
    int32_t remote_id_;
    // One fresh loader per failure: false from a reopen until its loader has answered,
    // so a file that stops every loader does not start one for every request.
    bool may_reopen_ = true;
    // The one frame every GetFrame hands out, refilled in place.
    PVideoFrame frame_;
};
