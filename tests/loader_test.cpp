// Clips imported through loader programs: the choice of path, the open protocol over
// several loaders, frames and samples through the shared area, and loaders that fail.
// The loaders here are threads (tests/scripted_loader.h), so every build runs these.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "avs/frame_layout.h"
#include "channels/globals.h"
#include "fserver/script_environment.h"
#include "loader/import_clip.h"
#include "loader/loader_channel.h"
#include "loader/loader_clip.h"
#include "platform/shared_area.h"
#include "plugin/exports.h"
#include "tests/msvc_slots.h"
#include "tests/picture_files.h"
#include "tests/scripted_loader.h"
#include "tests/test_support.h"

namespace {

using test::ScriptedLoaders;
using Bytes = std::vector<uint8_t>;

template <class T>
void Put(Bytes& b, size_t at, T v) {
    std::memcpy(b.data() + at, &v, sizeof v);
}
Bytes Block(uint32_t command) {
    Bytes b(112, 0);
    Put(b, 0, command);
    return b;
}
Bytes OpenBlock(const std::string& path) {
    Bytes b = Block(kLoaderOpen);
    std::memcpy(b.data() + 4, path.c_str(), path.size() + 1);
    return b;
}
Bytes FrameBlock(int32_t id, int32_t n) {
    Bytes b = Block(kLoaderFrame);
    Put(b, 4, id), Put(b, 8, n);
    return b;
}
Bytes AudioBlock(int32_t id, int64_t start, int64_t count) {
    Bytes b = Block(kLoaderAudio);
    Put(b, 4, id), Put(b, 8, start), Put(b, 16, count);
    return b;
}
Bytes CloseBlock(int32_t id) {
    Bytes b = Block(kLoaderClose);
    Put(b, 4, id);
    return b;
}

Bytes Pattern(int n, size_t size) {
    Bytes b(size);
    for (size_t i = 0; i < size; ++i) b[i] = test::FrameByte(n, i);
    return b;
}

class LoaderImport : public ::testing::Test {
protected:
    // limit_ms 0 keeps the product's reply limits.
    void MakeChannel(int attempts = 3, int interval_ms = 20, int limit_ms = 3000) {
        LoaderChannelOptions o;
        o.name = name;
        o.start = loaders.Launcher();
        o.connect_attempts = attempts;
        o.connect_interval_ms = interval_ms;
        if (limit_ms) o.open_limit_ms = o.reply_limit_ms = limit_ms;
        o.debug = [this](const char* s) { trace += s; };
        o.message = [this](const char* s) { messages.push_back(s); };
        channel = LoaderChannel::Create(std::move(o));
        ASSERT_TRUE(channel);
    }
    void SetUp() override { MakeChannel(); }

    PClip Open(const std::string& path) {
        trace.clear();
        return channel->Open(path.c_str(), env.get());
    }
    // The blocks one loader received, from the i-th of all blocks on.
    std::vector<Bytes> Received(int loader, size_t from = 0) {
        std::vector<Bytes> out;
        const auto log = loaders.Log();
        for (size_t i = from; i < log.size(); ++i)
            if (log[i].loader == loader) out.emplace_back(log[i].bytes.begin(), log[i].bytes.end());
        return out;
    }
    static int32_t Id(const PClip& clip) { return dynamic_cast<CLoaderClip&>(*clip.get()).RemoteId(); }

