// Real media of every kind through ferrule-render, read back from the MP4 it wrote:
// each clip's sound at its level, and its flashes and beeps on time after 10 s.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "tests/render/media_files.h"
#include "tests/render/render_support.h"

namespace {

using rtest::MediaSpec;
using rtest::TempDir;

constexpr int kMarks = 11;            // a flash and a beep at 0, 1, ... 10 s
constexpr double kClipSeconds = 10.5;
constexpr double kFlash = 0.1, kBeep = 0.1;  // seconds each lasts
constexpr double kBeepHz = 1000;

bool InMark(double t, double length) {
    const double k = std::floor(t + 1e-9);
    return k < kMarks && t - k < length - 1e-9;
}

struct Case {
    const char* name;
    const char* file;  // its extension picks the container
    const char* video;  // encoder, or "" for sound only
    std::vector<double> frame_times;
    const char* audio;
    int rate, channels;
    std::vector<float> amplitude;  // of the beep, per source channel
    int timeline_fps;
    double left, right;  // the beep's expected amplitude in the output
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

// 10 fps and 50 fps taking turns every half second, as a phone's camera varies.
std::vector<double> MixedRates(double seconds) {
    std::vector<double> t;
    for (int half = 0; half < seconds * 2; ++half) {
        const double fps = half % 2 ? 50 : 10;
        for (int i = 0; i < fps / 2; ++i) t.push_back(half * 0.5 + i / fps);
    }
    return t;
}

constexpr double k3dB = 0.70710678;

std::vector<Case> Cases() {
    const auto even = [](double fps) { return rtest::EvenFrames(fps, kClipSeconds); };
    return {
        {"H264AacMp4", "a.mp4", "libx264", even(25), "aac", 48000, 2, {0.5f, 0.25f}, 25, 0.5, 0.25},
        {"Vp9OpusWebm", "a.webm", "libvpx-vp9", even(25), "libopus", 48000, 2, {0.5f, 0.5f}, 25, 0.5, 0.5},
        {"Fps30In25", "a.mp4", "libx264", even(30), "aac", 48000, 2, {0.5f, 0.5f}, 25, 0.5, 0.5},
        {"Fps25In30", "a.mp4", "libx264", even(25), "aac", 48000, 2, {0.5f, 0.5f}, 30, 0.5, 0.5},
        {"VariableRate", "a.mp4", "libx264", MixedRates(kClipSeconds), "aac", 48000, 2, {0.5f, 0.5f}, 25, 0.5, 0.5},
        {"Rate44100In48000", "a.mkv", "libx264", even(25), "flac", 44100, 2, {0.5f, 0.25f}, 25, 0.5, 0.25},
        // FL, FR, FC, LFE, SL, SR: centre at -3 dB to both, surround at -3 dB to its side, LFE dropped.
        {"Surround51ToStereo", "a.mp4", "libx264", even(25), "aac", 48000, 6, {0.3f, 0.0f, 0.3f, 0.3f, 0.0f, 0.4f},
         25, 0.3 + 0.3 * k3dB, 0.3 * k3dB + 0.4 * k3dB},
        {"Wav16Mono", "a.wav", "", {}, "pcm_s16le", 48000, 1, {0.5f}, 25, 0.5, 0.5},
    };
}

MediaSpec SpecOf(const Case& c) {
    MediaSpec spec;
    spec.video_codec = c.video;
    spec.frame_times = c.frame_times;
    spec.luma = [](double t) { return static_cast<uint8_t>(InMark(t, kFlash) ? 235 : 16); };
    spec.audio_codec = c.audio;
    spec.audio_rate = c.rate;
    spec.channels = c.channels;
    spec.audio_samples = std::llround(kClipSeconds * c.rate);
    const std::vector<float> amplitude = c.amplitude;
    const int rate = c.rate;
    spec.sound = [amplitude, rate](int64_t s, int ch) {
        const double t = static_cast<double>(s) / rate;
        return InMark(t, kBeep) ? amplitude[ch] * static_cast<float>(std::sin(2 * M_PI * kBeepHz * t)) : 0.0f;
    };
    return spec;
}

// First frame of each run of bright frames, in seconds.
std::vector<double> FlashStarts(const rtest::DecodedMedia& d) {
    std::vector<double> starts;
    for (size_t i = 0; i < d.frame_luma.size(); ++i)
        if (d.frame_luma[i] > 128 && (i == 0 || d.frame_luma[i - 1] <= 128)) starts.push_back(d.frame_times[i]);
    return starts;
}

// Where each beep begins: the first sample of either channel above a third of its
// peak, searched from half a second before the mark.
std::vector<double> BeepStarts(const rtest::DecodedMedia& d, double peak) {
    std::vector<double> starts;
    const int64_t frames = static_cast<int64_t>(d.audio.size()) / d.channels;
    for (int k = 0; k < kMarks; ++k) {
        for (int64_t s = std::max<int64_t>(0, std::llround((k - 0.5) * d.audio_rate)); s < frames; ++s)
            if (std::fabs(d.audio[s * 2]) > peak / 3 || std::fabs(d.audio[s * 2 + 1]) > peak / 3) {
                starts.push_back(static_cast<double>(s) / d.audio_rate);
                break;
            }
    }
    return starts;
}

// A sine's amplitude from its RMS over the steady middle of every beep.
double Amplitude(const rtest::DecodedMedia& d, int channel) {
    double sum = 0;
    int64_t n = 0;
    for (int k = 0; k < kMarks; ++k)
        for (int64_t s = std::llround((k + 0.02) * d.audio_rate); s < std::llround((k + 0.08) * d.audio_rate); ++s, ++n)
            sum += d.audio[static_cast<size_t>(s * 2 + channel)] * d.audio[static_cast<size_t>(s * 2 + channel)];
    return std::sqrt(2 * sum / static_cast<double>(n));
}

class Conform : public ::testing::TestWithParam<Case> {};

TEST_P(Conform, SoundAtItsLevelAndPictureInSyncAfterTenSeconds) {
    const Case& c = GetParam();
    const TempDir dir;
    rtest::WriteMedia(dir / c.file, SpecOf(c));
    const int frames = static_cast<int>(kClipSeconds * c.timeline_fps);
    char json[512];
    std::snprintf(json, sizeof json,
                  R"({"output": {"width": 64, "height": 48, "fps": %d, "frames": %d},
                      "channels": [{"items": [{"type": "overlay", "first": 0, "last": %d, "audio": true,
                                               "media": "%s"}]}]})",
                  c.timeline_fps, frames, frames - 1, c.file);
    dir.Write("t.json", json);
    const rtest::Run run = rtest::RunRender({dir / "t.json", "-o", dir / "out.mp4", "--jobs", "1"});
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(run.errors, "");
    const rtest::DecodedMedia d = rtest::DecodeMedia(dir / "out.mp4");
    ASSERT_EQ(d.channels, 2);
    ASSERT_EQ(d.audio_rate, 48000);

