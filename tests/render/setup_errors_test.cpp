// Bad input files: each is reported once, in the frame server's or the decoder's own
// words, under the timeline file and the JSON path of the item that reads it, with
// exit status 2 and no output; workers add nothing to a failure they explained.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/render/render_support.h"
#include "tools/ferrule-render/session.h"
#include "tools/ferrule-render/timeline.h"
#include "tools/ferrule-render/workers.h"

namespace {

namespace fs = std::filesystem;
using rtest::TempDir;

std::string Head(const std::string& path, size_t bytes) {
    std::ifstream in(path, std::ios::binary);
    std::string text(bytes, '\0');
    in.read(text.data(), static_cast<std::streamsize>(bytes));
    return text;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t at = 0; at < text.size();) {
        const size_t end = text.find('\n', at);
        lines.push_back(text.substr(at, end - at));
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

// The failing item sits at /channels/1/items/1, after items that place well.
std::string Timeline(const std::string& item) {
    return R"({"output": {"width": 64, "height": 48, "frames": 4}, "channels": [
        {"items": [{"type": "overlay", "first": 0, "last": 3, "generate": {"kind": "gradient"}}]},
        {"items": [{"type": "title", "first": 0, "last": 3, "text": "ok"}, )" +
           item + "]}]}";
}

TEST(SetupErrors, EachBadFileNamesItsItemAndTheFrameServersWords) {
    const TempDir dir;
    const std::string d = dir.path().string();
    rtest::WriteClip(dir / "clip.mp4", 64, 48, 4);
    dir.Write("empty.mp4", "");
    dir.Write("cut.mp4", Head(dir / "clip.mp4", static_cast<size_t>(fs::file_size(dir / "clip.mp4") / 2)));
    dir.Write("text.mp4", "not a video\n");
    dir.Write("bad.srt", std::string("garbage\0\1\2", 10));
    dir.Write("lone.idx", "# VobSub index file, v7\n");  // no lone.sub
    dir.Write("frame.json", Timeline(R"({"type": "title", "first": 0, "last": 3, "text": "x"})"));
    ASSERT_EQ(rtest::RunRender({dir / "frame.json", "--frame", "0", "-o", dir / "good.png"}).status, 0);
    dir.Write("cut.png", Head(dir / "good.png", 60));
    dir.Write("text.png", "not a picture\n");

    const std::string import = "Import: cannot open \"";
    const std::string invalid = "\": Invalid data found when processing input";
    struct Case {
        std::string item, error;  // the error after "ferrule-render: <timeline>: "
    };
    const Case cases[] = {
        {R"({"type": "overlay", "first": 0, "last": 3, "media": "empty.mp4"})",
         "/channels/1/items/1/media: " + import + d + "/empty.mp4" + invalid},
        {R"({"type": "overlay", "first": 0, "last": 3, "media": "cut.mp4"})",
         "/channels/1/items/1/media: " + import + d + "/cut.mp4" + invalid},
        {R"({"type": "overlay", "first": 0, "last": 3, "media": "text.mp4"})",
         "/channels/1/items/1/media: " + import + d + "/text.mp4" + invalid},
        {R"({"type": "overlay", "first": 0, "last": 3, "media": "clip.mp4", "crop": [32, 0, 32, 0]})",
         "/channels/1/items/1: \"" + d + "/clip.mp4\": Crop: Destination width is 0 or less."},
        {R"({"type": "overlay", "first": 0, "last": 3, "generate": {"kind": "colour"}, "crop": [0, 10, 0, 14]})",
         "/channels/1/items/1: Crop: Destination height is 0 or less."},
        {R"({"type": "subtitles", "first": 0, "last": 3, "file": "bad.srt"})",
         "/channels/1/items/1/file: TextSub: cannot read subtitles from \"" + d + "/bad.srt\""},
        {R"({"type": "subtitles", "first": 0, "last": 3, "file": "lone.idx"})",
         "/channels/1/items/1/file: VobSub: cannot open \"" + d + "/lone.idx\""},
        {R"({"type": "pictures", "first": 0, "last": 3, "files": ["good.png", "text.png"]})",
         "/channels/1/items/1/files/1: \"" + d + "/text.png\" is not a picture: unknown image type"},
        {R"({"type": "pictures", "first": 0, "last": 3, "files": ["cut.png"]})",
         "/channels/1/items/1/files/0: \"" + d + "/cut.png\" is not a picture: outofdata"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string timeline = dir.Write("t" + std::to_string(n++) + ".json", Timeline(c.item));
        // Two jobs: whatever workers there would be, the message comes once.
        const std::string out = dir / "out.mp4";
        const rtest::Run run = rtest::RunRender({timeline, "-o", out, "--jobs", "2"});
        EXPECT_EQ(run.status, 2) << c.item;
        const std::vector<std::string> lines = Lines(run.errors);
        ASSERT_FALSE(lines.empty()) << c.item;
        EXPECT_EQ(lines.back(), "ferrule-render: " + timeline + ": " + c.error) << c.item;
        // FFmpeg's own detail may come first, under the same prefix; nothing twice.
        for (const std::string& line : lines) {
            EXPECT_EQ(line.rfind("ferrule-render: ", 0), 0u) << line;
            EXPECT_EQ(line.find("worker"), std::string::npos) << line;
        }
        EXPECT_EQ(run.errors.find(c.error), run.errors.rfind(c.error)) << run.errors;
        EXPECT_FALSE(fs::exists(out));
    }
    for (const auto& e : fs::directory_iterator(dir.path()))
        EXPECT_NE(e.path().filename().string()[0], '.') << "a temporary file left: " << e.path();
}

// The frame server's message lives in the frame server: it is copied before the
// session, and with it the frame server, goes. AddressSanitizer would see a read of
// the freed text; a second session after a failed one places everything.
TEST(SetupErrors, MessagesAreCopiedBeforeTheirFrameServerGoes) {
    render::Timeline t = render::ParseTimeline(Timeline(R"({"type": "overlay", "first": 0, "last": 3,
        "generate": {"kind": "checker"}, "crop": [0, 0, 40, 0]})"), "t.json", "/");
    try {
        render::Session session(t, "/nonexistent/libferrule.so");
        ADD_FAILURE() << "loaded a library that is not there";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "LoadPlugin: unable to load \"/nonexistent/libferrule.so\"");
    }
    try {
        render::Session session(t, FERRULE_PLUGIN_PATH);
        ADD_FAILURE() << "placed a crop wider than its clip";
    } catch (const render::SetupError& e) {
        EXPECT_STREQ(e.what(), "t.json: /channels/1/items/1: Crop: Destination width is 0 or less.");
    }
    t.channels[1].items.pop_back();
    const render::Session good(t, FERRULE_PLUGIN_PATH);
    EXPECT_EQ(good.Frame(2)->GetRowSize(), 64 * 3);
}

// Workers are real processes here (the shell); a failure each way they can fail.
TEST(SetupErrors, AWorkersFailureComesBackOnceInItsOwnWords) {
    const TempDir dir;
    // The id lands whole or not at all: the worker may be stopped while it writes.
    const std::string long_one = "echo $$ >'" + dir / "pid.part" + "' && mv '" + dir / "pid.part" + "' '" + dir / "pid" + "'; exec sleep 30";
    struct Case {
        std::vector<std::string> scripts;
        int status;         // WorkerFailed's, or 0 for a plain runtime_error
        std::string error;  // what() of what was thrown; empty for none
    };
    const Case cases[] = {
        {{"printf ..", "printf ...; echo 'ferrule-render: a warning' >&2"}, -1, ""},
        {{long_one, "printf .; echo 'ferrule-render: x.json: /channels/0/items/0/media: gone' >&2; exit 2"},
         2, "ferrule-render: x.json: /channels/0/items/0/media: gone\n"},
        {{"echo 'ferrule-render: first line' >&2; echo 'ferrule-render: second' >&2; exit 1", "printf ."},
         1, "ferrule-render: first line\nferrule-render: second\n"},
        {{long_one, "exit 1"}, 0, "a worker ended with status 1 and said nothing"},
        {{"kill -SEGV $$", "printf ."}, 0, "a worker was ended by signal 11 (Segmentation fault)"},
    };
    for (const Case& c : cases) {
        std::vector<std::vector<std::string>> arguments;
        for (const std::string& s : c.scripts) arguments.push_back({"-c", s});
        fs::remove(dir / "pid");
        int frames = 0;
        std::string thrown;
        int status = -1;
        const auto start = std::chrono::steady_clock::now();
        try {
            render::RunWorkers(arguments, [&](int n) { frames = n; }, "/bin/sh");
        } catch (const render::WorkerFailed& e) {
            thrown = e.what();
            status = e.status();
        } catch (const std::runtime_error& e) {
            thrown = e.what();
            status = 0;
        }
        EXPECT_EQ(thrown, c.error) << c.scripts[0];
        EXPECT_EQ(status, c.status) << c.scripts[0];
        if (c.status == -1) {
            EXPECT_EQ(frames, 5) << "every byte counts";
        }
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << "the long worker was stopped";
        if (fs::exists(dir / "pid")) {
            const pid_t pid = std::stoi(Head(dir / "pid", 16));
            EXPECT_EQ(kill(pid, 0), -1) << "worker " << pid << " still runs";
        }
    }
}

}  // namespace
