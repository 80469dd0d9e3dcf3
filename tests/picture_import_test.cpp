// The portable Import (still pictures through stb_image), called directly so that every
// build runs it, and through Invoke where it is the registered "Import".
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fserver/builtins.h"
#include "tests/picture_files.h"
#include "tests/test_support.h"

namespace {

PClip PictureImport(IScriptEnvironment* env, const std::string& path) {
    return fserver::CreatePictureImport(AVSValue(path.c_str()), nullptr, env).AsClip();
}

std::string PictureImportError(IScriptEnvironment* env, const std::string& path) {
    return test::ErrorOf([&] { PictureImport(env, path); });
}

// Distinct channels at every pixel; the alpha of one pixel must not leak into its colour.
uint32_t Pixel(int x, int y) {
    const uint32_t alpha = x == 1 && y == 2 ? 0x40000000u : 0xFF000000u;
    return alpha | (x * 50 + 1) << 16 | (y * 70 + 2) << 8 | (x * 3 + y * 17);
}

TEST(PictureImport, GivesThePictureBottomUpAsRgb24InEveryFrame) {
    constexpr int kW = 5, kH = 3;  // 15-byte rows: the pitch is wider than a row
    test::PictureFolder folder;
    std::vector<uint32_t> argb;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) argb.push_back(Pixel(x, y));
    test::EnvPtr env = test::NewEnv();
    const PClip clip = PictureImport(env.get(), folder.WritePng("p.png", kW, kH, argb));

    const VideoInfo want = test::Rgb24Info(kW, kH, 1000);
    EXPECT_EQ(std::memcmp(&clip->GetVideoInfo(), &want, sizeof want), 0);
    const PVideoFrame first = clip->GetFrame(0, env.get());
    ASSERT_EQ(first->GetRowSize(), kW * 3);
    ASSERT_EQ(first->GetHeight(), kH);
    for (int r = 0; r < kH; ++r)
        for (int x = 0; x < kW; ++x) {
            const uint8_t* p = first->GetReadPtr() + r * first->GetPitch() + x * 3;
            const uint32_t c = Pixel(x, kH - 1 - r);
            EXPECT_EQ((p[0] | p[1] << 8 | p[2] << 16), static_cast<int>(c & 0xFFFFFF)) << x << "," << r;
        }
    for (int n : {1, 999}) EXPECT_EQ(test::RowBytes(clip->GetFrame(n, env.get())), test::RowBytes(first)) << n;
#if !defined(FERRULE_HAVE_FFMPEG)
    const PClip invoked = env->Invoke("Import", AVSValue(folder.Solid("s.png", 7, 2, 0xFF102030).c_str())).AsClip();
    EXPECT_EQ(invoked->GetVideoInfo().width, 7);
    EXPECT_EQ(std::memcmp(invoked->GetFrame(3, env.get())->GetReadPtr(), "\x30\x20\x10\x30\x20\x10", 6), 0);
#endif
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
    const std::string text = folder.Write("text.png", "not a picture\n");
    for (const std::string& bad : {cut, text})
        EXPECT_EQ(PictureImportError(env.get(), bad),
                  "Import: cannot open \"" + bad + "\": Invalid data found when processing input");
    EXPECT_EQ(PictureImportError(env.get(), ""), "Import: a file name is needed");
}

}  // namespace
