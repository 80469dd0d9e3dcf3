// "Import" reached through Invoke, on media the ffmpeg program makes into a scratch
// folder: lossless files give exactly what was coded, and any frame or block of
// samples, asked for in any order, is what a forward decode gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "tests/ffmpeg/media.h"
#include "tests/support/clips.h"
#include "tests/support/temp_dir.h"

namespace {

using test::MakeMedia;
using test::TempDir;

constexpr int kHeight = 48;

PClip Import(IScriptEnvironment* env, const std::string& path) { return env->Invoke("Import", path.c_str()).AsClip(); }

// Frame numbers shuffled, and hopping over key frames.
std::vector<std::vector<int>> Orders(int frames) {
    std::vector<int> shuffled(frames);
    std::iota(shuffled.begin(), shuffled.end(), 0);
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
    return {shuffled, {0, frames - 1, 11, 12, 13, 5, 25, 24, 23, 36, 36, 1}};
}

// Blocks of samples from either end, backwards, and at random, some past the ends.
std::vector<std::pair<int64_t, int64_t>> Blocks(int64_t total) {
    std::vector<std::pair<int64_t, int64_t>> blocks = {{5880, 500}, {2940, 500}, {-300, 1000}, {total - 700, 1500}};
    for (int64_t s = total - 5000; s > 0; s -= 7919) blocks.push_back({s, 3000});
    std::mt19937 rng(9);
    for (int i = 0; i < 15; ++i) blocks.push_back({int64_t(rng() % uint32_t(total - 2500)), 1 + rng() % 2400});
    return blocks;
}

std::vector<uint8_t> SampleBytes(IScriptEnvironment* env, const PClip& clip, int64_t start, int64_t count) {
    std::vector<uint8_t> buf(static_cast<size_t>(count * clip->GetVideoInfo().BytesPerAudioSample()));
    clip->GetAudio(buf.data(), start, count, env);
    return buf;
}

// Picture pixel (x, y) of frame n is B, G, R = 3x + n, 5y, 5n.
uint8_t Lossless(int n, int x, int y, int c) { return uint8_t(c == 0 ? 3 * x + n : c == 1 ? 5 * y : 5 * n); }
double Wave(int64_t s, int ch) { return 0.5 * std::sin(0.01 * double(s) + ch); }

TEST(Import, ALosslessFileGivesEveryPixelBottomUpAndEverySample) {
    TempDir dir;
    test::EnvPtr env = test::NewEnv();
    const PClip clip =
        Import(env.get(),
               MakeMedia(dir / "ffv1.mkv",
                         "-f lavfi -i 'nullsrc=s=64x48:r=25:d=2,format=gbrp,geq=r=5*N:g=5*Y:b=3*X+N' " +
                             test::Sound("0.5*sin(0.01*n+@)", 48000, "2") + "-c:v ffv1 -pix_fmt bgr0 -c:a pcm_f32le"));
    EXPECT_EQ(test::Shape(clip), "64x48 25/1 50f 48000Hz x2 96000");
    for (int n = -5; n < 52; ++n) {  // before the start frame 0, past the end the last one
        const PVideoFrame f = clip->GetFrame(n, env.get());
        const int want = std::clamp(n, 0, 49);  // memory row r is picture row 47 - r
        const auto pixel = [want](int, int r, int b) { return Lossless(want, b / 3, kHeight - 1 - r, b % 3); };
        ASSERT_TRUE(test::FrameIs(f, false, pixel)) << "frame " << n;
    }
    // Silence on either side.
    const std::vector<float> wave = test::Samples<float>(clip, -1, 96002, env.get());
    for (size_t i = 0; i < wave.size(); ++i) {
        const int64_t s = int64_t(i / 2) - 1;
        ASSERT_EQ(wave[i], s < 0 || s >= 96000 ? 0.0f : float(Wave(s, int(i % 2)))) << i;
    }
}

// Audio whose samples land on no container timestamp and whose codecs carry state
// from frame to frame; grey frames whose level tells their number.
const std::string kChirp = "0.4*sin(0.0004*n*mod(n\\,9000)/90+@)";

TEST(Import, AnyFrameOrBlockInAnyOrderIsWhatAForwardDecodeGives) {
    struct Case {
        const char* file;
        std::string options, info;
    };
    const std::string s16 = std::to_string(SAMPLE_INT16), flt = std::to_string(SAMPLE_FLOAT);
    const std::string video = "64x48 25/1 60f ", rgb = std::to_string(VideoInfo::CS_BGR24) + "/";
    const std::string audio = "0x0 25/1 0f ", grey = test::GreyFrames("2.4"), mpeg4 = "-c:v mpeg4 -q:v 2 -g 12 -bf 0 ";
    const Case cases[] = {
        {"ffv1-flac.mkv", grey + test::Sound(kChirp, 44100, "2.4") + "-c:v ffv1 -c:a flac -sample_fmt s16",
         video + "44100Hz x2 " + rgb + s16},
        // Noise substitution draws from the decoder's random generator, which only a decode
        // from the start reproduces.
        {"mpeg4-aac.mov", grey + test::Sound(kChirp, 48000, "2.4") + mpeg4 + "-c:a aac -aac_pns 0",
         video + "48000Hz x2 " + rgb + flt},
        // Long enough that a far jump lands by timestamp (MP4) or decodes on (Matroska).
        {"long-aac.mp4", test::Sound(kChirp, 8000, "14") + "-c:a aac -aac_pns 0", audio + "8000Hz x2 0/" + flt},
        {"long-flac.mka", test::Sound(kChirp, 8000, "14") + "-c:a flac -sample_fmt s16", audio + "8000Hz x2 0/" + s16},
    };
    TempDir dir;
    test::EnvPtr env = test::NewEnv();
    IScriptEnvironment* e = env.get();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = MakeMedia(dir / c.file, c.options);
        const PClip forward = Import(e, path), clip = Import(e, path);
        const VideoInfo& vi = forward->GetVideoInfo();
        const std::string shape = test::Shape(forward);  // without the audio's length, then the types
        EXPECT_EQ(shape.substr(0, shape.rfind(' ')) + " " + std::to_string(vi.pixel_type) + "/" +
                      std::to_string(vi.sample_type),
                  c.info);
        std::vector<std::vector<uint8_t>> frames;
        for (int n = 0; n < vi.num_frames; ++n) frames.push_back(test::RowBytes(forward->GetFrame(n, e)));
        for (const std::vector<int>& order : vi.HasVideo() ? Orders(vi.num_frames) : decltype(Orders(0)){})
            for (int n : order) ASSERT_EQ(test::RowBytes(clip->GetFrame(n, e)), frames[n]) << "frame " << n;
        EXPECT_EQ(bool(clip->GetFrame(0, e)), vi.HasVideo()) << "no video, no frame";

        const int64_t total = vi.num_audio_samples;
        ASSERT_GT(total, 2 * vi.audio_samples_per_second);
        const std::vector<uint8_t> all = SampleBytes(e, forward, 0, total);
        const int bytes = vi.BytesPerAudioSample();
        for (const auto& [start, count] : Blocks(total)) {
            const std::vector<uint8_t> got = SampleBytes(e, clip, start, count);
            for (int64_t i = 0; i < count; ++i) {
                const int64_t s = start + i;
                const std::vector<uint8_t> want = s < 0 || s >= total
                                                      ? std::vector<uint8_t>(bytes, 0)
                                                      : std::vector<uint8_t>(&all[s * bytes], &all[(s + 1) * bytes]);
                ASSERT_TRUE(std::equal(want.begin(), want.end(), got.begin() + i * bytes))
                    << "block " << start << "+" << count << " at " << s;
            }
        }

    }
}

TEST(Import, AFileWithNeitherVideoNorAudioIsNamed) {
    TempDir dir;
    test::EnvPtr env = test::NewEnv();
    const std::string text = dir.Write("text.srt", "1\n00:00:01,000 --> 00:00:02,000\nHi\n");
    EXPECT_EQ(test::ErrorOf([&] { Import(env.get(), text); }), "Import: \"" + text + "\" has neither video nor audio");
}

}  // namespace
