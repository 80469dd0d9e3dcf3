// Loaders that lie: every reply is checked, and a lying loader costs one failed request,
// never a crash, a hang or a later answer taken for the wrong request.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "avs/frame_layout.h"
#include "loader/loader_channel.h"
#include "platform/loader_pipe.h"
#include "platform/shared_area.h"
#include "tests/scripted_loader.h"
#include "tests/test_support.h"

namespace {

// A loader played by a thread: each request is answered with the blocks `answer` gives
// (several go in one write). The thread ends when the channel closes the connection.
struct LyingLoader {
    std::string name;
    std::function<std::vector<LoaderBlock>(const LoaderBlock& request, uint8_t* area)> answer;
    std::thread thread;
    ~LyingLoader() {
        if (thread.joinable()) thread.join();
    }
    bool Start(const std::string&, int number) {
        std::shared_ptr<platform::PipeListener> listener = platform::PipeListener::Create(platform::LoaderPipeName(name, number));
        if (listener) thread = std::thread([this, listener] {
            auto pipe = listener->Accept(10000);
            auto area = platform::SharedArea::Open(name, kLoaderAreaSize);
            LoaderBlock request;
            while (pipe && area && pipe->Read(request.bytes, sizeof request, -1)) {
                const std::vector<LoaderBlock> replies = answer(request, area->data());
                if (!pipe->Write(replies.data(), replies.size() * sizeof request, 1000)) return;
            }
        });
        return listener != nullptr;
    }
};

// The honest answer: opened with this format, frames and samples as the scripted loaders give them.
LoaderBlock Honest(const LoaderBlock& request, uint8_t* area, const VideoInfo& vi) {
    LoaderBlock reply{};
    reply.reply.status = 1;
    if (request.open.command == kLoaderOpen) reply.open_reply.remote_id = 9, reply.open_reply.vi = vi;
    if (request.open.command == kLoaderFrame)
        for (size_t i = 0; i < 4096; ++i) area[i] = test::FrameByte(request.frame.frame, i);
    if (request.open.command == kLoaderAudio)
        for (int64_t i = 0; i < request.audio.count * 4; ++i) area[i] = test::AudioByte(request.audio.start * 4 + i);
    return reply;
}

std::unique_ptr<LoaderChannel> ChannelFor(const std::string& name, std::function<bool(const std::string&, int)> start) {
    LoaderChannelOptions o;
    o.name = name;
    o.start = std::move(start);
    o.connect_attempts = 50, o.connect_interval_ms = 20;
    o.open_limit_ms = o.reply_limit_ms = 5000;
    o.debug = [](const char*) {};
    o.message = [](const char*) {};
    return LoaderChannel::Create(std::move(o));
}

TEST(LoaderHostile, AudioLayoutsBeyondReasonAreRefusedAndTheLargestHonestOneGoesInBlocks) {
    struct Row {
        int channels, sample_type;
        bool opens;
        std::vector<uint32_t> commands;  // what the loader received for an open and 5000 samples
    } rows[] = {
        {1 << 30, SAMPLE_INT16, false, {kLoaderOpen, kLoaderClose}},  // bytes per sample overflow
        {1 << 29, SAMPLE_INT16, false, {kLoaderOpen, kLoaderClose}},  // no sample fits the area
        {1025, SAMPLE_INT8, false, {kLoaderOpen, kLoaderClose}},
        {1024, SAMPLE_FLOAT, true, {kLoaderOpen, kLoaderAudio, kLoaderAudio, kLoaderClose}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.channels);
        const std::string name = test::UniqueLoaderName("layout");
        VideoInfo vi = test::ScriptedFormat();
        vi.nchannels = row.channels, vi.sample_type = row.sample_type;
        std::vector<uint32_t> got;
        LyingLoader loader{name, [&](const LoaderBlock& request, uint8_t* area) {
                               got.push_back(request.open.command);
                               return std::vector<LoaderBlock>{Honest(request, area, vi)};
                           }, {}};
        const test::EnvPtr env = test::NewEnv();
        {
            auto channel = ChannelFor(name, [&loader](const std::string& n, int k) { return loader.Start(n, k); });
            const PClip clip = channel->Open("a", env.get());
            ASSERT_EQ(bool(clip), row.opens);
            std::vector<uint8_t> buf(5000u * 4096);
            if (clip) clip->GetAudio(buf.data(), 0, 5000, env.get());
        }
        loader.thread.join();
        EXPECT_EQ(got, row.commands);
    }
}

// An unasked reply, sent right behind the answer to one request, is dropped before the
// next request goes out: that request gets its own answer, and so does every later one.
TEST(LoaderHostile, AnUnaskedReplyIsDroppedAndShiftsNoLaterAnswer) {
    for (const uint32_t after : {kLoaderOpen, kLoaderFrame, kLoaderAudio}) {
        SCOPED_TRACE(after);
        const std::string name = test::UniqueLoaderName("unasked");
        bool lied = false;
        LyingLoader loader{name, [&](const LoaderBlock& request, uint8_t* area) {
                               std::vector<LoaderBlock> replies{Honest(request, area, test::ScriptedFormat())};
                               if (request.open.command == after && !lied) replies.push_back(LoaderBlock{}), lied = true;
                               return replies;
                           }, {}};
        const test::EnvPtr env = test::NewEnv();
        auto channel = ChannelFor(name, [&loader](const std::string& n, int k) { return loader.Start(n, k); });
        const PClip clip = channel->Open("a", env.get());
        ASSERT_TRUE(clip);
        const int size = LayOutFrame(test::ScriptedFormat(), FRAME_ALIGN).data_size;
        std::vector<uint8_t> audio(40, 0xEE), frame(size), want_frame(size), want_audio(40);
        for (int n = 0; n < 3; ++n) {
            const PVideoFrame f = clip->GetFrame(n, env.get());
            clip->GetAudio(audio.data(), n * 10, 10, env.get());
            std::memcpy(frame.data(), f->GetFrameBuffer()->GetReadPtr(), frame.size());
            for (int i = 0; i < size; ++i) want_frame[i] = test::FrameByte(n, i);
            for (int i = 0; i < 40; ++i) want_audio[i] = test::AudioByte(n * 40 + i);
            EXPECT_EQ(frame, want_frame) << n;
            EXPECT_EQ(audio, want_audio) << n;
        }
    }
}

#ifndef _WIN32
// A host that never imports makes no area; once a loader answered, the area has no name
// left, so however a process ends, its memory goes with the last one that maps it.
TEST(LoaderHostile, TheAreaComesWithTheFirstLoaderAndIsNamedOnlyUntilItAnswered) {
    const std::string name = test::UniqueLoaderName("area");
    const auto named = [&name] { return std::filesystem::exists(std::filesystem::symlink_status("/dev/shm/" + name)); };
    test::ScriptedLoaders loaders(name);
    const test::EnvPtr env = test::NewEnv();
    auto channel = ChannelFor(name, loaders.Launcher());
    EXPECT_FALSE(named());
    PClip clip = channel->Open("a", env.get());
    ASSERT_TRUE(clip);
    EXPECT_FALSE(named());
    EXPECT_EQ(test::BufferBytes(clip->GetFrame(2, env.get()))[5], test::FrameByte(2, 5));
    clip = PClip();
    channel.reset();
}
#endif

}  // namespace
