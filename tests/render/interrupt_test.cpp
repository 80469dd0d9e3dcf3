// Ctrl-C (SIGINT to the whole process group, as a terminal sends it), SIGTERM and
// SIGHUP (to the program alone, as kill sends them) while frames are rendered, by one
// process or by workers, and while pieces are joined: the program exits with 128 + the
// signal, says so once, and leaves no output, temporary file, piece, list of pieces,
// shared-memory object or process behind.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/render/render_support.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using rtest::TempDir;
using Clock = std::chrono::steady_clock;

// The name the library gives its shared frame area, before the process id it adds.
constexpr const char* kAreaName = "{AED179E2-57E3-45b9-B9A7-9A223A5B28D8}";

pid_t Spawn(const std::vector<std::string>& words, const std::vector<std::string>& env, bool own_group,
            const std::string& errors) {
    std::vector<char*> argv, envp;
    for (const std::string& w : words) argv.push_back(const_cast<char*>(w.c_str()));
    argv.push_back(nullptr);
    for (char** e = environ; *e; ++e) envp.push_back(*e);
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
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
        const std::string ready = scratch / "shm-ready";
        holder_ = Spawn({"unshare", "--mount", "--propagation", "private", "--", "sh", "-c",
                         "mount -t tmpfs -o size=64m ferrule-test /dev/shm && touch '" + ready + "' && exec sleep 3600"},
                        {}, false, scratch / "unshare-errors");
        // Ready, or gone for want of the right to make a namespace.
        while (holder_ > 0 && !fs::exists(ready))
            if (waitpid(holder_, nullptr, WNOHANG) == holder_) holder_ = -1;
            else std::this_thread::sleep_for(std::chrono::milliseconds(5));
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

// Everything below a folder, at any depth.
std::vector<fs::directory_entry> Below(const fs::path& dir) {
    std::vector<fs::directory_entry> entries;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        entries.push_back(*it);
    return entries;
}

// A file below the folder whose name starts with the prefix, holding at least `bytes`.
bool Written(const fs::path& dir, const std::string& prefix, uintmax_t bytes) {
    std::error_code ec;
    for (const fs::directory_entry& e : Below(dir))
        if (e.path().filename().string().rfind(prefix, 0) == 0 && e.is_regular_file(ec) && e.file_size(ec) >= bytes && !ec)
            return true;
    return false;
}

TEST(Interrupt, ASignalMidRenderOrMidJoinLeavesNothingBehind) {
    const TempDir dir;
    // Long enough that a signal always finds it at work: frames of this size keep the
    // workers busy a while, and the sound of 1000 frames the join.
    dir.Write("t.json", R"({"output": {"width": 320, "height": 180, "fps": 25, "frames": 1000},
        "channels": [{"items": [{"type": "overlay", "first": 0, "last": 999, "audio": true,
                                 "generate": {"kind": "gradient", "tone": true}}]}]})");
    fs::create_directory(dir / "out");
    fs::create_directory(dir / "tmp");
    const PrivateShm shm(dir);
    if (!shm.is_private()) std::fprintf(stderr, "no mount namespace here: the machine's /dev/shm is checked\n");

    enum Moment { kRendering, kJoining };
    struct Case {
        int signal;
        bool whole_group;  // Ctrl-C reaches the workers too
        const char* jobs;
        Moment moment;
    };
    const Case cases[] = {
        {SIGINT, true, "1", kRendering},  {SIGTERM, false, "1", kRendering}, {SIGINT, true, "2", kRendering},
        {SIGTERM, false, "2", kRendering}, {SIGHUP, false, "2", kRendering}, {SIGINT, true, "2", kJoining},
        {SIGTERM, false, "2", kJoining},
    };
    for (const Case& c : cases) {
        const std::string what = std::string(strsignal(c.signal)) + " with --jobs " + c.jobs +
                                 (c.moment == kJoining ? " while joining" : " while rendering");
        std::vector<std::string> words = shm.Prefix();
        words.insert(words.end(), {FERRULE_RENDER_PATH, dir / "t.json", "-o", dir / "out/video.mp4", "--jobs", c.jobs});
        const pid_t pid = Spawn(words, {"TMPDIR=" + (dir / "tmp")}, true, dir / "errors");
        ASSERT_GT(pid, 0) << what;

        // The moment: frames reaching the output being written (one process), a worker
        // opening its piece after placing its items, or the list of pieces the join reads.
        const auto at_moment = [&] {
            if (c.moment == kJoining) return Written(dir / "tmp", "pieces-", 1);
            return std::string(c.jobs) == "2" ? Written(dir / "tmp", "piece-", 0) : Written(dir / "out", ".video.mp4.", 1);
        };
        const auto deadline = Clock::now() + std::chrono::seconds(120);
        int status = 0;
        bool ended = false;
        while (!at_moment() && !ended && Clock::now() < deadline) {
            ended = waitpid(pid, &status, WNOHANG) == pid;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        ASSERT_FALSE(ended) << what << ": ended before the moment came";
        // What there is to clean up while frames are rendered: the workers.
        if (c.moment == kRendering) {
            EXPECT_GE(GroupMembers(pid), std::string(c.jobs) == "2" ? 3 : 1) << what;
        }
        kill(c.whole_group ? -pid : pid, c.signal);

        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        std::ifstream errors(dir / "errors");
        const std::string said((std::istreambuf_iterator<char>(errors)), {});
        ASSERT_TRUE(WIFEXITED(status)) << what << ": " << said;
        EXPECT_EQ(WEXITSTATUS(status), 128 + c.signal) << what;
        const std::string name = c.signal == SIGINT ? "SIGINT" : c.signal == SIGTERM ? "SIGTERM" : "SIGHUP";
        EXPECT_EQ(said, "ferrule-render: stopped by " + name + "\n") << what;
        EXPECT_TRUE(fs::is_empty(dir / "out")) << what;
        EXPECT_TRUE(fs::is_empty(dir / "tmp")) << what;
        EXPECT_EQ(shm.Objects(), std::vector<std::string>{}) << what;
        EXPECT_EQ(GroupMembers(pid), 0) << what;
    }
}

}  // namespace
