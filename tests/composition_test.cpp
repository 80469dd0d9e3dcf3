// Composition of frames and audio by the manager, driven as the frame server and a
// script drive it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "channels/sub_title_ch.h"
#include "fake_renderers.h"
#include "items/title_item.h"
#include "plugin/exports.h"
#include "plugin/plugin_entry.h"
#include "test_support.h"

namespace {

using test::FakeRenderer;

bool AllBytes(const PVideoFrame& f, uint8_t value) {
    const auto bytes = test::FrameBytes(f);
    return std::all_of(bytes.begin(), bytes.end(), [value](uint8_t b) { return b == value; });
}

struct SavedGlobals {
    CMainChMgr* main = g_pMainChMgr;
    CMainChMgr* preview = g_pPreviewChMgr;
    IScriptEnvironment* env = g_pScriptEnv;
    ~SavedGlobals() {
        g_pMainChMgr = main;
        g_pPreviewChMgr = preview;
        g_pScriptEnv = env;
    }
};

AVSValue BlankClip(IScriptEnvironment* env, int width, int height, const char* pixel_type, int length) {
    const AVSValue args[] = {length, width, height, pixel_type};
    const char* names[] = {"length", "width", "height", "pixel_type"};
    return env->Invoke("BlankClip", AVSValue(args, 4), names);
}

TEST(Script, SetTempChAndSetMainChOverABlankClip) {
    SavedGlobals saved;
    test::EnvPtr env = test::NewEnv();
    EXPECT_STREQ(AvisynthPluginInit2(env.get()), "`Quillet' Quillet plugin");
    for (const char* name : {"SetMainCh", "SetTempCh", "SetPreviewCh", "SetSubTitleCh"})
        EXPECT_TRUE(env->FunctionExists(name)) << name;

    const AVSValue blank = BlankClip(env.get(), 640, 480, "RGB24", 50);
    ASSERT_TRUE(blank.IsClip());
    ASSERT_TRUE(blank.AsClip()->GetVideoInfo().HasAudio());

    const AVSValue temp = env->Invoke("SetTempCh", blank);
    EXPECT_EQ(temp.AsClip().get(), blank.AsClip().get());  // the clip itself, unchanged
    EXPECT_EQ(g_pScriptEnv, env.get());

    const AVSValue main = env->Invoke("SetMainCh", temp);
    ASSERT_TRUE(main.IsClip());
    const PClip mgr = main.AsClip();
    EXPECT_EQ(GetMainClip(), mgr.get());
    EXPECT_EQ(static_cast<IClip*>(g_pMainChMgr), mgr.get());

    const VideoInfo& vi = mgr->GetVideoInfo();
    EXPECT_EQ(vi.width, 640);
    EXPECT_EQ(vi.num_frames, 50);
    for (int n : {0, 17, 49}) {
        const PVideoFrame f = mgr->GetFrame(n, env.get());
        EXPECT_EQ(f->GetRowSize(), 1920);
        EXPECT_EQ(f->GetPitch(), 1920);
        EXPECT_EQ(f->GetHeight(), 480);
        EXPECT_TRUE(AllBytes(f, 0)) << n;
    }

    const int64_t count = 4000;
    const int bps = vi.BytesPerAudioSample();
    std::vector<uint8_t> ours(static_cast<size_t>(count * bps), 0xEE), theirs(ours.size(), 0x11);
    mgr->GetAudio(ours.data(), 1000, count, env.get());
    blank.AsClip()->GetAudio(theirs.data(), 1000, count, env.get());
    EXPECT_EQ(ours, theirs);

    // Planar input is refused and the published manager stays as it was.
    const AVSValue yv12 = BlankClip(env.get(), 64, 48, "YV12", 5);
    try {
        env->Invoke("SetMainCh", yv12);
        ADD_FAILURE() << "no error for planar input";
    } catch (const AvisynthError& e) {
        EXPECT_STREQ(e.msg, "CMainChMgr: input to filter must be in YUY2 or RGB");
    }
    EXPECT_EQ(static_cast<IClip*>(g_pMainChMgr), mgr.get());

    // A second "SetMainCh" publishes the second manager; the first lives on in its graph.
    const AVSValue second = env->Invoke("SetMainCh", blank);
    EXPECT_EQ(GetMainClip(), second.AsClip().get());
    EXPECT_EQ(mgr->GetVideoInfo().width, 640);

    const AVSValue preview = env->Invoke("SetPreviewCh", blank);
    EXPECT_EQ(static_cast<IClip*>(g_pPreviewChMgr), preview.AsClip().get());
    EXPECT_EQ(GetMainClip(), second.AsClip().get());
}

TEST(Composition, NoChannelsGivesBlackAndTheInputAudio) {
    test::EnvPtr env = test::NewEnv();
    const VideoInfo vi = test::WithAudio(test::Rgb24Info(10, 3, 20));
    auto* input = new test::PatternClip(vi, 0x40);
    const PClip in(input);
    const PClip mgr(new CMainChMgr(in, env.get()));

    const PVideoFrame f = mgr->GetFrame(4, env.get());
    EXPECT_EQ(f->GetPitch(), 32);  // 30 bytes of pixels, rounded up to 4
    EXPECT_TRUE(AllBytes(f, 0));
    EXPECT_EQ(input->frame_requests, 1);  // asked for, held, never drawn

    std::vector<int16_t> ours(2 * 100), theirs(2 * 100);
    mgr->GetAudio(ours.data(), 333, 100, env.get());
    in->GetAudio(theirs.data(), 333, 100, env.get());
    EXPECT_EQ(ours, theirs);
    EXPECT_EQ(ours[1], static_cast<int16_t>(333 * 7 + 1));
    EXPECT_EQ(mgr->GetParity(3), true);  // forwarded to the input
    EXPECT_EQ(mgr->GetVersion(), 2);
}

class Drawing : public ::testing::Test {
protected:
    test::EnvPtr env = test::NewEnv();
    test::PublishedManager pm{env.get(), test::Rgb24Info(6, 2, 30)};
    CMainChMgr& m = *pm.mgr;

