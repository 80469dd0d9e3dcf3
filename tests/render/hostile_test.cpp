// ferrule-render against a hostile machine and hostile input: a failed write is an
// error naming the file, exit status 1, and leaves nothing half-written behind.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/render/render_support.h"
#include "tools/ferrule-render/png_frames.h"

namespace {

namespace fs = std::filesystem;
using rtest::RunRender;
using rtest::TempDir;

constexpr const char* kBands = R"({"output": {"width": 320, "height": 240, "frames": 2},
    "channels": [{"items": [{"type": "overlay", "first": 0, "last": 1, "audio": true,
                             "generate": {"kind": "gradient", "tone": true}}]}]})";

// Under a 4 KiB file-size limit, which every output here outgrows but the messages do
// not: each write past it fails with EFBIG, as on a full disk.
TEST(RenderHostile, AWriteThatFailsNamesTheFileExitsOneAndLeavesNothing) {
    struct Row {
        std::vector<std::string> args;
        std::string named;  // the file the message names
    } rows[] = {
        {{"--frame", "1", "-o", "out.png"}, "out.png"},
        {{"--frames", "frames", "--jobs", "2"}, "frames/frame-00000"},  // a worker's frame
        {{"-o", "out.mp4", "--jobs", "1"}, "out.mp4"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.args[0] + " " + row.args[1] + " " + row.args[3]);
        const TempDir dir;
        const std::string timeline = dir.Write("t.json", kBands);
        std::vector<std::string> words{"sh", "-c", "ulimit -f 4 && cd \"$1\" && shift && exec \"$@\"", "sh",
                                       dir.path().string(), FERRULE_RENDER_PATH, timeline};
        words.insert(words.end(), row.args.begin(), row.args.end());
        const rtest::Run run = rtest::RunProgram(words);
        EXPECT_EQ(run.status, 1) << run.errors;
        EXPECT_NE(run.errors.find(row.named), std::string::npos) << run.errors;
        EXPECT_NE(run.errors.find("File too large"), std::string::npos) << run.errors;
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"t.json"});
        EXPECT_EQ(dir.Read("t.json"), kBands);
    }
}

std::string Item(const std::string& item) {
    return R"({"output": {"width": 64, "height": 48, "frames": 3}, "channels": [{"items": [{"first": 0, "last": 2, )" +
           item + "}]}]}";
}

// Timelines a user or a hostile file system gives: each refused with exit status 2 and
// what is wrong, named by its place, in printable words.
TEST(RenderHostile, BadTimelinesAndInputsAreRefusedForWhatTheyAre) {
    const TempDir dir;
    fs::create_directory(dir / "folder");
    fs::create_symlink("loop", dir / "loop");
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    const uint8_t pixel[4] = {};
    render::WritePngFrame(dir / "p.png", pixel, 4, 1, 1);
    const std::string pictures = R"("type": "pictures", "files": ["folder/../fifo"])";
    struct Row {
        std::string timeline;  // empty: the folder itself is given as the timeline
        std::string said;
    } rows[] = {
        {R"({"output": {"width": 1e999}})", "t.json: /output/width: number overflow parsing '1e999'"},
        {"{\"output\": \xff}", "t.json: syntax error at byte 12: syntax error while parsing value - invalid literal; last read: '\"output\": \\xFF'"},
        {R"({"output": {"width": 64, "width": 2}})", "t.json: /output/width: key given twice"},
        {Item(R"("type": "overlay", "media": "loop")"), "/media: \"" + dir / "loop" + "\": Too many levels of symbolic links"},
        {Item(R"("type": "overlay", "media": ")" + std::string(300, 'x') + "\""), "\": File name too long"},
        {Item(R"("type": "overlay", "media": "folder")"), "/media: \"" + dir / "folder" + "\" is a folder, not a file"},
        {Item(pictures), "/files/0: \"" + dir / "folder/../fifo" + "\" is not a plain file"},
        {Item(R"("type": "pictures", "files": ["p.png"], "fit": true, "corners": [[0, 0], [9, 0], [9, 9], [0, 9]])"), "/fit: cannot be true with corners, which place the pictures"},
        {"", dir / "folder" + ": is a folder, not a timeline file"},
    };
    for (const Row& row : rows) {
        const std::string timeline = row.timeline.empty() ? dir / "folder" : dir.Write("t.json", row.timeline);
        const rtest::Run run = RunRender({timeline, "--frames", dir / "out"});
        EXPECT_EQ(run.status, 2) << row.said;
        EXPECT_NE(run.errors.find(row.said + "\n"), std::string::npos) << run.errors;
        EXPECT_EQ(run.errors.find('\xff'), std::string::npos);
    }
    const rtest::Run version = RunRender({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output.rfind("ferrule-render 1.", 0), 0u) << version.output;
    EXPECT_EQ(version.errors, "");
}

}  // namespace
