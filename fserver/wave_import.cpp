#include "fserver/wave_import.h"

#include <algorithm>
#include <cstring>

namespace fserver {

namespace {

constexpr uint16_t kPcm = 1, kFloat = 3, kExtensible = 0xFFFE;

uint32_t Word(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t Half(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

class WaveImport : public IClip {
public:
    WaveImport(const VideoInfo& vi, const uint8_t* samples, size_t size) : vi_(vi), samples_(samples, samples + size) {}

    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int, IScriptEnvironment*) override {
        return ReturnInto(result, PVideoFrame());  // no video
    }
    bool AVS_STDCALL GetParity(int) override { return false; }
    // Silence outside the file.
    void AVS_STDCALL GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment*) override {
        if (count <= 0) return;
        const int64_t bps = vi_.BytesPerAudioSample();
        auto* out = static_cast<uint8_t*>(buf);
        std::memset(out, 0, static_cast<size_t>(count * bps));
        const int64_t from = std::max<int64_t>(start, 0), to = std::min(start + count, vi_.num_audio_samples);
        if (from >= to) return;
        std::memcpy(out + (from - start) * bps, samples_.data() + from * bps, static_cast<size_t>((to - from) * bps));
    }
    void AVS_STDCALL SetCacheHints(int, int) override {}
    const VideoInfo& AVS_STDCALL GetVideoInfo() override { return vi_; }
    using IClip::GetFrame;

private:
    VideoInfo vi_;
    std::vector<uint8_t> samples_;
};

}  // namespace

bool IsWaveFile(const std::vector<uint8_t>& bytes) {
    return bytes.size() >= 12 && !std::memcmp(bytes.data(), "RIFF", 4) && !std::memcmp(&bytes[8], "WAVE", 4);
}

IClip* NewWaveImport(const std::vector<uint8_t>& bytes, const char* path, IScriptEnvironment* env) {
    const uint8_t* format = nullptr;
    const uint8_t* data = nullptr;
    size_t format_size = 0, data_size = 0;
    // Chunks: a four-letter id, a 32-bit size, the body padded to an even length.
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const size_t size = std::min<size_t>(Word(&bytes[at + 4]), bytes.size() - at - 8);
        if (!std::memcmp(&bytes[at], "fmt ", 4) && size >= 16) format = &bytes[at + 8], format_size = size;
        if (!std::memcmp(&bytes[at], "data", 4)) data = &bytes[at + 8], data_size = size;
        at += 8 + size + (size & 1);
    }
    VideoInfo vi{};
    if (format && data) {
        const uint16_t tag = Half(format) == kExtensible && format_size >= 26 ? Half(format + 24) : Half(format);
        const int bits = Half(format + 14);
        vi.nchannels = Half(format + 2);
        vi.audio_samples_per_second = static_cast<int>(Word(format + 4));
        vi.sample_type = tag == kFloat && bits == 32 ? SAMPLE_FLOAT
                         : tag != kPcm            ? 0
                         : bits == 16             ? SAMPLE_INT16
                         : bits == 24             ? SAMPLE_INT24
                         : bits == 32             ? SAMPLE_INT32
                                                  : 0;
    }
    if (!vi.sample_type || vi.nchannels <= 0 || vi.audio_samples_per_second <= 0 ||
        Half(format + 12) != vi.BytesPerAudioSample())
        env->ThrowError("Import: cannot open \"%s\": %s", path, "Invalid data found when processing input");
    vi.SetFPS(25, 1);
    vi.num_audio_samples = static_cast<int64_t>(data_size) / vi.BytesPerAudioSample();
    return new WaveImport(vi, data, data_size);
}

}  // namespace fserver
