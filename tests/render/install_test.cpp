// make install: ferrule-render and sondrel in PREFIX/bin, libferrule.so in PREFIX/lib.
// The program finds the library from its own folder, so an installed tree runs from
// anywhere, wherever it is moved, and never reaches back into the build tree.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/render/render_support.h"

namespace {

namespace fs = std::filesystem;
using rtest::TempDir;

TEST(Install, TheInstalledTreeRunsFromAnywhereWithItsOwnLibrary) {
    const TempDir dir;
    // Staged as a package build would: DESTDIR, then PREFIX under it.
    const rtest::Run install = rtest::RunProgram(
        {"env", "DESTDIR=" + dir / "stage", "cmake", "--install", FERRULE_BUILD_DIR, "--prefix", "/opt/ferrule"});
    ASSERT_EQ(install.status, 0) << install.output << install.errors;
    for (const char* file : {"bin/ferrule-render", "bin/sondrel", "lib/libferrule.so"})
        EXPECT_TRUE(fs::is_regular_file(dir.path() / "stage/opt/ferrule" / file)) << file;
    EXPECT_EQ(access((dir / "stage/opt/ferrule/bin/sondrel").c_str(), X_OK), 0);

    // Moved away from where it was staged, and run from another folder.
    fs::rename(dir / "stage/opt/ferrule", dir / "moved");
    const std::string root = dir / "moved";
    fs::create_directory(dir / "work");
    const rtest::Run made = rtest::RunProgram({"ffmpeg", "-nostdin", "-v", "error", "-f", "lavfi", "-i", "testsrc=s=64x48:r=25:d=0.2", "-f",
                                               "lavfi", "-i", "sine=d=0.2", "-c:v", "libx264", "-c:a", "aac", dir / "work/clip.mp4"});
    ASSERT_EQ(made.status, 0) << made.errors;
    dir.Write("work/t.json", R"({"output": {"width": 64, "height": 48, "frames": 5},
        "channels": [{"items": [{"type": "overlay", "first": 0, "last": 4, "media": "clip.mp4", "audio": true}]}]})");
    const std::string run_there = "cd '" + dir / "work" + "' && ";
    const rtest::Run render = rtest::RunProgram({"sh", "-c", run_there + "'" + root + "/bin/ferrule-render' t.json -o out.mp4 --jobs 2"});
    ASSERT_EQ(render.status, 0) << render.errors;
    EXPECT_EQ(rtest::Decode(dir / "work/out.mp4").frame_times.size(), 5u);

    // Without its library the program says where it looked: the build tree is not one.
    fs::remove(dir / "moved/lib/libferrule.so");
    const rtest::Run lost = rtest::RunProgram({root + "/bin/ferrule-render", dir / "work/t.json", "-o", dir / "work/again.mp4"});
    EXPECT_EQ(lost.status, 1);
    EXPECT_EQ(lost.errors, "ferrule-render: cannot find libferrule.so: it is neither at " + root +
                               "/bin/libferrule.so nor at " + root + "/lib/libferrule.so\n");
    EXPECT_FALSE(fs::exists(dir / "work/again.mp4"));
}

}  // namespace
