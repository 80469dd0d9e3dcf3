// "Import" reached through Invoke, on media the tests encode themselves with libavformat
// into a temporary folder: FFV1 video with float audio in Matroska, mpeg4 video with
// inter frames in MP4, and a 16-bit WAV tone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "tests/ffmpeg/media_writer.h"
#include "tests/support/clips.h"

namespace {

using test::AudioTrack;
using test::kHeight;
using test::kWidth;
using test::TempDir;
using test::VideoTrack;
using test::Write;

// FFV1 frame n: picture pixel (x, y) is B, G, R = 4x + n, 5y, 5n.
uint8_t Lossless(int n, int x, int y, int c) { return uint8_t(c == 0 ? 4 * x + n : c == 1 ? 5 * y : 5 * n); }
void PaintLossless(AVFrame* f, int n) {
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            for (int c = 0; c < 4; ++c) f->data[0][y * f->linesize[0] + 4 * x + c] = c < 3 ? Lossless(n, x, y, c) : 0;
}
// MPEG-4 frame n: flat grey, luma 20 + 5n, which survives lossy coding.
void PaintGrey(AVFrame* f, int n) {
    for (int p = 0; p < 3; ++p)
        for (int y = 0; y < (p ? kHeight / 2 : kHeight); ++y)
            std::memset(f->data[p] + y * f->linesize[p], p ? 128 : 20 + 5 * n, p ? kWidth / 2 : kWidth);
}
double Wave(int64_t s, int ch) { return 0.5 * std::sin(0.01 * double(s) + ch); }
double Tone(int64_t s, int ch) { return 12000 * std::sin(2 * M_PI * 440 * double(s) / 44100) + 1000 * ch; }

PClip Import(IScriptEnvironment* env, const std::string& path) {
    return env->Invoke("Import", AVSValue(path.c_str())).AsClip();
}

std::string ImportError(IScriptEnvironment* env, const std::string& path) {
    return test::ErrorOf([&] { Import(env, path); });
}

// Frame numbers forward, backward, shuffled, and hopping over key frames.
std::vector<std::vector<int>> Orders(int frames) {
    std::vector<int> forward(frames);
    std::iota(forward.begin(), forward.end(), 0);
    std::vector<int> backward(forward.rbegin(), forward.rend()), shuffled = forward;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
    return {forward, backward, shuffled, {0, frames - 1, 11, 12, 13, 5, 25, 24, 23, 36, 36, 1}};
}

// The clip's VideoInfo is exactly this, width kWidth by kHeight at 25 fps when it has frames.
void ExpectInfo(const PClip& clip, int frames, int rate, int sample_type, int channels, int64_t samples) {
    VideoInfo want = frames ? test::Rgb24Info(kWidth, kHeight, frames) : test::Rgb24Info(0, 0, 0);
    if (!frames) want.pixel_type = 0;
    want.audio_samples_per_second = rate, want.sample_type = sample_type, want.nchannels = channels;
    want.num_audio_samples = samples;
    EXPECT_EQ(std::memcmp(&clip->GetVideoInfo(), &want, sizeof want), 0);
}

// Blocks of samples in any order match value() inside the stream and are silence outside.
template <class T>
void ExpectAudio(IScriptEnvironment* env, const PClip& clip, double (*value)(int64_t, int), int64_t total) {
    std::vector<std::pair<int64_t, int64_t>> blocks = {{0, total}, {-300, 1000}, {total - 700, 1500}, {5, 0}};
    for (int64_t s = total - 4000; s > 0; s -= 9000) blocks.push_back({s, 4000});  // backwards, each one a seek
    std::mt19937 rng(3);
    for (int i = 0; i < 20; ++i) blocks.push_back({int64_t(rng() % total) - 100, int64_t(rng() % 3000)});
    for (const auto& [start, count] : blocks) {
        const std::vector<T> got = test::Samples<T>(clip, start, count, env);
        const int channels = clip->GetVideoInfo().nchannels;
        for (size_t i = 0; i < got.size(); ++i) {
            const int64_t s = start + int64_t(i / channels);
            const int ch = int(i % channels);
            const T want = s < 0 || s >= total ? T(0) : T(sizeof(T) == 2 ? lround(value(s, ch)) : value(s, ch));
            ASSERT_EQ(got[i], want) << "block " << start << "+" << count << ", sample " << s << " channel " << ch;
        }
    }
}

TEST(Import, LosslessVideoGivesEveryFrameBottomUpInAnyOrderWithItsFloatAudio) {
    TempDir dir;
    const VideoTrack video{AV_CODEC_ID_FFV1, AV_PIX_FMT_0RGB32, 50, PaintLossless};
    const AudioTrack audio{AV_CODEC_ID_PCM_F32LE, AV_SAMPLE_FMT_FLT, 48000, 2, 96000, Wave};
    Write(dir / "ffv1.mkv", &video, &audio);
    test::EnvPtr env = test::NewEnv();
    const PClip clip = Import(env.get(), dir / "ffv1.mkv");
    ExpectInfo(clip, 50, 48000, SAMPLE_FLOAT, 2, 96000);

    for (const std::vector<int>& order : Orders(50))
        for (int n : order) {
            const PVideoFrame f = clip->GetFrame(n, env.get());
            ASSERT_EQ(f->GetRowSize(), kWidth * 3);
            ASSERT_EQ(f->GetHeight(), kHeight);
            // Memory row r is picture row 47 - r.
            for (int r = 0; r < kHeight; ++r)
                for (int x = 0; x < kWidth; ++x)
                    for (int c = 0; c < 3; ++c)
                        ASSERT_EQ(f->GetReadPtr()[r * f->GetPitch() + 3 * x + c], Lossless(n, x, kHeight - 1 - r, c))
                            << "frame " << n << " row " << r << " x " << x << " channel " << c;
        }
    const PVideoFrame a = clip->GetFrame(17, env.get()), b = clip->GetFrame(17, env.get());
    EXPECT_EQ(a.get(), b.get()) << "a repeated request is the cached frame";
    EXPECT_EQ(clip->GetFrame(-5, env.get())->GetReadPtr()[0], Lossless(0, 0, kHeight - 1, 0));
    EXPECT_EQ(clip->GetFrame(80, env.get())->GetReadPtr()[0], Lossless(49, 0, kHeight - 1, 0));
    ExpectAudio<float>(env.get(), clip, Wave, 96000);
}

TEST(Import, InterFramesSeekToTheirOwnPictureAndVideoOnlyHasNoAudio) {
    TempDir dir;
    const VideoTrack video{AV_CODEC_ID_MPEG4, AV_PIX_FMT_YUV420P, 40, PaintGrey};
    Write(dir / "mpeg4.mp4", &video, nullptr);
    test::EnvPtr env = test::NewEnv();
    const PClip clip = Import(env.get(), dir / "mpeg4.mp4");
    ExpectInfo(clip, 40, 0, 0, 0, 0);

    for (const std::vector<int>& order : Orders(40))
        for (int n : order) {
            const PVideoFrame f = clip->GetFrame(n, env.get());
            double sum = 0;
            for (int r = 0; r < kHeight; ++r)
                for (int x = 0; x < kWidth * 3; ++x) sum += f->GetReadPtr()[r * f->GetPitch() + x];
            // Limited-range grey back to luma, and luma to its frame number.
            const double luma = sum / (kWidth * 3 * kHeight) * 219 / 255 + 16;
            ASSERT_EQ(std::lround((luma - 20) / 5), n) << "luma " << luma;
        }
    std::vector<int16_t> none(4, 7);
    clip->GetAudio(none.data(), 0, 2, env.get());
    EXPECT_EQ(none, std::vector<int16_t>(4, 7)) << "no channels, nothing written";
}

TEST(Import, PcmToneIsSampleExactInAnyBlockOrderAndAudioOnlyHasNoVideo) {
    TempDir dir;
    const AudioTrack audio{AV_CODEC_ID_PCM_S16LE, AV_SAMPLE_FMT_S16, 44100, 2, 66150, Tone};
    Write(dir / "tone.wav", nullptr, &audio);
    test::EnvPtr env = test::NewEnv();
    const PClip clip = Import(env.get(), dir / "tone.wav");
    ExpectInfo(clip, 0, 44100, SAMPLE_INT16, 2, 66150);
    EXPECT_FALSE(clip->GetFrame(0, env.get()));
    ExpectAudio<int16_t>(env.get(), clip, Tone, 66150);
}

TEST(Import, FilesItCannotReadNameTheFile) {
    TempDir dir;
    test::EnvPtr env = test::NewEnv();
    const std::string missing = dir / "missing.avi";
    EXPECT_EQ(ImportError(env.get(), missing), "Import: cannot open \"" + missing + "\": No such file or directory");

    std::mt19937 rng(11);
    std::string noise(4096, '\0');
    for (char& c : noise) c = char(rng());
    EXPECT_EQ(ImportError(env.get(), dir.Write("noise.mkv", noise)),
              "Import: cannot open \"" + dir / "noise.mkv" + "\": Invalid data found when processing input");

    // A Matroska header cut short, and subtitles alone.
    const VideoTrack video{AV_CODEC_ID_FFV1, AV_PIX_FMT_0RGB32, 2, PaintLossless};
    Write(dir / "whole.mkv", &video, nullptr);
    EXPECT_EQ(ImportError(env.get(), dir.Write("cut.mkv", dir.Read("whole.mkv").substr(0, 64))),
              "Import: cannot open \"" + dir / "cut.mkv" + "\": Input/output error");
    EXPECT_EQ(ImportError(env.get(), dir.Write("text.srt", "1\n00:00:01,000 --> 00:00:02,000\nHello\n")),
              "Import: \"" + dir / "text.srt" + "\" has neither video nor audio");
}

TEST(Import, DamagedDataInsideAFileStillGivesEveryFrameAndSample) {
    TempDir dir;
    const VideoTrack ffv1{AV_CODEC_ID_FFV1, AV_PIX_FMT_0RGB32, 50, PaintLossless};
    const VideoTrack mpeg4{AV_CODEC_ID_MPEG4, AV_PIX_FMT_YUV420P, 40, PaintGrey};
    const AudioTrack audio{AV_CODEC_ID_PCM_F32LE, AV_SAMPLE_FMT_FLT, 48000, 2, 96000, Wave};
    Write(dir / "a.mkv", &ffv1, &audio);
    Write(dir / "b.mov", &mpeg4, &audio);
    test::EnvPtr env = test::NewEnv();
    for (const char* name : {"a.mkv", "b.mov"}) {
        SCOPED_TRACE(name);
        // Noise over a stretch of the middle, where the packets are.
        std::fstream file(dir / name, std::ios::in | std::ios::out | std::ios::binary);
        file.seekg(0, std::ios::end);
        const std::streamoff size = file.tellg();
        std::mt19937 rng(5);
        std::string noise(static_cast<size_t>(size / 8), '\0');
        for (char& c : noise) c = char(rng());
        file.seekp(size / 2);
        file.write(noise.data(), static_cast<std::streamsize>(noise.size()));
        file.close();

        const PClip clip = Import(env.get(), dir / name);
        const VideoInfo& vi = clip->GetVideoInfo();
        for (const std::vector<int>& order : Orders(vi.num_frames))
            for (int n : order) ASSERT_EQ(clip->GetFrame(n, env.get())->GetRowSize(), kWidth * 3);
        for (int64_t s = vi.num_audio_samples; s > -2000; s -= 7000) test::Samples<float>(clip, s, 5000, env.get());
    }
}

// Audio whose samples land on no container timestamp and whose codecs carry state
// from frame to frame: any block, asked for in any order, is byte for byte what a
// fresh clip decoding forward from the start gives for it.
double Chirp(int64_t s, int ch) { return 0.4 * std::sin(0.0004 * double(s) * double(s % 9000) / 90 + ch); }

std::vector<uint8_t> SampleBytes(IScriptEnvironment* env, const PClip& clip, int64_t start, int64_t count) {
    std::vector<uint8_t> buf(static_cast<size_t>(count * clip->GetVideoInfo().BytesPerAudioSample()));
    clip->GetAudio(buf.data(), start, count, env);
    return buf;
}

struct Coded {
    const char* file;
    AVCodecID codec;
    AVSampleFormat format;
    int rate;
    int seconds = 3;
    bool video = false;
};

TEST(Import, BackwardRequestsInCompressedContainersMatchAForwardDecode) {
    const Coded cases[] = {
        {"ffv1-flac.mkv", AV_CODEC_ID_FLAC, AV_SAMPLE_FMT_S16, 44100, 3, true},
        {"pcm.mkv", AV_CODEC_ID_PCM_S16LE, AV_SAMPLE_FMT_S16, 44100},
        {"mp3.mkv", AV_CODEC_ID_MP3, AV_SAMPLE_FMT_FLTP, 44100},
        {"ffv1-aac.mov", AV_CODEC_ID_AAC, AV_SAMPLE_FMT_FLTP, 48000, 3, true},
        {"opus.webm", AV_CODEC_ID_OPUS, AV_SAMPLE_FMT_FLT, 48000},
        {"vorbis.webm", AV_CODEC_ID_VORBIS, AV_SAMPLE_FMT_FLTP, 44100},
        // Long enough that a far jump lands by timestamp (MP4) or decodes on (Matroska).
        {"long-aac.mp4", AV_CODEC_ID_AAC, AV_SAMPLE_FMT_FLTP, 8000, 14},
        {"long-flac.mka", AV_CODEC_ID_FLAC, AV_SAMPLE_FMT_S16, 8000, 14},
    };
    TempDir dir;
    test::EnvPtr env = test::NewEnv();
    for (const Coded& c : cases) {
        SCOPED_TRACE(c.file);
        const AudioTrack audio{c.codec, c.format, c.rate, 2, c.seconds * int64_t{c.rate}, Chirp};
        const VideoTrack video{AV_CODEC_ID_FFV1, AV_PIX_FMT_0RGB32, 75, PaintLossless};
        Write(dir / c.file, c.video ? &video : nullptr, &audio);
        const PClip forward = Import(env.get(), dir / c.file);
        const int64_t total = forward->GetVideoInfo().num_audio_samples;
        ASSERT_GT(total, (c.seconds - 1) * c.rate);
        const std::vector<uint8_t> all = SampleBytes(env.get(), forward, 0, total);

        const PClip clip = Import(env.get(), dir / c.file);
        std::vector<std::pair<int64_t, int64_t>> blocks = {{5880, 500}, {2940, 500}, {0, 700}, {total - 900, 900}};
        for (int64_t s = total - 5000; s > 0; s -= total / 9) blocks.push_back({s, 3000});
        for (int64_t s = total - 5000; s > 0; s -= 7919) blocks.push_back({s, 3000});
        std::mt19937 rng(9);
        for (int i = 0; i < 15; ++i) blocks.push_back({int64_t(rng() % uint32_t(total - 2500)), 1 + rng() % 2400});
        const int bytes = clip->GetVideoInfo().BytesPerAudioSample();
        for (const auto& [start, count] : blocks) {
            const std::vector<uint8_t> got = SampleBytes(env.get(), clip, start, count);
            const auto want = all.begin() + start * bytes;
            ASSERT_TRUE(std::equal(got.begin(), got.end(), want))
                << "block " << start << "+" << count << " first differs at sample "
                << start + (std::mismatch(got.begin(), got.end(), want).first - got.begin()) / bytes;
        }
    }
}

}  // namespace
