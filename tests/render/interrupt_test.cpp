// Ctrl-C (SIGINT to the whole process group, as a terminal sends it), SIGTERM and
// SIGHUP (to the program alone, as kill sends them) while frames are rendered, by one
// process or by workers, and while pieces are joined: the program exits with 128 + the
// signal, says so once, and leaves no output, temporary file, piece, list of pieces,
// shared-memory object or process behind.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/render/render_support.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using rtest::TempDir;

// The name the library gives its shared frame area, before the process id it adds.
constexpr const char* kAreaName = "{AED179E2-57E3-45b9-B9A7-9A223A5B28D8}";

// Standard output goes to `out` (a pipe's end) or /dev/null, standard error to `errors`.
pid_t Spawn(const std::vector<std::string>& words, const std::vector<std::string>& env, bool own_group,
            const std::string& errors, int out = -1) {
    std::vector<char*> argv, envp;
    for (const std::string& w : words) argv.push_back(const_cast<char*>(w.c_str()));
    argv.push_back(nullptr);
    for (char** e = environ; *e; ++e) envp.push_back(*e);
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (out >= 0) posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
    else posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // Default dispositions and an open mask, as from an interactive shell.
    sigset_t defaults, none;
    sigemptyset(&defaults);
    sigemptyset(&none);
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&defaults, s);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setsigmask(&attributes, &none);
    // Group 0: a group of its own, numbered by its pid.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | (own_group ? POSIX_SPAWN_SETPGROUP : 0));
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), envp.data()) != 0) pid = -1;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// A /dev/shm of the test's own: a process in a mount namespace of its own with a fresh
// tmpfs there, which the program joins through nsenter. So the library's object is
// seen alone, whoever else on the machine renders. Where namespaces cannot be made
// (not root), the machine's /dev/shm is looked at instead.
class PrivateShm {
public:
    explicit PrivateShm(const TempDir& scratch) {
        int ready[2];
        if (pipe2(ready, O_CLOEXEC) != 0) return;
        holder_ = Spawn({"unshare", "--mount", "--propagation", "private", "--", "sh", "-c",
                         "mount -t tmpfs -o size=64m ferrule-test /dev/shm && echo ready && exec sleep 3600 >/dev/null"},
                        {}, false, scratch / "unshare-errors", ready[1]);
        close(ready[1]);
        // "ready", or the end of the pipe when no namespace could be made.
        char said[6] = {};
        size_t got = 0;
        for (ssize_t n = 1; n > 0 && got < 5; got += n > 0 ? size_t(n) : 0) n = read(ready[0], said + got, 5 - got);
        close(ready[0]);
        if (std::string(said) != "ready") Stop();
    }
    ~PrivateShm() { Stop(); }

    bool is_private() const { return holder_ > 0; }
    std::vector<std::string> Prefix() const {
        if (!is_private()) return {};
        return {"nsenter", "--target", std::to_string(holder_), "--mount", "--"};
    }
    // The library's object, or in a private /dev/shm anything at all.
    std::vector<std::string> Objects() const {
        std::vector<std::string> names;
        const fs::path dir = is_private() ? fs::path("/proc/" + std::to_string(holder_) + "/root/dev/shm") : "/dev/shm";
        for (const auto& e : fs::directory_iterator(dir))
            if (is_private() || e.path().filename().string().rfind(kAreaName, 0) == 0) names.push_back(e.path().filename());
        return names;
    }

private:
    void Stop() {
        if (holder_ <= 0) return;
        kill(holder_, SIGKILL);
        waitpid(holder_, nullptr, 0);
        holder_ = -1;
    }
    pid_t holder_ = -1;
};

// Processes, zombies aside, in the process group.
int GroupMembers(pid_t group) {
    std::istringstream ps(rtest::RunProgram({"ps", "-e", "-o", "pgid=,stat="}).output);
    int members = 0, pgid = 0;
    std::string stat;
    while (ps >> pgid >> stat) members += pgid == group && stat[0] != 'Z';
    return members;
}

// A file below the folder, at any depth, whose name starts with the prefix and holds at
// least `bytes`. Every folder looked into is watched from then on.
bool Written(const fs::path& dir, const std::string& prefix, uintmax_t bytes, int watch) {
    std::error_code ec;
    inotify_add_watch(watch, dir.c_str(), IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO);
    for (const fs::directory_entry& e : fs::directory_iterator(dir, ec)) {
        if (e.is_directory(ec) && Written(e.path(), prefix, bytes, watch)) return true;
        if (e.path().filename().string().rfind(prefix, 0) == 0 && e.is_regular_file(ec) && e.file_size(ec) >= bytes && !ec)
            return true;
    }
    return false;
}

