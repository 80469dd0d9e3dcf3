// Composition of frames and audio by the manager, driven as the frame server and a
// script drive it.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "channels/packed_frame.h"
#include "plugin/item_kinds.h"
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

AVSValue BlankClip(IScriptEnvironment* env, int width, int height, const char* pixel_type, int length) {
    const AVSValue args[] = {length, width, height, pixel_type};
    const char* names[] = {"length", "width", "height", "pixel_type"};
    return env->Invoke("BlankClip", AVSValue(args, 4), names);
}

TEST(Script, SetTempChAndSetMainChOverABlankClip) {
    const test::SavedGlobals saved;
    test::EnvPtr env = test::NewEnv();
    EXPECT_STREQ(AvisynthPluginInit2(env.get()), "`Quillet' Quillet plugin");
    for (const char* name : {"SetMainCh", "SetTempCh", "SetPreviewCh", "SetSubTitleCh"})
        EXPECT_TRUE(env->FunctionExists(name)) << name;

    const AVSValue blank = BlankClip(env.get(), 640, 480, "RGB24", 50);
    ASSERT_TRUE(blank.AsClip()->GetVideoInfo().HasAudio());
    const AVSValue temp = env->Invoke("SetTempCh", blank);
    EXPECT_EQ(temp.AsClip().get(), blank.AsClip().get());  // the clip itself, unchanged
    EXPECT_EQ(g_pScriptEnv, env.get());
    const PClip mgr = env->Invoke("SetMainCh", temp).AsClip();
    EXPECT_EQ(GetMainClip(), mgr.get());
    EXPECT_EQ(static_cast<IClip*>(g_pMainChMgr), mgr.get());
    EXPECT_EQ(mgr->GetVideoInfo().num_frames, 50);
    EXPECT_TRUE(AllBytes(mgr->GetFrame(49, env.get()), 0));

    // Planar input is refused and the published manager stays as it was.
    EXPECT_EQ(test::ErrorOf([&] { env->Invoke("SetMainCh", BlankClip(env.get(), 64, 48, "YV12", 5)); }),
              "CMainChMgr: input to filter must be in YUY2 or RGB");
    EXPECT_EQ(static_cast<IClip*>(g_pMainChMgr), mgr.get());

    // A second "SetMainCh" publishes the second manager; the first lives on in its graph.
    const AVSValue second = env->Invoke("SetMainCh", blank);
    EXPECT_EQ(GetMainClip(), second.AsClip().get());
    EXPECT_EQ(mgr->GetVideoInfo().width, 640);
    const AVSValue preview = env->Invoke("SetPreviewCh", blank);
    EXPECT_EQ(static_cast<IClip*>(g_pPreviewChMgr), preview.AsClip().get());
    EXPECT_EQ(GetMainClip(), second.AsClip().get());
}

TEST(Composition, BlackCanvasAndTheInputAudio) {
    test::EnvPtr env = test::NewEnv();
    // RGB24 with nothing on it; YUY2 and RGB32, which draw no items, with a title.
    for (int type : {int(VideoInfo::CS_BGR24), int(VideoInfo::CS_YUY2), int(VideoInfo::CS_BGR32)}) {
        VideoInfo vi = test::WithAudio(test::Rgb24Info(10, 3, 20));
        vi.pixel_type = type;
        auto* input = new test::PatternClip(vi, 0x40);
        auto* mgr = new CMainChMgr(input, env.get(), AllItemKinds());
        const PClip in(input), clip(mgr);
        FakeRenderer r = test::NewTitleRenderer();
        if (type != VideoInfo::CS_BGR24)
            mgr->AddItem(0, false, MakeTitleItem(TitleEffect{0, 0, 1, r.AsTitle(), 0, 0, 99}));
        const PVideoFrame f = clip->GetFrame(4, env.get());
        EXPECT_EQ(f->GetRowSize(), vi.RowSize());
        EXPECT_EQ(f->GetPitch(), (vi.RowSize() + 3) / 4 * 4);  // 30 bytes of RGB24 take 32
        EXPECT_TRUE(AllBytes(f, 0));
        EXPECT_EQ(r.log.size(), 0u);
        EXPECT_EQ(input->frame_requests, 1);  // asked for, held, never drawn

        std::vector<int16_t> ours(2 * 100), theirs(2 * 100);
        clip->GetAudio(ours.data(), 333, 100, env.get());
        in->GetAudio(theirs.data(), 333, 100, env.get());
        EXPECT_EQ(ours, theirs);
        EXPECT_EQ(ours[1], static_cast<int16_t>(333 * 7 + 1));
        EXPECT_EQ(clip->GetParity(3), true);  // forwarded to the input
        EXPECT_EQ(clip->GetVersion(), 2);
    }
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
};