    std::string name = test::UniqueLoaderName("");
    ScriptedLoaders loaders{name};  // joined last: the channel's closing ends them
    test::EnvPtr env = test::NewEnv();
    std::string trace;
    std::vector<std::string> messages;
    std::unique_ptr<LoaderChannel> channel;
};

// An environment whose "Import" gives a pattern clip, or an int for "not-a-clip".
class ImportEnv : public fserver::ScriptEnvironment {
public:
    AVSValue* AVS_STDCALL Invoke(AVSValue* result, const char* name, AVSValueRaw raw, const char**) override {
        const AVSValue args = AVSValue::Adopt(raw);
        calls.push_back(std::string(name) + " " + args.AsString("?"));
        if (args.AsString("") == std::string("not-a-clip")) return new (result) AVSValue(5);
        return new (result) AVSValue(static_cast<IClip*>(new test::PatternClip(test::Rgb24Info(4, 2))));
    }
    std::vector<std::string> calls;
};

TEST(LoaderPath, TwoHundredMiBOfEitherCounterTakesTheLoader) {
    EXPECT_FALSE(ImportsThroughLoader({209715199, 209715199}));
    EXPECT_TRUE(ImportsThroughLoader({209715200, 0}));
    EXPECT_TRUE(ImportsThroughLoader({0, 209715200}));
    EXPECT_TRUE(ImportsThroughLoader({209715200, 209715200}));
    platform::ProcessMemoryCounters now;
    EXPECT_TRUE(platform::ReadProcessMemoryCounters(now));
    EXPECT_GT(now.working_set, 0u);
}

TEST_F(LoaderImport, ImportClipInvokesImportWhileSmallAndGoesThroughTheLoaderFromTheLimit) {
    ImportEnv ienv;
    PClip out;
    EXPECT_EQ(ImportClipWith("a.avi", &out, &ienv, channel.get(), {1000, 1000}), 1);
    EXPECT_EQ(ienv.calls, std::vector<std::string>{"Import a.avi"});
    ASSERT_TRUE(out);
    const PClip first = out;
    EXPECT_EQ(ImportClipWith("not-a-clip", &out, &ienv, channel.get(), {1000, 1000}), 0);
    EXPECT_EQ(out.get(), first.get());

    EXPECT_EQ(ImportClipWith("b.avi", &out, &ienv, channel.get(), {209715200, 0}), 1);
    EXPECT_EQ(ienv.calls.size(), 2u) << "no Import in this process";
    ASSERT_NE(dynamic_cast<CLoaderClip*>(out.get()), nullptr);
    EXPECT_EQ(first->GetRefcount(), 1) << "the previous clip was released";
    EXPECT_EQ(Received(0), std::vector<Bytes>{OpenBlock("b.avi")});

    loaders.Answer(0, "c.avi", 0);
    const PClip second = out;
    EXPECT_EQ(ImportClipWith("c.avi", &out, &ienv, channel.get(), {0, 209715200}), 0);
    EXPECT_EQ(out.get(), second.get());
    EXPECT_EQ(ImportClipWith("a.avi", &out, nullptr, channel.get(), {0, 0}), 0);
    EXPECT_EQ(ImportClipWith("a.avi", &out, &ienv, nullptr, {0, 209715200}), 0);

    IScriptEnvironment* saved = g_pScriptEnv;
    g_pScriptEnv = nullptr;
    EXPECT_EQ(ImportClip("a.avi", &out), 0);
    g_pScriptEnv = saved;
    EXPECT_EQ(out.get(), second.get());
}

TEST_F(LoaderImport, EachLoaderIsAskedInTurnAndANewOneStartsOnlyAfterALastNotMine) {
    const PClip a = Open("a");
    ASSERT_TRUE(a);
    EXPECT_EQ(trace, "test1\ntest3\ntest4\n");
    loaders.Answer(0, "b", -1);
    const PClip b = Open("b");
    ASSERT_TRUE(b);
    EXPECT_EQ(trace, "test1\ntest2\ntest3\ntest4\n");
    loaders.Answer(0, "c", -1), loaders.Answer(1, "c", -1);
    const PClip c = Open("c");
    ASSERT_TRUE(c);
    EXPECT_EQ(channel->Connections(), 3u);
    EXPECT_EQ(loaders.Started(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(Received(2), std::vector<Bytes>{OpenBlock("c")});

    // 0: the file cannot be opened; nobody else is asked.
    size_t mark = loaders.Log().size();
    loaders.Answer(0, "zero", 0);
    EXPECT_FALSE(Open("zero"));
    EXPECT_EQ(trace, "test1\ntest2\ntest4\n");
    EXPECT_EQ(Received(0, mark), std::vector<Bytes>{OpenBlock("zero")});
    EXPECT_EQ(loaders.Log().size(), mark + 1);

    // Another status moves on; -1 last starts a loader.
    loaders.Answer(0, "two-then-no", 2), loaders.Answer(1, "two-then-no", -1), loaders.Answer(2, "two-then-no", -1);
    const PClip d = Open("two-then-no");
    ASSERT_TRUE(d);
    EXPECT_EQ(loaders.Started(), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(trace, "test1\ntest2\ntest2\ntest2\ntest3\ntest4\n");

    // The other status last: no clip and no new loader.
    mark = loaders.Log().size();
    for (int l = 0; l < 3; ++l) loaders.Answer(l, "no-then-two", -1);
    loaders.Answer(3, "no-then-two", 2);
    EXPECT_FALSE(Open("no-then-two"));
    EXPECT_EQ(trace, "test1\ntest2\ntest2\ntest2\ntest2\ntest4\n");
    EXPECT_EQ(loaders.Started().size(), 4u);
    EXPECT_EQ(loaders.Log().size(), mark + 4);

    // 2 then 1: the second loader's clip.
    loaders.Answer(0, "two-then-yes", 2);
    const PClip e = Open("two-then-yes");
    ASSERT_TRUE(e);
    EXPECT_EQ(Received(1).back(), OpenBlock("two-then-yes"));
    EXPECT_EQ(Received(2).back(), OpenBlock("no-then-two")) << "not asked";
    EXPECT_EQ(Received(3).back(), OpenBlock("no-then-two")) << "not asked";
    EXPECT_EQ(channel->Connections(), 4u);
    EXPECT_EQ(channel->LaunchCounter(), 4);
}

TEST_F(LoaderImport, PathsLongerThan107BytesAreRefusedBeforeAnythingIsSent) {
    EXPECT_FALSE(Open(std::string(108, 'p')));
    EXPECT_TRUE(loaders.Log().empty());
    EXPECT_EQ(channel->LaunchCounter(), 0);
    EXPECT_TRUE(trace.empty());
    const PClip clip = Open(std::string(107, 'p'));
    ASSERT_TRUE(clip);
    EXPECT_EQ(Received(0), std::vector<Bytes>{OpenBlock(std::string(107, 'p'))});
}

TEST_F(LoaderImport, EveryFrameRefillsTheOneFrameInPlace) {
    const PClip clip = Open("a");
    ASSERT_TRUE(clip);
    const VideoInfo want = test::ScriptedFormat();
    EXPECT_EQ(std::memcmp(&clip->GetVideoInfo(), &want, sizeof want), 0);
    EXPECT_EQ(clip->GetVersion(), 2);
    EXPECT_FALSE(clip->GetParity(1));
    const int32_t id = Id(clip);
    EXPECT_EQ(id, 40);

    const PVideoFrame f3 = clip->GetFrame(3, env.get());
    const FrameLayout l = LayOutFrame(want, 16);
    ASSERT_EQ(f3->GetFrameBuffer()->GetDataSize(), l.data_size);
    EXPECT_EQ(l.data_size, 128);
    EXPECT_EQ(test::BufferBytes(f3), Pattern(3, 128));
    const int seq = f3->GetFrameBuffer()->GetSequenceNumber();
    const PVideoFrame f5 = clip->GetFrame(5, env.get());
    EXPECT_EQ(f3.get(), f5.get());
    EXPECT_EQ(test::BufferBytes(f3), Pattern(5, 128)) << "the first reference shows the second frame";
    EXPECT_GT(f3->GetFrameBuffer()->GetSequenceNumber(), seq);
    EXPECT_EQ(Received(0), (std::vector<Bytes>{OpenBlock("a"), FrameBlock(id, 3), FrameBlock(id, 5)}));
}

TEST_F(LoaderImport, SamplesCopyExactlyTheirBytesAndLargeRequestsGoInBlocks) {
    const PClip clip = Open("a");
    ASSERT_TRUE(clip);
    const int32_t id = Id(clip);
    Bytes buf(4016, 0xEE);
    clip->GetAudio(buf.data(), 250, 1000, env.get());
    for (size_t i = 0; i < 4000; ++i) ASSERT_EQ(buf[i], test::AudioByte(1000 + int64_t(i))) << i;
    EXPECT_EQ(Bytes(buf.begin() + 4000, buf.end()), Bytes(16, 0xEE));
    EXPECT_EQ(Received(0).back(), AudioBlock(id, 250, 1000));

    // 14 MB of samples: one area's worth, then the rest.
    const int64_t count = 3500000, per_block = 0xC00000 / 4;
    Bytes big(static_cast<size_t>(count * 4) + 4, 0xEE);
    clip->GetAudio(big.data(), 7, count, env.get());
    for (size_t i = 0; i < size_t(count * 4); ++i) ASSERT_EQ(big[i], test::AudioByte(28 + int64_t(i))) << i;
    EXPECT_EQ(Bytes(big.end() - 4, big.end()), Bytes(4, 0xEE));
    const auto got = Received(0);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[2], AudioBlock(id, 7, per_block));
    EXPECT_EQ(got[3], AudioBlock(id, 7 + per_block, count - per_block));
}

// The loader's clip as the MSVC-built frame server calls it, slot by slot.
TEST_F(LoaderImport, TheClipsSlotsServeAnMsvcCaller) {
    // The one reference lives in storage never destroyed: slot 6 drops it below.
    alignas(PClip) unsigned char box[sizeof(PClip)];
    const PClip& held = *new (box) PClip(Open("a"));
    ASSERT_TRUE(held);
    IClip* clip = held.get();
    const int32_t id = Id(held);
    EXPECT_EQ(test::SlotOf<test::GetVersionFn>(clip, 0)(clip), 2);

    alignas(PVideoFrame) unsigned char storage[sizeof(PVideoFrame)];
    PVideoFrame* frame = test::SlotOf<test::GetFrameFn>(clip, 1)(clip, reinterpret_cast<PVideoFrame*>(storage), 6, env.get());
    ASSERT_EQ(static_cast<void*>(frame), static_cast<void*>(storage));
    EXPECT_EQ(test::BufferBytes(*frame), Pattern(6, 128));
    frame->~PVideoFrame();

    EXPECT_FALSE(test::SlotOf<test::GetParityFn>(clip, 2)(clip, 0));
    Bytes buf(12, 0xEE);
    test::SlotOf<test::GetAudioFn>(clip, 3)(clip, buf.data(), int64_t(1) << 32, 2, env.get());
    for (size_t i = 0; i < 8; ++i) EXPECT_EQ(buf[i], test::AudioByte((int64_t(1) << 34) + int64_t(i))) << i;
    EXPECT_EQ(Bytes(buf.begin() + 8, buf.end()), Bytes(4, 0xEE));
    test::SlotOf<test::SetCacheHintsFn>(clip, 4)(clip, CACHE_NOTHING, 0);
    EXPECT_EQ(test::SlotOf<test::GetVideoInfoFn>(clip, 5)(clip), &clip->GetVideoInfo());

    EXPECT_EQ(test::SlotOf<test::DeletingDestructorFn>(clip, 6)(clip, 1), static_cast<void*>(clip));
    EXPECT_EQ(Received(0), (std::vector<Bytes>{OpenBlock("a"), FrameBlock(id, 6), AudioBlock(id, int64_t(1) << 32, 2),
                                               CloseBlock(id)}));
}

TEST_F(LoaderImport, DroppingAClipSendsOneCloseAndKeepsTheConnection) {
    PClip a = Open("a"), b = Open("b");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(channel->Connections(), 1u) << "both clips on loader 0";
    const int32_t id = Id(a);
    a = PClip();
    EXPECT_EQ(Received(0).back(), CloseBlock(id));
    EXPECT_EQ(channel->Connections(), 1u);
    ASSERT_TRUE(Open("c"));
    EXPECT_EQ(loaders.Started(), std::vector<int>{0});
}

TEST_F(LoaderImport, ALoaderThatCannotStartOrNeverListensFailsItsImportAndUsesUpItsNumber) {
    loaders.Plan(0, ScriptedLoaders::Launch::kRefuse);
    loaders.Plan(1, ScriptedLoaders::Launch::kNoPipe);
    EXPECT_FALSE(Open("a"));
    EXPECT_EQ(messages, std::vector<std::string>{"can't run Sondrel.exe"});
    EXPECT_EQ(trace, "test1\ntest4\n");
    EXPECT_EQ(channel->LaunchCounter(), 1);
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(Open("a"));  // given up after its attempts
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(2));
    EXPECT_EQ(trace, "test1\ntest3\ntest3\ntest3\ntest4\n");
    EXPECT_EQ(channel->Connections(), 0u);
    const PClip clip = Open("a");
    ASSERT_TRUE(clip);
    EXPECT_EQ(loaders.Started(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(Received(2), std::vector<Bytes>{OpenBlock("a")});
}

TEST_F(LoaderImport, ClipsWithoutVideoOrWithTooLargeFramesAskForNoFrame) {
    const PClip audio = Open("audio-only");
    ASSERT_TRUE(audio);
    EXPECT_FALSE(audio->GetFrame(0, env.get())) << "no video, no frame";
    const PClip big = Open("big");
    ASSERT_TRUE(big);
    const size_t before = loaders.Log().size();
    const PVideoFrame f = big->GetFrame(0, env.get());
    ASSERT_TRUE(f);
    EXPECT_EQ(f->GetFrameBuffer()->GetDataSize(), 4096 * 4 * 1024);
    EXPECT_EQ(test::BufferBytes(f), Bytes(4096 * 4 * 1024, 0));
    EXPECT_EQ(loaders.Log().size(), before) << "nothing asked";
}

TEST_F(LoaderImport, ANonsensicalFormatGivesNoClipAndTheLoaderIsToldSo) {
    EXPECT_FALSE(Open("garbage"));
    EXPECT_EQ(Received(0), (std::vector<Bytes>{OpenBlock("garbage"), CloseBlock(40)}));
    EXPECT_EQ(channel->Connections(), 0u);
    ASSERT_TRUE(Open("a"));
}

// A loader that ends, stays silent or cuts its reply short fails one request in
// bounded time, and that frame keeps what it had. The clips of that loader then open
// their file again on a fresh loader and go on from their next request; the next
// import goes to the fresh loader too.
TEST_F(LoaderImport, ALoaderThatFailsCostsOneRequestAndItsClipsGoOnUnderAFreshOne) {
    channel.reset();
    MakeChannel(3, 20, 300);
    int round = 0;
    for (const auto fault : {ScriptedLoaders::Fault::kDie, ScriptedLoaders::Fault::kSilent,
                             ScriptedLoaders::Fault::kShort}) {
        SCOPED_TRACE(round);
        const PClip clip = Open("a"), other = Open("b");
        ASSERT_TRUE(clip && other);
        EXPECT_EQ(Received(round).back(), OpenBlock("b")) << "both on the last loader started";
        const PVideoFrame f = clip->GetFrame(1, env.get());
        loaders.Misbehave(round, kLoaderFrame, fault);
        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_EQ(clip->GetFrame(2, env.get()).get(), f.get());
        EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(2));
        EXPECT_EQ(test::BufferBytes(f), Pattern(1, 128)) << "the failed request leaves the frame as it was";

        const size_t mark = loaders.Log().size();
        EXPECT_EQ(test::BufferBytes(clip->GetFrame(3, env.get())), Pattern(3, 128));
        Bytes buf(40, 0xEE);
        other->GetAudio(buf.data(), 5, 10, env.get());
        for (size_t i = 0; i < 40; ++i) ASSERT_EQ(buf[i], test::AudioByte(20 + int64_t(i))) << i;
        EXPECT_EQ(loaders.Started().back(), round + 1);
        const int32_t id = Id(clip), other_id = Id(other);
        EXPECT_EQ(Received(round + 1, mark), (std::vector<Bytes>{OpenBlock("a"), FrameBlock(id, 3), OpenBlock("b"),
                                                                 AudioBlock(other_id, 5, 10)}));
        ++round;
    }
    EXPECT_EQ(channel->Connections(), 4u) << "failed connections stay listed until the end";
    EXPECT_EQ(channel->LaunchCounter(), 4);
}

// A file that stops the fresh loader too gets no third: the clip waits for the next
// import to bring one.
TEST_F(LoaderImport, AClipWhoseFreshLoaderFailsBeforeAnyAnswerStartsNoOther) {
    channel.reset();
    MakeChannel(3, 20, 300);
    const PClip clip = Open("a");
    ASSERT_TRUE(clip);
    loaders.Misbehave(0, kLoaderFrame, ScriptedLoaders::Fault::kDie);
    loaders.Misbehave(1, kLoaderFrame, ScriptedLoaders::Fault::kDie);
    for (int n : {1, 2, 3}) EXPECT_EQ(test::BufferBytes(clip->GetFrame(n, env.get())), Bytes(128, 0)) << n;
    EXPECT_EQ(loaders.Started(), (std::vector<int>{0, 1}));
    EXPECT_EQ(Received(1), (std::vector<Bytes>{OpenBlock("a"), FrameBlock(40, 2)}));
}

// The product's limits: a loader that needs 12 s to open a file, and one that needs
// 12 s for a frame, are waited for, and every frame after comes right from the same
// loader. The two run side by side on channels of their own, so the case costs 12 s.
TEST_F(LoaderImport, SlowOpensAndFramesAreWaitedForUnderTheProductsLimits) {
    channel.reset();
    MakeChannel(3, 20, 0);
    constexpr int kSlowMs = 12000;
    ASSERT_GT(LoaderChannelOptions().reply_limit_ms, kSlowMs);
    const PClip clip = Open("a");
    ASSERT_TRUE(clip);
    EXPECT_EQ(test::BufferBytes(clip->GetFrame(0, env.get())), Pattern(0, 128));

    const std::string slow_name = test::UniqueLoaderName("slow");
    ScriptedLoaders slow_loaders{slow_name};
    slow_loaders.Misbehave(0, kLoaderOpen, ScriptedLoaders::Fault::kSlow, kSlowMs);
    LoaderChannelOptions o;
    o.name = slow_name;
    o.start = slow_loaders.Launcher();
    o.debug = [](const char*) {};
    auto slow_channel = LoaderChannel::Create(std::move(o));
    ASSERT_TRUE(slow_channel);
    test::EnvPtr slow_env = test::NewEnv();
    PClip opened;
    std::chrono::steady_clock::duration open_took{};
    std::thread opener([&] {
        const auto t0 = std::chrono::steady_clock::now();
        opened = slow_channel->Open("a", slow_env.get());
        open_took = std::chrono::steady_clock::now() - t0;
    });

    loaders.Misbehave(0, kLoaderFrame, ScriptedLoaders::Fault::kSlow, kSlowMs);
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(test::BufferBytes(clip->GetFrame(1, env.get())), Pattern(1, 128));
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(kSlowMs));
    opener.join();
    EXPECT_GE(open_took, std::chrono::milliseconds(kSlowMs));
    ASSERT_TRUE(opened);
    for (int n = 2; n < 10; ++n) {
        EXPECT_EQ(test::BufferBytes(clip->GetFrame(n, env.get())), Pattern(n, 128)) << n;
        EXPECT_EQ(test::BufferBytes(opened->GetFrame(n, slow_env.get())), Pattern(n, 128)) << n;
    }
    EXPECT_EQ(loaders.Started(), std::vector<int>{0});
    EXPECT_EQ(slow_loaders.Started(), std::vector<int>{0});
    opened = PClip();
    slow_channel.reset();  // before its loaders are joined
}

#ifndef _WIN32
// Two processes of one host (a render and its workers) each have their own area: one
// that goes takes its own name with it and leaves the other's.
TEST(LoaderArea, AProcessThatGoesLeavesAnothersArea) {
    const std::string mine = platform::ProcessChannelName("ferrule-test-area");
    const auto area = platform::SharedArea::Create(mine, 4096);
    ASSERT_TRUE(area);
    area->data()[0] = 7;
    const pid_t child = fork();
    if (child == 0) {
        bool own_name = false;
        {
            const std::string theirs = platform::ProcessChannelName("ferrule-test-area");
            own_name = platform::SharedArea::Create(theirs, 4096) && theirs != mine;
        }  // made and removed again, as a worker's goes when it ends
        _exit(own_name ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const auto again = platform::SharedArea::Open(mine, 4096);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->data()[0], 7);
}
#endif

}  // namespace