// Sleeps until the program makes such a file (true) or ends (false): woken by the
// kernel for each change in the folders and for the process's end, never by a clock.
bool WaitForFile(pid_t pid, const fs::path& dir, const std::string& prefix, uintmax_t bytes) {
    const int watch = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    const int ended = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    bool seen = false;
    for (;;) {
        // Looked at after the watches are in place, so no change falls between.
        seen = Written(dir, prefix, bytes, watch);
        pollfd fds[] = {{watch, POLLIN, 0}, {ended, POLLIN, 0}};
        if (seen || poll(fds, 2, -1) < 0 || fds[1].revents) break;
        char events[4096];
        while (read(watch, events, sizeof events) > 0) {
        }
    }
    close(watch);
    close(ended);
    return seen;
}

TEST(Interrupt, ASignalMidRenderOrMidJoinLeavesNothingBehind) {
    const TempDir dir;
    // Rendering: more frames than any machine gets through before the signal. Joining:
    // few frames quickly rendered, but a second of sound to each to mix and encode.
    dir.Write("render.json", R"({"output": {"width": 320, "height": 180, "fps": 25, "frames": 1000000},
        "channels": [{"items": [{"type": "overlay", "first": 0, "last": 999999, "audio": true,
                                 "generate": {"kind": "gradient", "tone": true}}]}]})");
    dir.Write("join.json", R"({"output": {"width": 16, "height": 16, "fps": 1, "frames": 3600},
        "channels": [{"items": [{"type": "overlay", "first": 0, "last": 3599, "audio": true,
                                 "generate": {"kind": "gradient", "tone": true}}]}]})");
    fs::create_directory(dir / "out");
    fs::create_directory(dir / "tmp");
    const PrivateShm shm(dir);
    if (!shm.is_private()) std::fprintf(stderr, "no mount namespace here: the machine's /dev/shm is checked\n");

    enum Moment { kRendering, kJoining };
    struct Case {
        int signal;
        const char* jobs;
        Moment moment;
    };
    const Case cases[] = {
        {SIGINT, "1", kRendering},  {SIGINT, "2", kRendering}, {SIGTERM, "2", kRendering},
        {SIGHUP, "2", kRendering}, {SIGINT, "2", kJoining},
    };
    for (const Case& c : cases) {
        const std::string what = std::string(strsignal(c.signal)) + " with --jobs " + c.jobs +
                                 (c.moment == kJoining ? " while joining" : " while rendering");
        std::vector<std::string> words = shm.Prefix();
        words.insert(words.end(), {FERRULE_RENDER_PATH, dir / (c.moment == kJoining ? "join.json" : "render.json"), "-o",
                                   dir / "out/video.mp4", "--jobs", c.jobs});
        const pid_t pid = Spawn(words, {"TMPDIR=" + (dir / "tmp")}, true, dir / "errors");
        ASSERT_GT(pid, 0) << what;

        // The moment: frames reaching the output being written (one process), a worker
        // opening its piece after placing its items, or the list of pieces the join reads.
        const bool came = c.moment == kJoining ? WaitForFile(pid, dir / "tmp", "pieces-", 1)
                          : std::string(c.jobs) == "2" ? WaitForFile(pid, dir / "tmp", "piece-", 0)
                                                       : WaitForFile(pid, dir / "out", ".video.mp4.", 1);
        if (!came) {
            waitpid(pid, nullptr, 0);
            FAIL() << what << ": ended before the moment came, saying:\n" << dir.Read("errors");
        }
        // What there is to clean up while frames are rendered: the workers.
        if (c.moment == kRendering) {
            EXPECT_GE(GroupMembers(pid), std::string(c.jobs) == "2" ? 3 : 1) << what;
        }
        kill(c.signal == SIGINT ? -pid : pid, c.signal);  // Ctrl-C reaches the workers too

        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        const std::string said = dir.Read("errors");
        ASSERT_TRUE(WIFEXITED(status)) << what << ": " << said;
        EXPECT_EQ(WEXITSTATUS(status), 128 + c.signal) << what << ": " << said;
        const std::string name = c.signal == SIGINT ? "SIGINT" : c.signal == SIGTERM ? "SIGTERM" : "SIGHUP";
        EXPECT_EQ(said, "ferrule-render: stopped by " + name + "\n") << what;
        EXPECT_TRUE(fs::is_empty(dir / "out")) << what;
        EXPECT_TRUE(fs::is_empty(dir / "tmp")) << what;
        EXPECT_EQ(shm.Objects(), std::vector<std::string>{}) << what;
        EXPECT_EQ(GroupMembers(pid), 0) << what;
    }
}

}  // namespace
