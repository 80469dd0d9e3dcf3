// The portable Import (still pictures through stb_image), called directly so that every
// build runs it. The loader program's clips are its own suites' (tests/ffmpeg and the
// 32-bit host's import through Sondrel.exe).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "fserver/builtins.h"
#include "tests/picture_files.h"
#include "tests/support/clips.h"

namespace {

PClip PictureImport(IScriptEnvironment* env, const std::string& path) {
    return fserver::CreatePictureOrWaveImport(AVSValue(path.c_str()), nullptr, env).AsClip();
}

std::string PictureImportError(IScriptEnvironment* env, const std::string& path) {
    return test::ErrorOf([&] { PictureImport(env, path); });
}

// Distinct channels at every pixel; the alpha of one pixel must not leak into its colour.
uint32_t Pixel(int x, int y) {
    const uint32_t alpha = x == 1 && y == 2 ? 0x40000000u : 0xFF000000u;
    return alpha | (x * 50 + 1) << 16 | (y * 70 + 2) << 8 | (x * 3 + y * 17);
}

constexpr int kW = 5, kH = 3;  // 15-byte rows: the pitch is wider than a row

TEST(PictureImport, GivesThePictureBottomUpAsRgb24InEveryFrame) {
    test::PictureFolder folder;
    test::EnvPtr env = test::NewEnv();
    std::vector<uint32_t> argb;
    for (int i = 0; i < kW * kH; ++i) argb.push_back(Pixel(i % kW, i / kW));
    const PClip clip = PictureImport(env.get(), folder.WritePng("p.png", kW, kH, argb));

    const VideoInfo want = test::Rgb24Info(kW, kH, 1000);
    EXPECT_EQ(std::memcmp(&clip->GetVideoInfo(), &want, sizeof want), 0);
    const PVideoFrame first = clip->GetFrame(0, env.get());
    ASSERT_EQ(first->GetRowSize(), kW * 3);
    ASSERT_EQ(first->GetHeight(), kH);
    const auto byte = [](int, int r, int b) { return int(Pixel(b / 3, kH - 1 - r) >> 8 * (b % 3) & 0xFF); };
    EXPECT_TRUE(test::FrameIs(first, false, byte));  // bottom-up BGR, no alpha
    EXPECT_EQ(test::RowBytes(clip->GetFrame(999, env.get())), test::RowBytes(first));
}

TEST(PictureImport, NamesTheFileItCannotOpenOrDecode) {
    test::PictureFolder folder;
    test::EnvPtr env = test::NewEnv();
    folder.Solid("good.png", 8, 8, 0xFF808080);
    const std::string missing = folder / "missing.png";
    EXPECT_EQ(PictureImportError(env.get(), missing),
              "Import: cannot open \"" + missing + "\": No such file or directory");
    const std::string png = folder.Read("good.png");
    const std::string cut = folder.Write("cut.png", png.substr(0, png.size() / 2));
    EXPECT_EQ(PictureImportError(env.get(), cut),
              "Import: cannot open \"" + cut + "\": Invalid data found when processing input");
    EXPECT_EQ(PictureImportError(env.get(), ""), "Import: a file name is needed");
}

// A RIFF WAVE file: its format chunk, an odd-sized chunk to skip with its pad, the data.
std::string Wave(int bits, const std::string& data) {
    auto word = [](uint32_t v, int n) { return std::string(reinterpret_cast<const char*>(&v), n); };
    const std::string body = "WAVE" + ("fmt " + word(16, 4) + word(1, 2) + word(2, 2) + word(8000, 4) +
                                       word(8000 * bits / 4, 4) + word(bits / 4, 2) + word(bits, 2)) +
                             ("junk" + word(3, 4) + "abc" + '\0') + ("data" + word(data.size(), 4) + data);
    return "RIFF" + word(body.size(), 4) + body;
}

TEST(PictureImport, AWaveFileIsItsSoundAloneWithSilenceAround) {
    test::PictureFolder folder;
    test::EnvPtr env = test::NewEnv();
    const std::string samples = "0123456789AB";  // three 16-bit stereo samples
    const PClip clip = PictureImport(env.get(), folder.Write("t.wav", Wave(16, samples)));
    const VideoInfo& vi = clip->GetVideoInfo();
    EXPECT_FALSE(vi.HasVideo());
    EXPECT_EQ(std::make_tuple(vi.audio_samples_per_second, vi.nchannels, vi.sample_type, vi.num_audio_samples),
              std::make_tuple(8000, 2, int(SAMPLE_INT16), int64_t(3)));
    std::string got(20, 'x');
    clip->GetAudio(got.data(), -1, 5, env.get());
    EXPECT_EQ(got, std::string(4, '\0') + samples + std::string(4, '\0'));
    const std::string eight_bit = folder.Write("8.wav", Wave(8, "01"));
    EXPECT_EQ(PictureImportError(env.get(), eight_bit),
              "Import: cannot open \"" + eight_bit + "\": Invalid data found when processing input");
}

}  // namespace