    void Add(FakeRenderer& r, int id, int host_channel) {
        const TitleEffect t{0, 0, id, r.AsTitle(), 0, 0, 29};
        AddTitleEff(&t, host_channel, 0);
    }
    PVideoFrame Frame(int n) { return pm.clip->GetFrame(n, env.get()); }
};

TEST_F(Drawing, ChannelsBottomUpAndItemsInOrderHiddenSkipped) {
    FakeRenderer a = test::NewTitleRenderer(1), b = test::NewTitleRenderer(2), c = test::NewTitleRenderer(4),
                 d = test::NewTitleRenderer(8);
    Add(c, 3, 2);  // internal 3
    Add(a, 1, 0);
    Add(b, 2, 0);  // above a on channel 0
    Add(d, 4, 1);  // internal 2
    EXPECT_TRUE(AllBytes(Frame(7), 1 + 2 + 4 + 8));
    ASSERT_EQ(a.log.size(), 1u);
    EXPECT_EQ(a.log[0].to[0], 0);
    EXPECT_EQ(b.log[0].to[0], 1);
    EXPECT_EQ(d.log[0].to[0], 3);
    EXPECT_EQ(c.log[0].to[0], 11);

    SetChannelVisible(1, 0);  // hides internal 2
    EXPECT_TRUE(AllBytes(Frame(8), 1 + 2 + 4));
    EXPECT_EQ(d.log.size(), 1u);
    SetChannelVisible(1, 1);
    EXPECT_TRUE(AllBytes(Frame(9), 15));
    EXPECT_EQ(d.log.size(), 2u);

    // A last channel limits the composition.
    const PVideoFrame low = m.ComposeFrame(9, 2, env.get());
    EXPECT_TRUE(AllBytes(low, 1 + 2 + 8));
    EXPECT_TRUE(AllBytes(m.ComposeFrame(9, 40, env.get()), 15));
}

TEST_F(Drawing, AnErrorWhileDrawingLeavesNoCanvasInProgress) {
    FakeRenderer bad = test::NewTitleRenderer();
    bad.throw_error = true;
    Add(bad, 1, 0);
    EXPECT_THROW(Frame(0), test::RendererError);
    EXPECT_EQ(m.CanvasInProgress(), nullptr);
    EXPECT_EQ(m.CanvasInProgressSize(), 0);
}

TEST_F(Drawing, SubTitleChannelCopiesTheCanvasInProgress) {
    // A chain taller than the canvas: only the canvas's 40 bytes are copied.
    const PClip head(new CSubTitleCh(new test::PatternClip(test::Rgb24Info(6, 4, 30)), 5));
    struct Seen {
        PClip head;
        IScriptEnvironment* env;
        std::vector<uint8_t> bytes;
    } seen{head, env.get(), {}};
    FakeRenderer under = test::NewTitleRenderer(9), probe = test::NewTitleRenderer(0);
    probe.user = &seen;
    probe.hook = [](FakeRenderer* self, const FrameRef*) {
        auto* s = static_cast<Seen*>(self->user);
        s->bytes = test::FrameBytes(s->head->GetFrame(123, s->env));
    };
    Add(under, 1, 0);
    Add(probe, 2, 1);
    Frame(3);
    ASSERT_EQ(seen.bytes.size(), 80u);
    EXPECT_TRUE(std::all_of(seen.bytes.begin(), seen.bytes.begin() + 40, [](uint8_t b) { return b == 9; }));

    // Outside composition nothing is copied: the frame is the environment's own.
    const PVideoFrame outside = head->GetFrame(0, env.get());
    EXPECT_EQ(outside->GetPitch() * outside->GetHeight(), 80);
    EXPECT_EQ(static_cast<const CSubTitleCh*>(head.get())->Channel(), 5);
}

TEST(Composition, OtherInterleavedFormatsComposeBlackOnly) {
    test::EnvPtr env = test::NewEnv();
    for (int pixel_type : {int(VideoInfo::CS_YUY2), int(VideoInfo::CS_BGR32)}) {
        VideoInfo vi = test::Rgb24Info(8, 4);
        vi.pixel_type = pixel_type;
        const PClip clip(new CMainChMgr(new test::PatternClip(vi, 3), env.get()));
        auto* mgr = static_cast<CMainChMgr*>(clip.get());
        FakeRenderer r = test::NewTitleRenderer();
        mgr->AddItem(0, false, MakeTitleItem(TitleEffect{0, 0, 1, r.AsTitle(), 0, 0, 99}));
        const PVideoFrame f = clip->GetFrame(0, env.get());
        EXPECT_EQ(f->GetRowSize(), vi.RowSize());
        EXPECT_TRUE(AllBytes(f, 0));
        EXPECT_EQ(r.log.size(), 0u);
    }
}

// A clip whose frames carry padding at the end of each row.
class PaddedClip : public test::PatternClip {
public:
    using PatternClip::PatternClip;
    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) override {
        PVideoFrame f = env->NewVideoFrame(GetVideoInfo(), 64);
        uint8_t* p = f->GetWritePtr();
        for (int y = 0; y < f->GetHeight(); ++y)
            for (int x = 0; x < f->GetPitch(); ++x) p[y * f->GetPitch() + x] = x < f->GetRowSize() ? uint8_t(n + y) : 0xEE;
        return ReturnInto(result, std::move(f));
    }
};

