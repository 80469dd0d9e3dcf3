// Clips imported through loader programs: the choice of path, the open protocol over
// several loaders, frames and samples through the shared area, and loaders that fail
// or lie.
// The loaders here are threads (tests/scripted_loader.h), so every build runs these.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "fserver/script_environment.h"
#include "loader/import_clip.h"
#include "loader/loader_channel.h"
#include "tests/scripted_loader.h"
#include "tests/test_support.h"

namespace {

using test::ScriptedLoaders;
using Fault = ScriptedLoaders::Fault;
using Bytes = std::vector<uint8_t>;

// A request as the library sends it: the command, then the fields packed after it.
template <class... Field>
Bytes Block(uint32_t command, Field... fields) {
    Bytes b(112, 0);
    size_t at = 0;
    const auto put = [&](const auto& v) { std::memcpy(b.data() + at, &v, sizeof v), at += sizeof v; };
    put(command), (put(fields), ...);
    return b;
}
Bytes OpenBlock(const std::string& path) {
    Bytes b = Block(kLoaderOpen);
    std::memcpy(b.data() + 4, path.c_str(), path.size() + 1);
    return b;
}
Bytes Pattern(int n, size_t size) {
    Bytes b(size);
    for (size_t i = 0; i < size; ++i) b[i] = test::FrameByte(n, i);
    return b;
}
// count stereo 16-bit samples from start as the scripted loaders send them, and the
// bytes past them left alone.
testing::AssertionResult AudioIs(const PClip& clip, int64_t start, int64_t count, IScriptEnvironment* env) {
    const size_t n = static_cast<size_t>(count * 4);
    Bytes buf(n + 4, 0xEE);
    clip->GetAudio(buf.data(), start, count, env);
    for (size_t i = 0; i < buf.size(); ++i)
        if (buf[i] != (i < n ? test::AudioByte(start * 4 + int64_t(i)) : 0xEE))
            return testing::AssertionFailure() << "byte " << i << " of " << start << "+" << count;
    return testing::AssertionSuccess();
}

// A channel over scripted loaders of its own. Its reply limit is long enough that a
// healthy scripted loader on a busy machine is never taken for a silent one; the silent
// case waits it out once.
struct Rig {
    Rig() {
        LoaderChannelOptions o;
        o.name = name;
        o.start = loaders.Launcher();
        o.connect_attempts = 3, o.connect_interval_ms = 20;
        o.open_limit_ms = o.reply_limit_ms = 3000;
        o.debug = [](const char*) {};
        o.message = [this](const char* s) { messages.push_back(s); };
        channel = LoaderChannel::Create(std::move(o));
    }
    PClip Open(const std::string& path) {
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

    std::string name = test::UniqueLoaderName("");
    ScriptedLoaders loaders{name};  // joined last: the channel's closing ends them
    test::EnvPtr env = test::NewEnv();
    std::vector<std::string> messages;
    std::unique_ptr<LoaderChannel> channel;
};

class LoaderImport : public testing::Test, public Rig {};
using LoaderFault = LoaderImport;

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

// 200 MiB of either counter takes the loader.
TEST_F(LoaderImport, ImportClipInvokesImportWhileSmallAndGoesThroughTheLoaderFromTheLimit) {
    ImportEnv ienv;
    PClip out;
    EXPECT_EQ(ImportClipWith("a.avi", &out, &ienv, channel.get(), {209715199, 209715199}), 1);
    ASSERT_TRUE(out);
    const PClip first = out;
    EXPECT_EQ(ImportClipWith("b.avi", &out, &ienv, channel.get(), {209715200, 0}), 1);
    EXPECT_EQ(ienv.calls, std::vector<std::string>{"Import a.avi"}) << "no Import in this process";
    EXPECT_EQ(first->GetRefcount(), 1) << "the previous clip was released";
    EXPECT_EQ(ImportClipWith("c.avi", &out, &ienv, channel.get(), {0, 209715200}), 1);
    EXPECT_EQ(Received(0), (std::vector<Bytes>{OpenBlock("b.avi"), OpenBlock("c.avi"), Block(kLoaderClose, 40)}));

    // A failure gives 0 and leaves the clip as it was.
    const PClip second = out;
    EXPECT_EQ(ImportClipWith("not-a-clip", &out, &ienv, channel.get(), {1000, 1000}), 0);
    EXPECT_EQ(out.get(), second.get());
}

// The running loaders answer an open of "f" in turn (1 opened, 0 cannot open, -1 not
// mine, 2 any other status); a new loader starts only after a last "not mine".
TEST(LoaderProtocol, EachLoaderIsAskedInTurnAndANewOneStartsOnlyAfterALastNotMine) {
    const struct {
        std::vector<int32_t> replies;
        std::vector<int> asked;  // in order; one past the running ones is a new loader
        bool clip;
    } cases[] = {
        {{}, {0}, true},          {{0, 1}, {0}, false},   {{2, 1, 1}, {0, 1}, true},
        {{2, -1}, {0, 1, 2}, true}, {{-1, 2}, {0, 1}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.replies));
        Rig r;
        for (size_t k = 0; k < c.replies.size(); ++k) {  // loader k starts on a file the others refuse
            const std::string other = "other" + std::to_string(k);
            for (size_t j = 0; j < k; ++j) r.loaders.Answer(int(j), other, -1);
            ASSERT_TRUE(r.Open(other));
            r.loaders.Answer(int(k), "f", c.replies[k]);
        }
        const size_t mark = r.loaders.Log().size();
        const PClip f = r.Open("f");
        EXPECT_EQ(bool(f), c.clip);
        std::vector<int> asked;
        for (const auto& got : r.loaders.Log()) asked.push_back(got.loader);
        asked.erase(asked.begin(), asked.begin() + long(mark));
        EXPECT_EQ(asked, c.asked);
        for (int l : asked) EXPECT_EQ(r.Received(l, mark), std::vector<Bytes>{OpenBlock("f")});
    }
}

// One loader's blocks over a clip's life: its open (a path of 107 bytes fits, one of 108
// is refused before anything is sent), frames refilling the one frame in place, samples
// with all 64 bits of their position and, past one area's worth, in blocks, and one
// close when the clip goes, which keeps the connection.
TEST_F(LoaderImport, AClipsRequestsGoAsBlocksToItsLoader) {
    EXPECT_FALSE(Open(std::string(108, 'p')));
    EXPECT_EQ(channel->LaunchCounter(), 0);
    const std::string path(107, 'p');
    PClip clip = Open(path);
    ASSERT_TRUE(clip);
    const VideoInfo want = test::ScriptedFormat();
    EXPECT_EQ(std::memcmp(&clip->GetVideoInfo(), &want, sizeof want), 0);

    const PVideoFrame f3 = clip->GetFrame(3, env.get());
    EXPECT_EQ(test::BufferBytes(f3), Pattern(3, 128));  // 4 rows of 32 at alignment 16
    const int seq = f3->GetFrameBuffer()->GetSequenceNumber();
    const PVideoFrame f5 = clip->GetFrame(5, env.get());
    EXPECT_EQ(f3.get(), f5.get());
    EXPECT_EQ(test::BufferBytes(f3), Pattern(5, 128)) << "the first reference shows the second frame";
    EXPECT_GT(f3->GetFrameBuffer()->GetSequenceNumber(), seq);

    const int64_t start = (int64_t(1) << 32) + 250;
    EXPECT_TRUE(AudioIs(clip, start, 1000, env.get()));
    const int64_t count = 3500000, per_block = 0xC00000 / 4;  // 14 MB
    EXPECT_TRUE(AudioIs(clip, 7, count, env.get()));
    clip = PClip();
    EXPECT_EQ(Received(0), (std::vector<Bytes>{OpenBlock(path), Block(kLoaderFrame, 40, 3), Block(kLoaderFrame, 40, 5),
                                               Block(kLoaderAudio, 40, start, int64_t(1000)),
                                               Block(kLoaderAudio, 40, int64_t(7), per_block),
                                               Block(kLoaderAudio, 40, 7 + per_block, count - per_block),
                                               Block(kLoaderClose, 40)}));
}

TEST_F(LoaderImport, ALoaderThatCannotStartOrNeverListensFailsItsImportAndUsesUpItsNumber) {
    loaders.Plan(0, ScriptedLoaders::Launch::kRefuse);
    loaders.Plan(1, ScriptedLoaders::Launch::kNoPipe);
    EXPECT_FALSE(Open("a"));
    EXPECT_EQ(messages, std::vector<std::string>{"can't run Sondrel.exe"});
    EXPECT_FALSE(Open("a"));  // given up after its attempts
    ASSERT_TRUE(Open("a"));
    EXPECT_EQ(loaders.Started(), (std::vector<int>{0, 1, 2}));
}

// A clip without video gives no frame, and one whose frame is larger than the area asks
// for none. A format beyond reason is refused (LoaderHostile).
TEST_F(LoaderImport, TheFormatDecidesWhatIsAsked) {
    const PClip audio = Open("audio-only"), big = Open("big");
    ASSERT_TRUE(audio && big);
    const size_t before = loaders.Log().size();
    EXPECT_FALSE(audio->GetFrame(0, env.get())) << "no video, no frame";
    EXPECT_EQ(test::BufferBytes(big->GetFrame(0, env.get())), Bytes(4096 * 4 * 1024, 0));
    EXPECT_EQ(loaders.Log().size(), before) << "nothing asked";
}

// A loader that ends or stays silent fails one request in bounded time, and that frame
// keeps what it had. The clips of that loader then open their file again on a fresh
// loader and go on from their next request; the next import goes to the fresh loader too.
TEST_F(LoaderFault, ALoaderThatFailsCostsOneRequestAndItsClipsGoOnUnderAFreshOne) {
    int round = 0;
    for (const auto fault : {Fault::kDie, Fault::kSilent}) {
        SCOPED_TRACE(round);
        const PClip clip = Open("a"), other = Open("b");
        ASSERT_TRUE(clip && other);
        EXPECT_EQ(Received(round).back(), OpenBlock("b")) << "both on the last loader started";
        const PVideoFrame f = clip->GetFrame(1, env.get());
        loaders.Misbehave(round, kLoaderFrame, fault);
        EXPECT_EQ(clip->GetFrame(2, env.get()).get(), f.get());
        EXPECT_EQ(test::BufferBytes(f), Pattern(1, 128)) << "the failed request leaves the frame as it was";

        const size_t mark = loaders.Log().size();
        EXPECT_EQ(test::BufferBytes(clip->GetFrame(3, env.get())), Pattern(3, 128));
        EXPECT_TRUE(AudioIs(other, 5, 10, env.get()));
        EXPECT_EQ(loaders.Started().back(), round + 1);
        const std::vector<Bytes> reopened{OpenBlock("a"), Block(kLoaderFrame, 40, 3), OpenBlock("b"),
                                          Block(kLoaderAudio, 41, int64_t(5), int64_t(10))};
        EXPECT_EQ(Received(round + 1, mark), reopened);
        ++round;
    }
}

// Loaders that lie: every reply is checked, and a lying loader costs one failed request,
// never a crash, a hang or a later answer taken for the wrong request.
TEST(LoaderHostile, AudioLayoutsBeyondReasonAreRefused) {
    const struct {
        int channels, sample_type;
    } rows[] = {
        {1 << 30, SAMPLE_INT16},  // bytes per sample overflow
        {1 << 29, SAMPLE_INT16},  // no sample fits the area
        {1025, SAMPLE_INT8},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.channels);
        Rig r;
        VideoInfo vi = test::ScriptedFormat();
        vi.nchannels = row.channels, vi.sample_type = row.sample_type;
        r.loaders.OpenAs(vi);
        EXPECT_FALSE(r.Open("a"));
        EXPECT_EQ(r.Received(0), (std::vector<Bytes>{OpenBlock("a"), Block(kLoaderClose, 40)}));
    }
}

