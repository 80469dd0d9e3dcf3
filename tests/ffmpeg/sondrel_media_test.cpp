// A media file through the real loader program: the numbers loaders are started with,
// and every frame and block of samples as the in-process Import gives it. A loader
// that dies under its clip is the scripted loaders' case (tests/loader_test.cpp).
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstring>
#include <string>
#include <vector>

#include "avs/frame_layout.h"
#include "loader/loader_channel.h"
#include "platform/process_start.h"
#include "tests/ffmpeg/media.h"
#include "tests/scripted_loader.h"
#include "tests/support/temp_dir.h"
#include "tests/test_support.h"

extern char** environ;

#if defined(FERRULE_HAVE_SONDREL)

namespace {

// The frame as the area carries it: every plane row at the alignment-16 layout.
std::vector<uint8_t> Laid(const PVideoFrame& f, const VideoInfo& vi) {
    const FrameLayout l = LayOutFrame(vi, 16);
    std::vector<uint8_t> out(static_cast<size_t>(l.data_size), 0);
    for (int y = 0; y < l.height; ++y)
        std::memcpy(out.data() + l.offset + y * l.pitch, f->GetReadPtr() + y * f->GetPitch(), size_t(l.row_size));
    return out;
}

// The test starts the loaders itself, to know that each one ends; the first start fails.
TEST(SondrelMedia, TheLoaderGivesFramesAndSamplesAsTheInProcessImport) {
    const test::TempDir dir;
    const std::string path = test::MakeMedia(
        dir / "counter.mkv", "-f lavfi -i 'nullsrc=s=64x48:r=25:d=1.2,format=gbrp,geq=r=7*N:g=4*Y+N:b=3*X+2*N' " +
                                 test::Sound("0.3*sin(0.03*n)+@/64", 48000, "1.2") +
                                 "-c:v ffv1 -pix_fmt bgr0 -c:a pcm_s16le");
    test::EnvPtr env = test::NewEnv();
    const PClip local = env->Invoke("Import", AVSValue(path.c_str())).AsClip();
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
        char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(name.c_str()),
                        const_cast<char*>(n.c_str()), nullptr};
        pid_t pid;
        if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
        pids.push_back(pid);
        return true;
    };
    auto channel = LoaderChannel::Create(std::move(options));
    ASSERT_TRUE(channel);
    EXPECT_FALSE(channel->Open(path.c_str(), env.get()));
    PClip first = channel->Open(path.c_str(), env.get());
    ASSERT_TRUE(first);
    EXPECT_FALSE(channel->Open((dir / "none.mkv").c_str(), env.get()));
    EXPECT_EQ(numbers, (std::vector<int>{0, 1})) << "a file the loader cannot open starts no other";
    const VideoInfo& vi = local->GetVideoInfo();
    ASSERT_EQ(std::memcmp(&first->GetVideoInfo(), &vi, sizeof vi), 0);
    for (int n : {0, 29, 14, 13, 2, 2})
        EXPECT_EQ(test::BufferBytes(first->GetFrame(n, env.get())), Laid(local->GetFrame(n, env.get()), vi));
    for (auto [start, count] : {std::pair<int64_t, int64_t>{0, 57600}, {-100, 300}, {57000, 1000}, {12345, 1}}) {
        std::vector<int16_t> want(size_t(count * 2) + 2, 7), got = want;
        local->GetAudio(want.data(), start, count, env.get());
        first->GetAudio(got.data(), start, count, env.get());
        ASSERT_EQ(got, want) << start << "+" << count;
    }
    {  // a second clip on the same loader answers for its own file, and the first for its
        const std::string red =
            test::MakeMedia(dir / "red.mkv", "-f lavfi -i color=c=red:s=64x48:r=25:d=0.2 -c:v ffv1 -pix_fmt bgr0");
        const PClip second = channel->Open(red.c_str(), env.get());
        ASSERT_TRUE(second);
        const PClip red_local = env->Invoke("Import", AVSValue(red.c_str())).AsClip();
        EXPECT_EQ(test::BufferBytes(second->GetFrame(0, env.get())),
                  Laid(red_local->GetFrame(0, env.get()), red_local->GetVideoInfo()));
        EXPECT_EQ(test::BufferBytes(first->GetFrame(7, env.get())), Laid(local->GetFrame(7, env.get()), vi));
    }
    first = PClip();
    channel.reset();  // closes loader 1's connection: it ends
    ASSERT_EQ(pids.size(), 1u);
    int status = 0;
    EXPECT_EQ(waitpid(pids[0], &status, 0), pids[0]);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace

#endif
