// ferrule-render against a hostile machine and hostile input: a failed write is an
// error naming the file, exit status 1, and leaves nothing half-written behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/render/render_support.h"

namespace {

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
        {{"--frames", "frames", "--jobs", "1"}, "frames/frame-000000.png"},
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

}  // namespace