// An unasked reply, sent right behind the answer to one request, is dropped before the
// next request goes out: that request gets its own answer, and so does every later one.
TEST(LoaderHostile, AnUnaskedReplyIsDroppedAndShiftsNoLaterAnswer) {
    for (const uint32_t after : {kLoaderOpen, kLoaderFrame, kLoaderAudio}) {
        SCOPED_TRACE(after);
        Rig r;
        r.loaders.AnswerTwiceOnce(after);
        const PClip clip = r.Open("a");
        ASSERT_TRUE(clip);
        for (int n = 0; n < 3; ++n) {
            EXPECT_EQ(test::BufferBytes(clip->GetFrame(n, r.env.get())), Pattern(n, 128)) << n;
            EXPECT_TRUE(AudioIs(clip, n * 10, 10, r.env.get())) << n;
        }
    }
}

#ifndef _WIN32
// A host that never imports makes no area; once a loader answered, the area has no name
// left, so however a process ends, its memory goes with the last one that maps it.
TEST(LoaderHostile, TheAreaComesWithTheFirstLoaderAndIsNamedOnlyUntilItAnswered) {
    Rig r;
    const auto named = [&r] { return std::filesystem::exists(std::filesystem::symlink_status("/dev/shm/" + r.name)); };
    EXPECT_FALSE(named());
    const PClip clip = r.Open("a");
    ASSERT_TRUE(clip);
    EXPECT_FALSE(named());
    EXPECT_EQ(test::BufferBytes(clip->GetFrame(2, r.env.get())), Pattern(2, 128));
}
#endif

}  // namespace
