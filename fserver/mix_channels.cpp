// MixAudio and MergeChannels: two clips' audio added with factors, and several clips'
// channels side by side. Both keep the first clip's video and length.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

#include "fserver/builtins.h"
#include "fserver/convert_audio.h"

namespace fserver {

namespace {

enum MixAudioArg { kMixClip1, kMixClip2, kFactor1, kFactor2 };
enum MergeChannelsArg { kMergeClips };

// Audio of `clip` into buf, silence past its end (a shorter second clip, for instance).
void ReadPadded(IClip* clip, void* buf, int64_t start, int64_t count, IScriptEnvironment* env) {
    const VideoInfo& vi = clip->GetVideoInfo();
    const int bytes = vi.BytesPerAudioSample();
    auto* out = static_cast<uint8_t*>(buf);
    const int64_t lo = std::clamp<int64_t>(start, 0, vi.num_audio_samples);
    const int64_t hi = std::clamp<int64_t>(start + count, 0, vi.num_audio_samples);
    std::memset(out, 0, static_cast<size_t>(count * bytes));
    if (hi > lo) clip->GetAudio(out + (lo - start) * bytes, lo, hi - lo, env);
}

class MixAudio : public GenericVideoFilter {
public:
    MixAudio(PClip a, PClip b, float fa, float fb) : GenericVideoFilter(std::move(a)), b_(std::move(b)), fa_(fa), fb_(fb) {}

    void AVS_STDCALL GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment* env) override {
        if (count <= 0) return;
        const size_t n = static_cast<size_t>(count * vi.nchannels);
        if (vi.sample_type == SAMPLE_INT16)
            Mix(static_cast<int16_t*>(buf), n, start, count, env);
        else
            Mix(static_cast<float*>(buf), n, start, count, env);
    }

private:
    // 16-bit results saturate.
    template <class Sample>
    void Mix(Sample* out, size_t n, int64_t start, int64_t count, IScriptEnvironment* env) {
        std::vector<Sample> a(n), b(n);
        ReadPadded(child.get(), a.data(), start, count, env);
        ReadPadded(b_.get(), b.data(), start, count, env);
        for (size_t i = 0; i < n; ++i) {
            const float v = static_cast<float>(a[i]) * fa_ + static_cast<float>(b[i]) * fb_;
            if constexpr (std::is_same_v<Sample, int16_t>)
                out[i] = static_cast<int16_t>(std::clamp(std::nearbyint(v), -32768.0f, 32767.0f));
            else
                out[i] = v;
        }
    }

    const PClip b_;
    const float fa_, fb_;
};

class MergeChannels : public GenericVideoFilter {
public:
    explicit MergeChannels(std::vector<PClip> clips) : GenericVideoFilter(clips[0]), clips_(std::move(clips)) {
        vi.nchannels = 0;
        for (const PClip& c : clips_) vi.nchannels += c->GetVideoInfo().nchannels;
    }

    void AVS_STDCALL GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment* env) override {
        if (count <= 0) return;
        const int width = vi.BytesPerChannelSample(), out_bytes = vi.BytesPerAudioSample();
        auto* out = static_cast<uint8_t*>(buf);
        int offset = 0;  // bytes into each output sample where this clip's channels go
        for (const PClip& c : clips_) {
            const int bytes = c->GetVideoInfo().nchannels * width;
            src_.resize(static_cast<size_t>(count * bytes));
            ReadPadded(c.get(), src_.data(), start, count, env);
            for (int64_t s = 0; s < count; ++s)
                std::memcpy(out + s * out_bytes + offset, src_.data() + s * bytes, static_cast<size_t>(bytes));
            offset += bytes;
        }
    }

private:
    const std::vector<PClip> clips_;
    std::vector<uint8_t> src_;
};

// The clips in one sample type: their own when they share 16-bit or float, else float.
std::vector<PClip> CommonType(std::vector<PClip> clips) {
    const int type = clips[0]->GetVideoInfo().sample_type;
    bool same = type == SAMPLE_INT16 || type == SAMPLE_FLOAT;
    for (const PClip& c : clips) same = same && c->GetVideoInfo().sample_type == type;
    if (!same)
        for (PClip& c : clips) c = AudioIn(c, SAMPLE_FLOAT);
    return clips;
}

}  // namespace

AVSValue CreateMixAudio(const AVSValue& args, void*, IScriptEnvironment* env) {
    std::vector<PClip> clips = {args[kMixClip1].AsClip(), args[kMixClip2].AsClip()};
    const VideoInfo &a = clips[0]->GetVideoInfo(), &b = clips[1]->GetVideoInfo();
    if (!a.HasAudio() || !b.HasAudio()) env->ThrowError("MixAudio: both clips need audio");
    if (a.nchannels != b.nchannels) env->ThrowError("MixAudio: the clips have different numbers of channels");
    if (a.audio_samples_per_second != b.audio_samples_per_second)
        env->ThrowError("MixAudio: the clips have different sample rates");
    const float fa = static_cast<float>(args[kFactor1].AsFloat(0.5));
    const float fb = static_cast<float>(args[kFactor2].AsFloat(1.0 - fa));
    clips = CommonType(std::move(clips));
    return new MixAudio(clips[0], clips[1], fa, fb);
}

AVSValue CreateMergeChannels(const AVSValue& args, void*, IScriptEnvironment* env) {
    std::vector<PClip> clips;
    for (int i = 0; i < args[kMergeClips].ArraySize(); ++i) {
        clips.push_back(args[kMergeClips][i].AsClip());
        const VideoInfo& vi = clips.back()->GetVideoInfo();
        if (!vi.HasAudio()) env->ThrowError("MergeChannels: every clip needs audio");
        if (vi.audio_samples_per_second != clips[0]->GetVideoInfo().audio_samples_per_second)
            env->ThrowError("MergeChannels: the clips have different sample rates");
    }
    if (clips.size() == 1) return clips[0];
    return new MergeChannels(CommonType(std::move(clips)));
}

}  // namespace fserver
