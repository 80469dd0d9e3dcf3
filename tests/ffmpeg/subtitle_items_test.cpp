// Subtitle items and ImportSubtitleFile through the frame server's real renderers, on
// .ass and .srt files the test writes: the line lands on the picture composed beneath
// in its own frames only. Renderer choice, frame mapping and errors are in
// tests/subtitle_item_test.cpp.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "items/subtitle_item.h"
#include "items/title_item.h"
#include "plugin/exports.h"
#include "tests/fake_renderers.h"
#include "tests/ffmpeg/subtitle_texts.h"
#include "tests/test_support.h"

namespace {

namespace fs = std::filesystem;

constexpr int kW = 320, kH = 240;

class SubtitleFiles : public ::testing::Test {
protected:
    SubtitleFiles() {
        AvisynthPluginInit2(env.get());
        fs::create_directories(dir);
    }
    ~SubtitleFiles() override { fs::remove_all(dir); }

    std::string Write(const char* name, const char* text) const {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    test::EnvPtr env = test::NewEnv();
    test::PublishedManager pm{env.get(), test::Rgb24Info(kW, kH, 300)};
    const fs::path dir = fs::temp_directory_path() / ("ferrule_subitems_" + std::to_string(getpid()));
};

TEST_F(SubtitleFiles, TheLineShowsOverTheLowerChannelInItsFramesOnly) {
    test::FakeRenderer lower = test::NewTitleRenderer(0x40);
    const TitleEffect title{0, 0, 1, lower.AsTitle(), 0, 0, 299};
    AddTitleEff(&title, 0, 0);
    const std::vector<uint8_t> beneath(test::CanvasBytes(kW, kH), 0x40);

    for (const auto& [name, text] : {std::pair{"line.ass", test::kAss}, std::pair{"line.srt", test::kSrt}}) {
        const SubtitleInfo info = test::SubtitleRecord(Write(name, text).c_str(), kW, kH);
        AddSubtitleFile(&info, 1, 0);
        // The line lasts from 1 s to 2 s of the 30 fps chain: its frames 30 to 59,
        // main frames 115 to 144.
        for (int n : {99, 114, 145, 200}) EXPECT_EQ(pm.Bytes(n), beneath) << name << " " << n;
        for (int n : {115, 144}) {
            const std::vector<uint8_t> f = pm.Bytes(n);
            int changed = 0, bright = 0;
            for (size_t i = 0; i + 2 < f.size(); i += 3) {
                changed += f[i] != 0x40;
                bright += f[i] > 0xA0 && f[i + 1] > 0xA0 && f[i + 2] > 0xA0;  // white text, antialiased
            }
            EXPECT_GT(bright, 50) << name << " " << n;
            // Bottom-centred text: the upper half of the picture keeps the grey beneath.
            const size_t half = f.size() / 2;
            EXPECT_TRUE(std::equal(f.begin() + static_cast<long>(half), f.end(), beneath.begin())) << name;
            EXPECT_LT(changed, kW * kH / 4) << name;
        }
        RemoveItem(9, 1);
    }
}

TEST_F(SubtitleFiles, ImportSubtitleFileDrawsTheLineOnBlack) {
    PClip clip;
    ASSERT_EQ(ImportSubtitleFile(Write("line.srt", test::kSrt).c_str(), kW, kH, &clip), 1);
    const auto lit = [&](int n) {
        const PVideoFrame f = clip->GetFrame(n, env.get());
        int count = 0;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW * 4; x += 4) count += f->GetReadPtr()[y * f->GetPitch() + x] != 0;
        return count;
    };
    EXPECT_EQ(lit(29), 0);
    EXPECT_GT(lit(45), 50);
    EXPECT_EQ(lit(60), 0);
}

}  // namespace
