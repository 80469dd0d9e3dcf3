// Clips whose every byte and sample the test knows in advance, and their frames and
// samples read back for exact comparison.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/test_support.h"

namespace test {

inline VideoInfo VideoFormat(int pixel_type, int width, int height, int frames = 10) {
    VideoInfo vi = Rgb24Info(width, height, frames);
    vi.pixel_type = pixel_type;
    return vi;
}

// Size, frame rate, length, audio rate, channels and audio length.
inline std::string Shape(const PClip& clip) {
    const VideoInfo& vi = clip->GetVideoInfo();
    return std::to_string(vi.width) + "x" + std::to_string(vi.height) + " " + std::to_string(vi.fps_numerator) + "/" +
           std::to_string(vi.fps_denominator) + " " + std::to_string(vi.num_frames) + "f " +
           std::to_string(vi.audio_samples_per_second) + "Hz x" + std::to_string(vi.nchannels) + " " +
           std::to_string(vi.num_audio_samples);
}

constexpr int kPlanes[] = {PLANAR_Y, PLANAR_U, PLANAR_V};

// Byte b of memory row r in plane k (0 luma or packed, 1 U, 2 V) of the default gradient.
inline int Gradient(int k, int r, int b) { return (k * 100 + r * 16 + b) & 0xFF; }

// Every frame is one stored frame whose byte b of memory row r in plane k is
// value(k, r, b), so a test can also check that a filter left it alone.
class GradientClip : public PatternClip {
public:
    using Value = int (*)(int k, int r, int b);
    GradientClip(const VideoInfo& vi, IScriptEnvironment* env, Value value = Gradient)
        : PatternClip(vi), frame(env->NewVideoFrame(vi)) {
        for (int k = 0; k < (vi.IsPlanar() ? 3 : 1); ++k) {
            uint8_t* p = frame->GetWritePtr(kPlanes[k]);
            for (int r = 0; r < frame->GetHeight(kPlanes[k]); ++r, p += frame->GetPitch(kPlanes[k]))
                for (int b = 0; b < frame->GetRowSize(kPlanes[k]); ++b) p[b] = static_cast<uint8_t>(value(k, r, b));
        }
    }
    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int, IScriptEnvironment*) override {
        return ReturnInto(result, PVideoFrame(frame));
    }
    using IClip::GetFrame;

    PVideoFrame frame;
};

// Every byte of every plane of f (three when planar) equals expect(k, memory row, byte).
template <class Expect>
::testing::AssertionResult FrameIs(const PVideoFrame& f, bool planar, Expect expect) {
    for (int k = 0; k < (planar ? 3 : 1); ++k) {
        const uint8_t* p = f->GetReadPtr(kPlanes[k]);
        for (int r = 0; r < f->GetHeight(kPlanes[k]); ++r, p += f->GetPitch(kPlanes[k]))
            for (int b = 0; b < f->GetRowSize(kPlanes[k]); ++b)
                if (p[b] != expect(k, r, b))
                    return ::testing::AssertionFailure() << "plane " << k << " row " << r << " byte " << b << ": "
                                                         << int{p[b]} << " != " << expect(k, r, b);
    }
    return ::testing::AssertionSuccess();
}

// Audio only: no video, the given rate, channels, sample type and length.
inline VideoInfo AudioFormat(int rate, int channels, int sample_type, int64_t samples) {
    VideoInfo vi = WithAudio(Rgb24Info(0, 0, 0), rate, channels);
    vi.sample_type = sample_type;
    vi.num_audio_samples = samples;
    return vi;
}

// Sample s of channel ch is value(s, ch), rounded to nearest for integer audio (8-bit
// audio is unsigned: value + 128).
class AudioClip : public PatternClip {
public:
    using Value = std::function<double(int64_t s, int ch)>;
    AudioClip(const VideoInfo& vi, Value value) : PatternClip(vi), value_(std::move(value)) {}
    void AVS_STDCALL GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment*) override {
        const VideoInfo& vi = GetVideoInfo();
        const int n = vi.nchannels, width = vi.BytesPerChannelSample();
        for (int64_t i = 0; i < count * n; ++i) {
            const double v = value_(start + i / n, static_cast<int>(i % n));
            const int32_t whole = static_cast<int32_t>(std::llround(v + (vi.sample_type == SAMPLE_INT8 ? 128 : 0)));
            const float f = static_cast<float>(v);
            const void* bytes = vi.sample_type == SAMPLE_FLOAT ? static_cast<const void*>(&f) : &whole;
            std::memcpy(static_cast<uint8_t*>(buf) + i * width, bytes, static_cast<size_t>(width));  // the low bytes
        }
    }

private:
    Value value_;
};

// Audio only at 48 kHz: the interleaved samples given, silence outside them.
inline PClip SampleClip(int channels, int sample_type, std::vector<double> samples) {
    const int64_t length = static_cast<int64_t>(samples.size()) / channels;
    return new AudioClip(AudioFormat(48000, channels, sample_type, length),
                         [channels, length, samples = std::move(samples)](int64_t s, int ch) {
                             return s >= 0 && s < length ? samples[static_cast<size_t>(s * channels + ch)] : 0.0;
                         });
}

// The interleaved samples asked for; a guard past them must stay untouched.
template <class Sample>
std::vector<Sample> Samples(const PClip& clip, int64_t start, int64_t count, IScriptEnvironment* env) {
    const size_t n = static_cast<size_t>(count * clip->GetVideoInfo().nchannels);
    std::vector<Sample> buf(n + 1, Sample(77));
    clip->GetAudio(buf.data(), start, count, env);
    EXPECT_EQ(buf[n], Sample(77)) << "wrote past the samples asked for";
    buf.pop_back();
    return buf;
}

}  // namespace test
