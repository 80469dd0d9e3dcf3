// An editor's sessions with the library, written once against include/ferrule.h and run
// by two hosts: the 32-bit host program over the shipped Ferrule.dll, and a native
// program over libferrule.so. Each scenario reports lines ("scenario: what: value", CRCs
// of composed frames and mixed audio, renderer call logs); the native lines are the
// reference the 32-bit ones must equal.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "avs/avisynth.h"
#include "include/ferrule.h"

namespace scenario {

// What the two hosts do their own way.
struct Host {
    std::function<IScriptEnvironment*()> new_server;  // a frame server with the plugin loaded
    std::function<void(IScriptEnvironment*)> delete_server;
    std::function<void*(const char*)> find_export;
    std::function<void(void*)> free_buffer;  // a buffer the library handed out
    std::function<void(const std::string&)> line;
    std::function<bool(bool, const std::string&)> check;
};

// The scenarios' names, in running order; RunScenario runs one.
std::vector<std::string> Names();
void RunScenario(const std::string& name, const Host& host);

// RGB24 at 25 fps with 16-bit audio of this rate and channels, as the hosts' clips are.
VideoInfo Rgb24Format(int width, int height, int frames, int rate, int channels);

// A clip the host makes: RGB24 frames whose bytes follow the seed and the frame number,
// squares of key_bgr (blue, green, red) where key is set, and 16-bit stereo audio at
// 8000 Hz whose every sample follows the seed.
class PatternClip : public IClip {
public:
    PatternClip(int width, int height, int seed, bool key = false);
    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) override;
    bool AVS_STDCALL GetParity(int) override { return false; }
    void AVS_STDCALL GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment*) override;
    void AVS_STDCALL SetCacheHints(int, int) override {}
    const VideoInfo& AVS_STDCALL GetVideoInfo() override { return vi_; }
    using IClip::GetFrame;

    static constexpr uint8_t kKey[3] = {0x00, 0xFF, 0x00};
    // Sample s of channel ch.
    int16_t Sample(int64_t s, int ch) const { return static_cast<int16_t>(s * 373 + ch * 1001 + seed_ * 97); }

private:
    VideoInfo vi_{};
    int seed_;
    bool key_;
};

// The host's records of overlay `id` on frames first..last: drawn opaque, without key
// colour or outline, into the rectangle (left, top) of the clip's own size in a 64 x 48
// reference.
struct OverlayRecords {
    FerruleOverlayClipInfo info = {};
    FerruleOverlayEffect effect = {};
    OverlayRecords(const PClip* clip, int id, int first, int last, float left, float top);
    void MoveTo(float left, float top);
    void Corners(const FerruleCorner (&corners)[4]) { std::memcpy(effect.placement.corners, corners, sizeof corners); }
};

// A CString the host's runtime would make: never shared, so the library copies it.
struct HostText {
    FerruleCStringData head;
    char chars[64];
    explicit HostText(const char* text) {
        head = {-1, static_cast<int32_t>(std::strlen(text)), 63};
        std::snprintf(chars, sizeof chars, "%s", text);
    }
    FerruleCString String() { return {chars}; }
};

}  // namespace scenario