TEST(Composition, PackedFramesLieAtTheAlignedRowSize) {
    test::EnvPtr env = test::NewEnv();
    const PClip padded(new PaddedClip(test::Rgb24Info(10, 3)));
    const PVideoFrame packed = CMainChMgr::GetPackedFrame(padded, 5, env.get());
    EXPECT_EQ(packed->GetPitch(), 32);
    EXPECT_EQ(packed->GetRowSize(), 30);
    const auto bytes = test::FrameBytes(packed);
    ASSERT_EQ(bytes.size(), 96u);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 30; ++x) ASSERT_EQ(bytes[y * 32 + x], 5 + y);

    // A frame whose pitch already is its row size comes back as it is.
    const PClip tight(new test::PatternClip(test::Rgb24Info(4, 3)));
    const PVideoFrame direct = tight->GetFrame(2, env.get());
    EXPECT_EQ(direct->GetPitch(), direct->GetRowSize());
    const PVideoFrame same = CMainChMgr::GetPackedFrame(tight, 2, env.get());
    EXPECT_TRUE(AllBytes(same, 2));
    EXPECT_EQ(same->GetPitch(), 12);
}

TEST(PluginEntry, MemoryBudgetIsAQuarterKeptInRange) {
    EXPECT_EQ(MemoryBudgetMiB(0), 16);
    EXPECT_EQ(MemoryBudgetMiB(64u << 20), 16);
    EXPECT_EQ(MemoryBudgetMiB(100u << 20), 25);
    EXPECT_EQ(MemoryBudgetMiB(400u << 20), 100);
    EXPECT_EQ(MemoryBudgetMiB(512u << 20), 128);
    EXPECT_EQ(MemoryBudgetMiB(0xFFFFFFFFu), 128);
    EXPECT_EQ(MemoryBudgetMiB((100u << 20) + (4u << 20) - 1), 25);  // integer division
}

}  // namespace
