// A media file through the real loader program: every frame and block of samples as
// the in-process Import gives it, the numbers loaders are started with, and a loader
// killed under its clip.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "avs/frame_layout.h"
#include "loader/loader_channel.h"
#include "platform/process_start.h"
#include "tests/ffmpeg/media_writer.h"
#include "tests/scripted_loader.h"
#include "tests/test_support.h"

extern char** environ;

#if defined(FERRULE_HAVE_SONDREL)

namespace {

// FFV1 frame n: B, G, R = 3x + 2n, 4y + n, 7n.
void PaintCounter(AVFrame* f, int n) {
    for (int y = 0; y < test::kHeight; ++y)
        for (int x = 0; x < test::kWidth; ++x) {
            uint8_t* p = f->data[0] + y * f->linesize[0] + 4 * x;
            p[0] = uint8_t(3 * x + 2 * n), p[1] = uint8_t(4 * y + n), p[2] = uint8_t(7 * n), p[3] = 0;
        }
}
double Hum(int64_t s, int ch) { return 9000 * std::sin(0.03 * double(s)) + 500 * ch; }

// The frame as the area carries it: every plane row at the alignment-16 layout.
std::vector<uint8_t> Laid(const PVideoFrame& f, const VideoInfo& vi) {
    const FrameLayout l = LayOutFrame(vi, 16);
    std::vector<uint8_t> out(static_cast<size_t>(l.data_size), 0);
    for (int y = 0; y < l.height; ++y)
        std::memcpy(out.data() + l.offset + y * l.pitch, f->GetReadPtr() + y * f->GetPitch(), size_t(l.row_size));
    return out;
}
struct Media {
    test::TempDir dir;
    std::string path = dir / "counter.mkv";
    test::EnvPtr env = test::NewEnv();
    PClip local;
    Media() {
        const test::VideoTrack video{AV_CODEC_ID_FFV1, AV_PIX_FMT_0RGB32, 30, PaintCounter};
        const test::AudioTrack audio{AV_CODEC_ID_PCM_S16LE, AV_SAMPLE_FMT_S16, 48000, 2, 57600, Hum};
        test::Write(path, &video, &audio);
        local = env->Invoke("Import", AVSValue(path.c_str())).AsClip();
    }
};

TEST(SondrelMedia, EveryFrameAndSampleArriveAsTheInProcessImportGivesThem) {
    Media m;
    LoaderChannelOptions options = ProductLoaderOptions();
    options.name = test::UniqueLoaderName("m");
    auto channel = LoaderChannel::Create(std::move(options));
    ASSERT_TRUE(channel);
    const PClip clip = channel->Open(m.path.c_str(), m.env.get());
    ASSERT_TRUE(clip);
    const VideoInfo& vi = m.local->GetVideoInfo();
    ASSERT_EQ(std::memcmp(&clip->GetVideoInfo(), &vi, sizeof vi), 0);
    for (int n : {0, 1, 29, 14, 13, 2, 2}) {
        const PVideoFrame got = clip->GetFrame(n, m.env.get());
        ASSERT_EQ(test::BufferBytes(got), Laid(m.local->GetFrame(n, m.env.get()), vi)) << "frame " << n;
    }
    for (auto [start, count] : {std::pair<int64_t, int64_t>{0, 57600}, {-100, 300}, {57000, 1000}, {12345, 1}}) {
        std::vector<int16_t> want(size_t(count * 2) + 2, 7), got = want;
        m.local->GetAudio(want.data(), start, count, m.env.get());
        clip->GetAudio(got.data(), start, count, m.env.get());
        ASSERT_EQ(got, want) << start << "+" << count;
    }
    EXPECT_EQ(channel->LaunchCounter(), 1);
}

// The test starts the loaders itself, to know whom to kill; the first start fails.
// A killed loader costs its clip one request; the clip goes on under the next number.
TEST(SondrelMedia, AKilledLoaderCostsItsClipOneRequestAndAFreshLoaderTakesOver) {
    Media m;
    std::vector<int> numbers;
    std::vector<pid_t> pids;
    const std::string program = platform::ExecutableFolder() + platform::kLoaderProgramName;
    LoaderChannelOptions options;
    options.name = test::UniqueLoaderName("m");
    options.open_limit_ms = options.reply_limit_ms = 3000;
    options.message = [](const char*) {};
    options.start = [&](const std::string& name, int number) {
        numbers.push_back(number);
        if (number == 0) return false;
        const std::string n = std::to_string(number);
        char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(name.c_str()), const_cast<char*>(n.c_str()),
                        nullptr};
        pid_t pid;
        if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
        pids.push_back(pid);
        return true;
    };
    auto channel = LoaderChannel::Create(std::move(options));
    ASSERT_TRUE(channel);
    EXPECT_FALSE(channel->Open(m.path.c_str(), m.env.get()));
    PClip first = channel->Open(m.path.c_str(), m.env.get());
    ASSERT_TRUE(first);
    const std::vector<uint8_t> frame5 = test::BufferBytes(first->GetFrame(5, m.env.get()));

    ASSERT_EQ(pids.size(), 1u);
    kill(pids[0], SIGKILL);
    waitpid(pids[0], nullptr, 0);
    EXPECT_EQ(test::BufferBytes(first->GetFrame(9, m.env.get())), frame5) << "the frame keeps what it had";
    std::vector<int16_t> want(20, 3), got = want;
    m.local->GetAudio(want.data(), 0, 10, m.env.get());
    first->GetAudio(got.data(), 0, 10, m.env.get());
    EXPECT_EQ(got, want);
    EXPECT_EQ(numbers, (std::vector<int>{0, 1, 2}));
    const std::vector<uint8_t> frame9 = Laid(m.local->GetFrame(9, m.env.get()), m.local->GetVideoInfo());
    EXPECT_EQ(test::BufferBytes(first->GetFrame(9, m.env.get())), frame9);

    PClip second = channel->Open(m.path.c_str(), m.env.get());
    ASSERT_TRUE(second);
    EXPECT_EQ(numbers, (std::vector<int>{0, 1, 2})) << "the fresh loader takes it";
    EXPECT_EQ(test::BufferBytes(second->GetFrame(9, m.env.get())), frame9);
    EXPECT_EQ(channel->Connections(), 2u);
    first = second = PClip();
    channel.reset();  // closes loader 2's connection: it ends
    ASSERT_EQ(pids.size(), 2u);
    int status = 0;
    EXPECT_EQ(waitpid(pids[1], &status, 0), pids[1]);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace

#endif
