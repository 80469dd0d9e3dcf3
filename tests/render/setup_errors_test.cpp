// Failures while setting up and in workers: a worker's failure comes back once, in its
// own words, and the workers still running are stopped.
#include <gtest/gtest.h>

#include <signal.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/render/render_support.h"
#include "tests/support/error_of.h"
#include "tools/ferrule-render/session.h"
#include "tools/ferrule-render/timeline.h"
#include "tools/ferrule-render/workers.h"

namespace {

namespace fs = std::filesystem;
using rtest::TempDir;

// A library that cannot be loaded is named. How a frame server's message outlives it
// is the cases' "crop" row, which the sanitized build runs too.
TEST(SetupErrors, ALibraryThatCannotBeLoadedIsNamed) {
    const render::Timeline t = render::ParseTimeline(R"({"channels": []})", "t.json", "/");
    EXPECT_EQ(test::ErrorOf<std::runtime_error>([&] { render::Session session(t, "/nonexistent/libferrule.so"); }),
              "LoadPlugin: unable to load \"/nonexistent/libferrule.so\"");
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
        if (fs::exists(dir / "pid")) {
            const pid_t pid = std::stoi(dir.Read("pid"));
            EXPECT_EQ(kill(pid, 0), -1) << "worker " << pid << " still runs";
        }
    }
}

}  // namespace
