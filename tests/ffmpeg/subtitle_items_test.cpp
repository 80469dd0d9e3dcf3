// Subtitle items and ImportSubtitleFile through the frame server's real renderers, on
// .ass and .srt files the test writes: the line lands on the picture composed beneath
// in its own frames only.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/fake_renderers.h"
#include "items/subtitle_item.h"
#include "items/title_item.h"
#include "plugin/exports.h"
#include "tests/ffmpeg/subtitle_texts.h"
#include "tests/test_support.h"

namespace {

namespace fs = std::filesystem;

constexpr int kW = 320, kH = 240;

using test::kAss;
using test::kSrt;

class SubtitleFiles : public ::testing::Test {
protected:
    SubtitleFiles()
        : env(test::NewEnv()),
          published(env.get(), test::Rgb24Info(kW, kH, 300)),
          dir(fs::temp_directory_path() / ("ferrule_subitems_" + std::to_string(getpid()))) {
        AvisynthPluginInit2(env.get());
        fs::create_directories(dir);
    }
    ~SubtitleFiles() override { fs::remove_all(dir); }

    std::string Write(const char* name, const char* text) const {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    SubtitleInfo Info(const std::string& path) const {
        SubtitleInfo info;
        info.file = path.c_str();
        info.width = kW;
        info.height = kH;
        info.item_id = 3;
        info.first_frame = 100;
        info.last_frame = 199;
        return info;
    }
    std::vector<uint8_t> Frame(int n) { return test::FrameBytes(published.clip->GetFrame(n, env.get())); }

    test::EnvPtr env;
    test::PublishedManager published;
    const fs::path dir;
};

TEST_F(SubtitleFiles, TheLineShowsOverTheLowerChannelInItsFramesOnly) {
    test::FakeRenderer lower = test::NewTitleRenderer(0x40);
    const TitleEffect title{0, 0, 1, lower.AsTitle(), 0, 0, 299};
    AddTitleEff(&title, 0, 0);
    const std::vector<uint8_t> beneath(test::CanvasBytes(kW, kH), 0x40);

    for (const auto& [name, text] : {std::pair{"line.ass", kAss}, std::pair{"line.srt", kSrt}}) {
        const SubtitleInfo info = Info(Write(name, text));
        AddSubtitleFile(&info, 1, 0);
        // The line lasts from 1 s to 2 s of the 30 fps chain: its frames 30 to 59,
        // main frames 130 to 159.
        for (int n : {99, 129, 160, 200}) EXPECT_EQ(Frame(n), beneath) << name << " " << n;
        for (int n : {130, 159}) {
            const std::vector<uint8_t> f = Frame(n);
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
        RemoveItem(3, 1);
    }
}

TEST_F(SubtitleFiles, AnUnreadableFileRaisesItsRenderersErrorAndPlacesNothing) {
    const std::string missing = (dir / "missing.srt").string();
    const SubtitleInfo info = Info(missing);
    EXPECT_EQ(test::ErrorOf([&] { AddSubtitleFile(&info, 1, 0); }), "TextSub: cannot open \"" + missing + "\"");
    // Upper case is not a text extension: the picture renderer gets it and refuses it.
    const SubtitleInfo upper = Info(Write("line.SRT", kSrt));
    const std::string upper_error = test::ErrorOf([&] { AddSubtitleFile(&upper, 1, 0); });
    EXPECT_EQ(upper_error.rfind("VobSub: ", 0), 0u) << upper_error;
    EXPECT_EQ(published.mgr->FindItem(3), nullptr);
}

TEST_F(SubtitleFiles, ImportSubtitleFileDrawsTheLineOnBlack) {
    PClip clip;
    ASSERT_EQ(ImportSubtitleFile(Write("line.srt", kSrt).c_str(), kW, kH, &clip), 1);
    const VideoInfo& vi = clip->GetVideoInfo();
    EXPECT_TRUE(vi.IsRGB32());
    EXPECT_EQ(vi.num_frames, 1080000);
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
