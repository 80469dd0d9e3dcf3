// ResampleAudio: audio converted to another rate by libswresample; video passes through.
// As in AviSynth, 16-bit audio comes out 0.95 times as loud (its 16-bit filter is scaled
// so), other integer audio is resampled as float, and the clip is silence on either side,
// so output past its last sample fades to zero rather than holding.
//
// A frame server asks for audio blocks in any order, and a resampler is a stream. So
// every request runs the resampler afresh over the source span it needs: it starts a
// little before the span (so the start-up edge falls outside it) at a point where the
// output grid meets a whole source sample, which puts every output sample at the same
// filter phase whichever request computes it. Blocks therefore join up exactly. The
// cost per request is resetting the context (swr keeps its filter bank across
// swr_close/swr_init) and resampling the margin and alignment lead-in once more.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <numeric>
#include <vector>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

#include "fserver/convert_audio.h"
#include "fserver/ffmpeg/av_ptr.h"
#include "fserver/ffmpeg/ffmpeg_builtins.h"

namespace fserver {

namespace {

enum ResampleAudioArg {
    kClip,
    kRate,
    kDenominator,
};

using Wide = __int128;  // products of sample positions and rates overflow 64 bits

int64_t FloorDiv(Wide a, Wide b) { return static_cast<int64_t>(a >= 0 ? a / b : -((-a + b - 1) / b)); }
int64_t CeilDiv(Wide a, Wide b) { return -FloorDiv(-a, b); }

constexpr double k16BitGain = 0.95;

// Source samples per resampler run: bounded so that the output of one run stays small
// even when upsampling by a large factor.
constexpr int64_t kChunk = 1 << 15;

class ResampleAudio : public GenericVideoFilter {
public:
    // B output samples span exactly A source samples (A, B coprime).
    ResampleAudio(PClip child, int a, int b, int rate, IScriptEnvironment* env);

    void AVS_STDCALL GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment* env) override;

private:
    // Writes output samples [first, first + n) into out; all of them lie inside the clip.
    void Render(uint8_t* out, int64_t first, int64_t n, IScriptEnvironment* env);
    // Source samples [pos, pos + len) into in_buf_, silence outside the clip.
    void ReadSource(int64_t pos, int len, IScriptEnvironment* env);
    // count sample frames of the resampler's float output into the clip's sample type.
    void Store(uint8_t* out, const uint8_t* from, int64_t count) const;

    int64_t a_, b_;
    int64_t margin_;       // source samples kept either side of a span, more than the filter reaches
    int64_t src_samples_;  // length of the child's audio
    int64_t in_chunk_;
    int frame_bytes_;  // one sample of every channel, in the child's type and the output's
    int float_bytes_;  // one sample of every channel as the resampler gives it
    SwrPtr swr_;
    std::vector<uint8_t> in_buf_, out_buf_;
};

ResampleAudio::ResampleAudio(PClip child_clip, int a, int b, int rate, IScriptEnvironment* env)
    : GenericVideoFilter(std::move(child_clip)), a_(a), b_(b) {
    src_samples_ = vi.num_audio_samples;
    frame_bytes_ = vi.BytesPerAudioSample();
    float_bytes_ = vi.nchannels * static_cast<int>(sizeof(float));
    // swr's filter spans 32 taps, stretched by the ratio when downsampling.
    margin_ = (a_ > b_ ? CeilDiv(Wide{34} * a_, b_) : 34) + 16;
    in_chunk_ = std::max<int64_t>(1, std::min<int64_t>(kChunk, kChunk * a_ / b_));

    const AVSampleFormat in_format = vi.sample_type == SAMPLE_INT16 ? AV_SAMPLE_FMT_S16 : AV_SAMPLE_FMT_FLT;
    AVChannelLayout layout{};
    av_channel_layout_default(&layout, vi.nchannels);
    SwrContext* raw = nullptr;
    const int set = swr_alloc_set_opts2(&raw, &layout, AV_SAMPLE_FMT_FLT, b, &layout, in_format, a, 0, nullptr);
    av_channel_layout_uninit(&layout);
    SwrPtr swr(raw);
    if (set < 0 || swr_init(swr.get()) < 0)
        env->ThrowError("ResampleAudio: libswresample cannot convert %d Hz to %d Hz", vi.audio_samples_per_second,
                        rate);
    swr_ = std::move(swr);

    in_buf_.resize(static_cast<size_t>(in_chunk_ * frame_bytes_));
    vi.num_audio_samples = static_cast<int64_t>((Wide{src_samples_} * b_ * 2 + a_) / (Wide{a_} * 2));
    vi.audio_samples_per_second = rate;
}

void AVS_STDCALL ResampleAudio::GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment* env) {
    if (count <= 0) return;
    auto* out = static_cast<uint8_t*>(buf);
    const int64_t first = std::clamp<int64_t>(start, 0, vi.num_audio_samples);
    const int64_t last = std::clamp<int64_t>(start + count, 0, vi.num_audio_samples);
    // Silence outside the clip.
    const int64_t before = std::clamp<int64_t>(first - start, 0, count);
    std::memset(out, 0, static_cast<size_t>(before * frame_bytes_));
    if (last > first) Render(out + before * frame_bytes_, first, last - first, env);
    const int64_t done = before + std::max<int64_t>(0, last - first);
    std::memset(out + done * frame_bytes_, 0, static_cast<size_t>((count - done) * frame_bytes_));
}

