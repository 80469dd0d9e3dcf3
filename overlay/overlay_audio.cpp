// An overlay clip's audio: fades applied to what the clip gives, then added into the
// manager's output block.
#include <algorithm>
#include <type_traits>
#include <memory>

#include "overlay/overlay_item.h"

namespace {

// The fades walk the block in steps of one sample value for a mono clip and of two
// values (a stereo pair) otherwise; step i is clip position src + i.
template <typename T>
void ScaleStep(T* v, int width, float gain) {
    for (int j = 0; j < width; ++j) {
        if constexpr (std::is_same_v<T, int16_t>) v[j] = static_cast<int16_t>(static_cast<float>(v[j]) * gain);
        else v[j] = v[j] * gain;
    }
}

template <typename T>
void FadeIn(T* v, int64_t steps, int width, int64_t src, int64_t start, int64_t end) {
    const float step = 1.0f / static_cast<float>(end - start + 1);
    float gain = static_cast<float>(src - start) * step;
    for (int64_t i = 0; i < steps && src + i <= end; ++i, gain += step) ScaleStep(v + i * width, width, gain);
}

template <typename T>
void FadeOut(T* v, int64_t steps, int width, int64_t src, int64_t from, int64_t length) {
    const float step = 1.0f / static_cast<float>(length);
    const int64_t i0 = std::max<int64_t>(0, from - src);
    if (i0 >= steps) return;
    float gain = 1.0f - static_cast<float>(src + i0 - from) * step;
    for (int64_t i = i0; i < steps; ++i, gain -= step) ScaleStep(v + i * width, width, gain);
}

template <typename T>
void ApplyFades(const COverlayItem& item, T* v, int64_t len, int channels, int64_t src) {
    const int width = channels == 1 ? 1 : 2;
    const int64_t steps = len * channels / width;
    if (item.fade_in_end != -1) FadeIn(v, steps, width, src, item.clip_audio_start, item.fade_in_end);
    if (item.fade_out_start != -1) {
        const int64_t length =
            (item.last_sample - item.first_sample) - (item.fade_out_start - item.clip_audio_start) + 1;
        if (length > 0) FadeOut(v, steps, width, src, item.fade_out_start, length);
    }
}

// 16-bit sums wrap around: the mix adds as the host's mixer did, without clamping.
inline void Add(int16_t& d, int16_t s) { d = static_cast<int16_t>(static_cast<uint16_t>(d) + static_cast<uint16_t>(s)); }
inline void Add(float& d, float s) { d += s; }

template <typename T>
void AddInto(T* dst, const T* src, int64_t len, int out_channels, int clip_channels, int mono_mode) {
    if (out_channels == clip_channels) {
        for (int64_t i = 0; i < len * out_channels; ++i) Add(dst[i], src[i]);
    } else if (clip_channels == 1 && out_channels == 2 && mono_mode == 0) {
        for (int64_t i = 0; i < len; ++i) {
            Add(dst[2 * i], src[i]);
            Add(dst[2 * i + 1], src[i]);
        }
    } else if (clip_channels == 1 && out_channels == 2 && (mono_mode == 1 || mono_mode == 2)) {
        for (int64_t i = 0; i < len; ++i) Add(dst[2 * i + mono_mode - 1], src[i]);
    }
    // Any other pairing of channel counts has no defined place in the output: the
    // overlay's audio is left out rather than written past the sample it belongs to.
}

}  // namespace

void MixOverlayAudio(ItemRecord& record, const VideoInfo& out, void* buf, int64_t start, int64_t count,
                     IScriptEnvironment* env) {
    const COverlayItem& item = *static_cast<const COverlayItem*>(record.payload);
    const int64_t end = start + count - 1;
    if (!item.audio_enabled || end < item.first_sample || start > item.last_sample) return;
    const VideoInfo& cvi = item.clip_format;
    // Samples are added as the output's type; a clip of another type would be read
    // as something it is not, so it is not mixed.
    if (cvi.sample_type != out.sample_type || cvi.nchannels <= 0) return;
    if (out.sample_type != SAMPLE_INT16 && out.sample_type != SAMPLE_FLOAT) return;

    const int64_t first = std::max(start, item.first_sample);
    const int64_t src = first - item.first_sample + item.clip_audio_start;
    int64_t len = std::min(end, item.last_sample) - first + 1;
    if (cvi.num_audio_samples - src <= len) len = cvi.num_audio_samples - src;
    if (len <= 0) return;

    // The clip fills every byte, so the scratch is not cleared first.
    const std::unique_ptr<uint8_t[]> scratch(new uint8_t[static_cast<size_t>(cvi.BytesFromAudioSamples(len))]);
    item.clip->ReadAudio(scratch.get(), src, len, env);
    uint8_t* dst = static_cast<uint8_t*>(buf) + (first - start) * out.BytesPerAudioSample();
    const int mono_mode = item.Effect().mono_mode;
    if (out.sample_type == SAMPLE_INT16) {
        auto* v = reinterpret_cast<int16_t*>(scratch.get());
        ApplyFades(item, v, len, cvi.nchannels, src);
        AddInto(reinterpret_cast<int16_t*>(dst), v, len, out.nchannels, cvi.nchannels, mono_mode);
    } else {
        auto* v = reinterpret_cast<float*>(scratch.get());
        ApplyFades(item, v, len, cvi.nchannels, src);
        AddInto(reinterpret_cast<float*>(dst), v, len, out.nchannels, cvi.nchannels, mono_mode);
    }
}
