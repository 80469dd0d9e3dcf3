// Subtitle items and ImportSubtitleFile over renderers the test registers in place of
// the frame server's: which renderer a path picks, which chain frame each main frame
// asks for, what the renderer is handed, and what a failed chain leaves.
// The real renderers are tests/ffmpeg/subtitle_renderers_test.cpp's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_renderers.h"
#include "items/subtitle_item.h"
#include "items/title_item.h"
#include "plugin/exports.h"
#include "support/clips.h"
#include "test_support.h"

namespace {

constexpr int kW = 8, kH = 4;  // rows without padding: the chain repacks rows and drops it

struct RenderCall {
    std::string renderer, path;
    int n;
    uint8_t seen;  // canvas byte 0 as the renderer found it
};

// Sets canvas byte `slot` to 0xE0 + slot over whatever its source yields, and logs.
class MarkingRenderer : public GenericVideoFilter {
public:
    MarkingRenderer(PClip child, std::string name, std::string path, int slot, std::vector<RenderCall>* log)
        : GenericVideoFilter(std::move(child)), name_(std::move(name)), path_(std::move(path)), slot_(slot), log_(log) {}
    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) override {
        PVideoFrame f = child->GetFrame(n, env);
        env->MakeWritable(&f);
        log_->push_back({name_, path_, n, f->GetReadPtr()[0]});
        f->GetWritePtr()[slot_] = static_cast<uint8_t>(0xE0 + slot_);
        return ReturnInto(result, std::move(f));
    }
    using IClip::GetFrame;

private:
    std::string name_, path_;
    int slot_;
    std::vector<RenderCall>* log_;
};

class Subtitles : public ::testing::Test {
protected:
    struct Renderer {
        Subtitles* fixture;
        const char* name;
    };

    Subtitles() {
        AvisynthPluginInit2(env.get());  // for "SetSubTitleCh"
        for (Renderer& r : renderers) env->AddFunction(r.name, "cs", ApplyAdapter<Apply>, &r);
    }

    static AVSValue Apply(const AVSValue& args, void* user_data, IScriptEnvironment* env) {
        auto& r = *static_cast<Renderer*>(user_data);
        const std::string path = args[1].AsString();
        if (path.find("broken") != std::string::npos) env->ThrowError("%s: cannot open \"%s\"", r.name, path.c_str());
        const int slot = static_cast<int>(r.fixture->built.size());
        r.fixture->built.push_back(r.name);
        return new MarkingRenderer(args[0].AsClip(), r.name, path, slot, &r.fixture->log);
    }
    void Add(const char* path, int id = 9) {
        const SubtitleInfo info = test::SubtitleRecord(path, kW, kH, id);
        AddSubtitleFile(&info, 1, 0);
    }

    test::EnvPtr env = test::NewEnv();
    test::PublishedManager pm{env.get(), test::Rgb24Info(kW, kH, 300)};
    Renderer renderers[2] = {{this, "TextSub"}, {this, "VobSub"}};
    std::vector<std::string> built;
    std::vector<RenderCall> log;
};

TEST_F(Subtitles, TheTextAfterTheLastDotPicksTheRendererByteForByte) {
    const std::pair<const char*, const char*> cases[] = {
        {"a.srt", "TextSub"}, {"a.ssr", "TextSub"}, {"b.c.ssa", "TextSub"},    {"/x/a.ass", "TextSub"},
        {"a.idx", "VobSub"},  {"a.SRT", "VobSub"},  {"/d.srt/file", "VobSub"}, {"a.", "VobSub"},
    };
    for (const auto& [path, renderer] : cases) EXPECT_STREQ(SubtitleRendererFor(path), renderer) << path;
    // The item asks for the renderer the path picks.
    Add("b.c.ssa", 1);
    Add("a.SRT", 2);
    EXPECT_EQ(built, (std::vector<std::string>{"TextSub", "VobSub"}));
}

TEST_F(Subtitles, MainFramesMapOntoTheChainFromTheClipStartAndOnlyInsideTheRange) {
    test::FakeRenderer lower = test::NewTitleRenderer(0x40);  // a grey picture beneath
    const TitleEffect title{0, 0, 1, lower.AsTitle(), 0, 0, 299};
    AddTitleEff(&title, 0, 0);
    Add("/subs/line.ass");
    const std::vector<uint8_t> beneath(test::CanvasBytes(kW, kH), 0x40);

    std::vector<uint8_t> f = pm.Bytes(150);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].path, "/subs/line.ass");
    EXPECT_EQ(log[0].n, 65);
    EXPECT_EQ(log[0].seen, 0x40);  // the chain's head yields the picture composed so far
    EXPECT_EQ(f[0], 0xE0);
    f[0] = 0x40;
    EXPECT_EQ(f, beneath);

    for (int n : {99, 200}) EXPECT_EQ(pm.Bytes(n), beneath) << n;
    EXPECT_EQ(log.size(), 1u);
}

TEST_F(Subtitles, AFailedChainPlacesNothing) {
    EXPECT_EQ(test::ErrorOf([&] { Add("/broken.srt", 10); }), "TextSub: cannot open \"/broken.srt\"");
    EXPECT_EQ(pm.mgr->FindItem(10), nullptr);
}

TEST_F(Subtitles, ImportSubtitleFileHandsTheHostABlackThirtyFramesPerSecondClip) {
    PClip clip;
    ASSERT_EQ(ImportSubtitleFile("line.srt", 8, 2, &clip), 1);
    EXPECT_EQ(test::Shape(clip), "8x2 30/1 1080000f 44100Hz x1 1587600000");  // BlankClip's own audio
    EXPECT_TRUE(clip->GetVideoInfo().IsRGB32());
    std::vector<uint8_t> row(32, 0);
    row[0] = 0xE0;
    const PVideoFrame f = clip->GetFrame(45, env.get());
    EXPECT_EQ(std::vector<uint8_t>(f->GetReadPtr(), f->GetReadPtr() + f->GetRowSize()), row);
    EXPECT_EQ(built, std::vector<std::string>{"TextSub"});

    const test::SavedGlobals saved;
    g_pScriptEnv = nullptr;
    EXPECT_EQ(ImportSubtitleFile("line.srt", 8, 2, &clip), 0);
}

}  // namespace