    const double left = Amplitude(d, 0), right = Amplitude(d, 1);
    std::printf("[ %s ] beep amplitude L %.4f (want %.4f), R %.4f (want %.4f)\n", c.name, left, c.left, right, c.right);
    EXPECT_NEAR(left, c.left, 0.04 * c.left + 0.005);
    EXPECT_NEAR(right, c.right, 0.04 * c.right + 0.005);

    const double frame = 1.0 / c.timeline_fps;
    const std::vector<double> beeps = BeepStarts(d, std::max(c.left, c.right));
    ASSERT_EQ(beeps.size(), static_cast<size_t>(kMarks));
    for (int k = 0; k < kMarks; ++k) EXPECT_NEAR(beeps[k], k, frame / 2) << "beep " << k;
    if (!*c.video) return;
    const std::vector<double> flashes = FlashStarts(d);
    ASSERT_EQ(flashes.size(), static_cast<size_t>(kMarks));
    for (int k = 0; k < kMarks; ++k) EXPECT_NEAR(flashes[k], k, frame / 2) << "flash " << k;
    std::printf("[ %s ] after 10 s: flash %.4f s, beep %.4f s, apart %.1f ms\n", c.name, flashes[10], beeps[10],
                1000 * (flashes[10] - beeps[10]));
    EXPECT_LT(std::fabs(flashes[10] - beeps[10]), frame);
}

INSTANTIATE_TEST_SUITE_P(Media, Conform, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Case>& info) { return info.param.name; });

}  // namespace

namespace {

// Two clips at 0.7 over each other: the float mix clips the sum at full scale once, on
// the way out, where a 16-bit mix would wrap the peaks round to the other sign.
TEST(ConformMix, LoudOverlapsClipRatherThanWrap) {
    const TempDir dir;
    MediaSpec spec;
    spec.audio_codec = "pcm_s16le";
    spec.audio_samples = 48000;
    spec.sound = [](int64_t s, int) { return 0.7f * static_cast<float>(std::sin(2 * M_PI * 100 * s / 48000.0)); };
    rtest::WriteMedia(dir / "a.wav", spec);
    dir.Write("t.json", R"({"output": {"width": 64, "height": 48, "frames": 25},
        "channels": [{"items": [{"type": "overlay", "first": 0, "last": 24, "audio": true, "media": "a.wav"}]},
                     {"items": [{"type": "overlay", "first": 0, "last": 24, "audio": true, "media": "a.wav"}]}]})");
    const rtest::Run run = rtest::RunRender({dir / "t.json", "-o", dir / "out.mp4", "--jobs", "1"});
    ASSERT_EQ(run.status, 0) << run.errors;
    const rtest::DecodedMedia d = rtest::DecodeMedia(dir / "out.mp4");
    ASSERT_EQ(d.channels, 2);
    // Over whole cycles in the middle every sample keeps the sign of the sum. The RMS of
    // 1.4 sin clipped at 1 is 0.82 (AAC rounds the clipped corners off a little); one
    // clip alone would give 0.49 and the sum wrapped round 0.68.
    double sum = 0, want = 0;
    int wrong_sign = 0;
    const int64_t from = 9600, to = 38400;  // 0.2 s to 0.8 s, 60 cycles
    for (int64_t s = from; s < to; ++s) {
        const double ideal = 1.4 * std::sin(2 * M_PI * 100 * s / 48000.0);
        const double clipped = std::clamp(ideal, -1.0, 1.0);
        const float got = d.audio[static_cast<size_t>(s * 2)];
        if (std::fabs(ideal) > 0.2 && (got > 0) != (ideal > 0)) ++wrong_sign;
        sum += got * got;
        want += clipped * clipped;
    }
    const double rms = std::sqrt(sum / (to - from)), want_rms = std::sqrt(want / (to - from));
    std::printf("[ LoudOverlap ] RMS %.4f (clipped sum %.4f)\n", rms, want_rms);
    EXPECT_EQ(wrong_sign, 0);
    EXPECT_GT(rms, 0.74);
    EXPECT_LT(rms, want_rms + 0.01);
}

}  // namespace