TEST_F(Drawing, ChannelsBottomUpAndItemsInOrderHiddenSkipped) {
    FakeRenderer a = test::NewTitleRenderer(1), b = test::NewTitleRenderer(2), c = test::NewTitleRenderer(4),
                 d = test::NewTitleRenderer(8);
    Add(c, 3, 2);  // internal 3
    Add(a, 1, 0);
    Add(b, 2, 0);  // above a on channel 0
    Add(d, 4, 1);  // internal 2
    EXPECT_TRUE(AllBytes(pm.Frame(7), 1 + 2 + 4 + 8));
    // What each one saw shows the order a, b, d, c.
    EXPECT_EQ((std::vector<int>{a.log.at(0).to[0], b.log.at(0).to[0], d.log.at(0).to[0], c.log.at(0).to[0]}),
              (std::vector<int>{0, 1, 3, 11}));

    SetChannelVisible(1, 0);  // hides internal 2
    EXPECT_TRUE(AllBytes(pm.Frame(8), 1 + 2 + 4));
    EXPECT_EQ(d.log.size(), 1u);
    SetChannelVisible(1, 1);
    EXPECT_TRUE(AllBytes(pm.Frame(9), 15));
    // A last channel limits the composition.
    EXPECT_TRUE(AllBytes(m.ComposeFrame(9, 2, env.get()), 1 + 2 + 8));
    EXPECT_TRUE(AllBytes(m.ComposeFrame(9, 40, env.get()), 15));
}

TEST_F(Drawing, AnErrorWhileDrawingLeavesNoCanvasInProgress) {
    FakeRenderer bad = test::NewTitleRenderer();
    bad.throw_error = true;
    Add(bad, 1, 0);
    EXPECT_THROW(pm.Frame(0), test::RendererError);
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
    pm.Frame(3);
    ASSERT_EQ(seen.bytes.size(), 80u);
    EXPECT_EQ(std::vector<uint8_t>(seen.bytes.begin(), seen.bytes.begin() + 40), std::vector<uint8_t>(40, 9));

    // Outside composition nothing is copied: the frame is the environment's own.
    const PVideoFrame outside = head->GetFrame(0, env.get());
    EXPECT_EQ(outside->GetPitch() * outside->GetHeight(), 80);
    EXPECT_EQ(static_cast<const CSubTitleCh*>(head.get())->Channel(), 5);
}

// A clip whose every frame is one stored frame of the given alignment: row y holds y + 5,
// any padding 0xEE.
class StoredClip : public test::PatternClip {
public:
    StoredClip(const VideoInfo& vi, int align, IScriptEnvironment* env)
        : PatternClip(vi), frame(env->NewVideoFrame(vi, align)) {
        for (int y = 0; y < frame->GetHeight(); ++y)
            for (int x = 0; x < frame->GetPitch(); ++x)
                frame->GetWritePtr()[y * frame->GetPitch() + x] = x < frame->GetRowSize() ? uint8_t(5 + y) : 0xEE;
    }
    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int, IScriptEnvironment*) override {
        return ReturnInto(result, PVideoFrame(frame));
    }
    PVideoFrame frame;
};

TEST(Composition, PackedFramesLieAtTheDwordAlignedRowSize) {
    test::EnvPtr env = test::NewEnv();
    const PClip padded = new StoredClip(test::Rgb24Info(6, 3), 64, env.get());
    const PVideoFrame packed = GetPackedFrame(padded, 5, env.get());
    EXPECT_EQ(packed->GetPitch(), 20);  // 18 bytes of pixels
    EXPECT_EQ(packed->GetRowSize(), 18);
    const auto bytes = test::FrameBytes(packed);
    ASSERT_EQ(bytes.size(), 60u);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 18; ++x) ASSERT_EQ(bytes[y * 20 + x], 5 + y);

    // A frame whose pitch already is its row size comes back as it is.
    auto* tight = new StoredClip(test::Rgb24Info(4, 3), -4, env.get());
    const PClip hold(tight);
    EXPECT_EQ(GetPackedFrame(hold, 2, env.get())->GetFrameBuffer(), tight->frame->GetFrameBuffer());
}

TEST(PluginEntry, MemoryBudgetIsAQuarterKeptInRange) {
    // Integer division: 4 MiB less a byte above 100 MiB still gives 25.
    for (const auto& [bytes, mib] : {std::pair{0u, 16}, std::pair{64u << 20, 16}, std::pair{100u << 20, 25},
                                     std::pair{(104u << 20) - 1, 25}, std::pair{400u << 20, 100},
                                     std::pair{512u << 20, 128}, std::pair{0xFFFFFFFFu, 128}})
        EXPECT_EQ(MemoryBudgetMiB(bytes), mib) << bytes;
}

}  // namespace
