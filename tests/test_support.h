// Small builders shared by the suites: an environment from the stand-in frame server,
// synthetic clips, and a manager published the way a script publishes it.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "plugin/item_kinds.h"
#include "avs/avisynth.h"
#include "channels/edit_placement.h"
#include "channels/effect_records.h"
#include "channels/globals.h"
#include "channels/main_ch_mgr.h"
#include "channels/overlay_records.h"
#include "tests/support/error_of.h"

namespace test {

struct EnvDeleter {
    void operator()(IScriptEnvironment* env) const { env->DeletingDestructor(1); }
};
using EnvPtr = std::unique_ptr<IScriptEnvironment, EnvDeleter>;

inline EnvPtr NewEnv() { return EnvPtr(CreateScriptEnvironment(AVISYNTH_INTERFACE_VERSION)); }

inline AVSValue Invoke(IScriptEnvironment* env, const char* name, std::vector<AVSValue> args,
                       const char** names = nullptr) {
    return env->Invoke(name, AVSValue(args.data(), static_cast<int>(args.size())), names);
}
inline std::string InvokeError(IScriptEnvironment* env, const char* name, std::vector<AVSValue> args,
                               const char** names = nullptr) {
    return ErrorOf([&] { Invoke(env, name, std::move(args), names); });
}

inline VideoInfo Rgb24Info(int width, int height, int frames = 100) {
    VideoInfo vi{};
    vi.width = width;
    vi.height = height;
    vi.fps_numerator = 25;
    vi.fps_denominator = 1;
    vi.num_frames = frames;
    vi.pixel_type = VideoInfo::CS_BGR24;
    return vi;
}

// A clip whose frame n has every byte equal to (n + seed) & 0xFF, with 16-bit audio
// whose sample s, channel ch is (s * 7 + ch) as int16, and a count of frame requests.
class PatternClip : public IClip {
public:
    explicit PatternClip(const VideoInfo& vi, int seed = 0) : vi_(vi), seed_(seed) {}
    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) override {
        ++frame_requests;
        PVideoFrame f = env->NewVideoFrame(vi_, -4);
        std::memset(f->GetWritePtr(), (n + seed_) & 0xFF, static_cast<size_t>(f->GetPitch()) * f->GetHeight());
        return ReturnInto(result, std::move(f));
    }
    bool AVS_STDCALL GetParity(int n) override { return n & 1; }
    void AVS_STDCALL GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment*) override {
        auto* out = static_cast<int16_t*>(buf);
        for (int64_t s = 0; s < count; ++s)
            for (int ch = 0; ch < vi_.nchannels; ++ch)
                *out++ = static_cast<int16_t>((start + s) * 7 + ch);
    }
    void AVS_STDCALL SetCacheHints(int, int) override {}
    const VideoInfo& AVS_STDCALL GetVideoInfo() override { return vi_; }
    using IClip::GetFrame;

    int frame_requests = 0;

private:
    VideoInfo vi_;
    int seed_;
};

inline VideoInfo WithAudio(VideoInfo vi, int rate = 48000, int channels = 2) {
    vi.audio_samples_per_second = rate;
    vi.sample_type = SAMPLE_INT16;
    vi.nchannels = channels;
    vi.num_audio_samples = vi.AudioSamplesFromFrames(vi.num_frames);
    return vi;
}

// Bytes of one frame, copied out.
inline std::vector<uint8_t> FrameBytes(const PVideoFrame& f) {
    const uint8_t* p = f->GetReadPtr();
    return std::vector<uint8_t>(p, p + static_cast<size_t>(f->GetPitch()) * f->GetHeight());
}
// The bytes of a frame's rows without the padding between them.
inline std::vector<uint8_t> RowBytes(const PVideoFrame& f) {
    std::vector<uint8_t> out;
    for (int y = 0; y < f->GetHeight(); ++y)
        out.insert(out.end(), f->GetReadPtr() + y * f->GetPitch(),
                   f->GetReadPtr() + y * f->GetPitch() + f->GetRowSize());
    return out;
}
// All of the buffer under a frame, as it was filled.
inline std::vector<uint8_t> BufferBytes(const PVideoFrame& f) {
    const VideoFrameBuffer* vfb = f->GetFrameBuffer();
    return std::vector<uint8_t>(vfb->GetReadPtr(), vfb->GetReadPtr() + vfb->GetDataSize());
}

// The globals the script functions publish into, put back when the scope ends.
struct SavedGlobals {
    CMainChMgr *main = g_pMainChMgr, *preview = g_pPreviewChMgr;
    IScriptEnvironment* env = g_pScriptEnv;
    ~SavedGlobals() { g_pMainChMgr = main, g_pPreviewChMgr = preview, g_pScriptEnv = env; }
};

// A manager over a clip, published as "SetMainCh" publishes it. The PClip keeps it
// alive; the previous globals come back when the fixture ends.
struct PublishedManager {
    SavedGlobals saved;
    PClip clip;
    PatternClip* input;
    CMainChMgr* mgr;
    IScriptEnvironment* env;

    PublishedManager(IScriptEnvironment* env_, const VideoInfo& vi) : env(env_) {
        input = new PatternClip(vi);
        mgr = new CMainChMgr(input, env, AllItemKinds());
        clip = mgr;
        g_pMainChMgr = mgr;
        g_pScriptEnv = env;
    }
    PVideoFrame Frame(int n) const { return clip->GetFrame(n, env); }
    std::vector<uint8_t> Bytes(int n) const { return FrameBytes(Frame(n)); }
};

// A subtitle item `id` on main frames 100..199 of a w x h main clip; its chain starts at
// frame 15.
inline SubtitleInfo SubtitleRecord(const char* path, int w, int h, int id = 9) {
    SubtitleInfo info;
    info.file = path;
    info.width = w, info.height = h, info.item_id = id;
    info.clip_start_frame = 15, info.first_frame = 100, info.last_frame = 199;
    return info;
}

// The host's record of overlay `id` showing the clip's video on frames first..last.
inline OverlayClipInfo OverlayInfo(const PClip& clip, int id, int first, int last) {
    OverlayClipInfo info;
    info.item_id = id, info.first_frame = first, info.last_frame = last, info.clip = &clip;
    info.video_enabled = 1;
    return info;
}

// Corners of the rectangle (l, t)..(r, b), drawn without an outline.
inline void PlaceRect(EditPlacement& p, float l, float t, float r, float b) {
    p.corners[0] = {l, t}, p.corners[1] = {r, t}, p.corners[2] = {r, b}, p.corners[3] = {l, b};
    p.outline_width = 0;
}

// A buffer the exports hand the host, freed as the host frees it.
struct HostBuffer {
    uint8_t* p = nullptr;
    int32_t size = -1, width = -1, height = -1, bpp = -1;
    ~HostBuffer() { ::operator delete(p); }
    std::vector<uint8_t> Bytes() const { return std::vector<uint8_t>(p, p + size); }
    std::vector<int32_t> Shape() const { return {size, width, height, bpp}; }
};

}  // namespace test
