// Failures while setting up and in workers: the frame server's words outlive it, and a
// worker's failure comes back once, in its own words.
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

// The failing item sits at /channels/1/items/1, after items that place well.
std::string Timeline(const std::string& item) {
    return R"({"output": {"width": 64, "height": 48, "frames": 4}, "channels": [
        {"items": [{"type": "overlay", "first": 0, "last": 3, "generate": {"kind": "gradient"}}]},
        {"items": [{"type": "title", "first": 0, "last": 3, "text": "ok"}, )" +
           item + "]}]}";
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
        // Stopped, not waited out: its own end is 30 s away, far beyond any busy machine's delay.
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(25)) << "the long worker was stopped";
        if (fs::exists(dir / "pid")) {
            const pid_t pid = std::stoi(dir.Read("pid"));
            EXPECT_EQ(kill(pid, 0), -1) << "worker " << pid << " still runs";
        }
    }
}

}  // namespace