void ResampleAudio::ReadSource(int64_t pos, int len, IScriptEnvironment* env) {
    const int64_t lo = std::clamp<int64_t>(pos, 0, src_samples_), hi = std::clamp<int64_t>(pos + len, 0, src_samples_);
    std::memset(in_buf_.data(), 0, static_cast<size_t>(len) * frame_bytes_);
    if (hi > lo) child->GetAudio(in_buf_.data() + (lo - pos) * frame_bytes_, lo, hi - lo, env);
}

void ResampleAudio::Store(uint8_t* out, const uint8_t* from, int64_t count) const {
    const size_t n = static_cast<size_t>(count * vi.nchannels);
    if (vi.sample_type == SAMPLE_FLOAT) {
        std::memcpy(out, from, n * sizeof(float));
        return;
    }
    for (size_t i = 0; i < n; ++i) {
        float f;
        std::memcpy(&f, from + i * sizeof f, sizeof f);
        const double v = std::nearbyint(f * (32768.0 * k16BitGain));
        const auto s = static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
        std::memcpy(out + i * sizeof s, &s, sizeof s);
    }
}

void ResampleAudio::Render(uint8_t* out, int64_t first, int64_t n, IScriptEnvironment* env) {
    // Output k sits at source position k * a / b; start on the grid point m * a, with
    // output index m * b, at least a margin before the first sample wanted. Positions
    // outside the clip read as silence, so the margin may lie before its start or past
    // its end.
    const int64_t reach = FloorDiv(Wide{first} * a_, b_) - margin_;
    const int64_t m = FloorDiv(reach, a_);
    int64_t pos = m * a_;
    const int64_t src_end = CeilDiv(Wide{first + n} * a_, b_) + margin_;
    int64_t produced = m * b_;  // output index of the next sample the run emits

    swr_close(swr_.get());
    if (swr_init(swr_.get()) < 0) env->ThrowError("ResampleAudio: libswresample failed to restart");

    // Keeps whatever part of a run's output falls inside the wanted span.
    int64_t filled = 0;
    const auto take = [&](int got) {
        const int64_t lo = std::max(produced, first), hi = std::min(produced + got, first + n);
        if (hi > lo) {
            Store(out + (lo - first) * frame_bytes_, out_buf_.data() + (lo - produced) * float_bytes_, hi - lo);
            filled = hi - first;
        }
        produced += got;
    };
    const auto run = [&](const uint8_t* in, int in_count) {
        const int cap = swr_get_out_samples(swr_.get(), in_count);
        if (cap < 0) env->ThrowError("ResampleAudio: libswresample failed");
        const size_t bytes = static_cast<size_t>(cap) * float_bytes_;
        if (out_buf_.size() < bytes) out_buf_.resize(bytes);  // grows to the largest run, then stays
        uint8_t* dst = out_buf_.data();
        const int got = swr_convert(swr_.get(), &dst, cap, in ? &in : nullptr, in_count);
        if (got < 0) env->ThrowError("ResampleAudio: libswresample failed");
        take(got);
    };

    while (pos < src_end && produced < first + n) {
        const int len = static_cast<int>(std::min(in_chunk_, src_end - pos));
        ReadSource(pos, len, env);
        run(in_buf_.data(), len);
        pos += len;
    }
    // A span the margin did not cover: drain the filter.
    if (produced < first + n) run(nullptr, 0);
    if (filled < n) std::memset(out + filled * frame_bytes_, 0, static_cast<size_t>((n - filled) * frame_bytes_));
}

}  // namespace

AVSValue CreateResampleAudio(const AVSValue& args, void*, IScriptEnvironment* env) {
    PClip clip = args[kClip].AsClip();
    const int rate = args[kRate].AsInt(), denominator = args[kDenominator].AsInt(1);
    if (rate <= 0) env->ThrowError("ResampleAudio: the new rate must be positive");
    if (denominator <= 0) env->ThrowError("ResampleAudio: the rate denominator must be positive");
    const VideoInfo& vi = clip->GetVideoInfo();
    if (!vi.HasAudio()) return clip;
    const int64_t src_rate = int64_t{vi.audio_samples_per_second} * denominator;
    if (src_rate == rate) return clip;
    // The reported rate is the rounded fraction; the conversion uses it exactly.
    const int out_rate = static_cast<int>((int64_t{rate} + denominator / 2) / denominator);
    if (out_rate <= 0) env->ThrowError("ResampleAudio: the new rate must be at least 1 Hz");
    const int64_t g = std::gcd(src_rate, int64_t{rate});
    if (src_rate / g > INT_MAX) env->ThrowError("ResampleAudio: the rate fraction is too fine for libswresample");
    return new ResampleAudio(AudioIn(clip, SAMPLE_INT16 | SAMPLE_FLOAT), static_cast<int>(src_rate / g),
                             static_cast<int>(rate / g), out_rate, env);
}

}  // namespace fserver
