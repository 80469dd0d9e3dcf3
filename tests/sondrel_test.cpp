// The real loader program, started by the library from beside this test program, on a
// picture: the clip arrives through it exactly as the frame server's own Import gives
// it. On Windows this is Sondrel.exe over named pipes and a paging-file mapping, with
// the portable picture Import.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "loader/loader_channel.h"
#include "tests/picture_files.h"
#include "tests/scripted_loader.h"
#include "tests/test_support.h"

#if defined(FERRULE_HAVE_SONDREL)

namespace {

TEST(Sondrel, APictureThroughTheLoaderIsTheInProcessImportByteForByte) {
    test::EnvPtr env = test::NewEnv();
    if (!env->FunctionExists("Import")) GTEST_SKIP() << "no Import in this build's frame server";
    test::PictureFolder folder;
    std::vector<uint32_t> argb(7 * 5);
    for (size_t i = 0; i < argb.size(); ++i) argb[i] = 0xFF000000u | uint32_t(i * 0x0B0713u);
    const std::string path = folder.WritePng("p.png", 7, 5, argb);
    const PClip local = env->Invoke("Import", AVSValue(path.c_str())).AsClip();

    LoaderChannelOptions options = ProductLoaderOptions();
    options.name = test::UniqueLoaderName("s");
    auto channel = LoaderChannel::Create(std::move(options));
    ASSERT_TRUE(channel);
    PClip a = channel->Open(path.c_str(), env.get());
    ASSERT_TRUE(a);
    EXPECT_EQ(std::memcmp(&a->GetVideoInfo(), &local->GetVideoInfo(), sizeof(VideoInfo)), 0);
    EXPECT_EQ(test::RowBytes(a->GetFrame(0, env.get())), test::RowBytes(local->GetFrame(0, env.get())));

    const PClip b = channel->Open(path.c_str(), env.get());
    ASSERT_TRUE(b);
    EXPECT_EQ(channel->Connections(), 1u) << "both on loader 0";
    a = PClip();
    EXPECT_EQ(channel->Connections(), 1u);
    EXPECT_EQ(test::RowBytes(b->GetFrame(0, env.get())), test::RowBytes(local->GetFrame(0, env.get())));
    EXPECT_FALSE(channel->Open((path + ".missing").c_str(), env.get()));
    EXPECT_EQ(channel->LaunchCounter(), 1) << "a file it cannot open starts no loader";
}

}  // namespace

#endif
