#include "workers.h"

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace render {

namespace {

std::string SelfPath() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) throw std::runtime_error("cannot find its own program file");
    return std::string(path, static_cast<size_t>(n));
}

struct Worker {
    pid_t pid = -1;
    int progress = -1;  // read end of its standard output
};

}  // namespace

std::vector<FrameRange> SplitFrames(int frames, int jobs) {
    jobs = std::max(1, std::min(jobs, frames));
    std::vector<FrameRange> ranges;
    for (int j = 0; j < jobs; ++j)
        ranges.push_back({static_cast<int>(int64_t(frames) * j / jobs), static_cast<int>(int64_t(frames) * (j + 1) / jobs)});
    return ranges;
}

void RunWorkers(const std::vector<std::vector<std::string>>& arguments, const FramesDone& done) {
    const std::string self = SelfPath();
    std::vector<Worker> workers;
    std::string failure;
    for (const std::vector<std::string>& args : arguments) {
        int fds[2];
        if (pipe(fds) != 0) {
            failure = "cannot make a pipe for a worker";
            break;
        }
        std::vector<char*> argv{const_cast<char*>(self.c_str())};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addclose(&actions, fds[1]);
        Worker w;
        const int rc = posix_spawn(&w.pid, self.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        if (rc != 0) {
            close(fds[0]);
            failure = std::string("cannot start a worker: ") + std::strerror(rc);
            break;
        }
        w.progress = fds[0];
        workers.push_back(w);
    }

    // Progress until every worker has closed its output, which it does by ending.
    int finished = 0;
    std::vector<pollfd> open;
    for (const Worker& w : workers) open.push_back({w.progress, POLLIN, 0});
    while (!open.empty()) {
        if (poll(open.data(), open.size(), -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (size_t i = 0; i < open.size();) {
            if (open[i].revents) {
                char bytes[256];
                const ssize_t n = read(open[i].fd, bytes, sizeof bytes);
                if (n > 0) {
                    finished += static_cast<int>(n);
                    if (done) done(finished);
                    ++i;
                    continue;
                }
                if (n < 0 && errno == EINTR) continue;
                close(open[i].fd);
                open.erase(open.begin() + static_cast<ptrdiff_t>(i));
                continue;
            }
            ++i;
        }
    }
    for (const pollfd& p : open) close(p.fd);
    for (const Worker& w : workers) {
        int status = 0;
        while (waitpid(w.pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (failure.empty() && !(WIFEXITED(status) && WEXITSTATUS(status) == 0))
            failure = "a worker failed (" +
                      (WIFEXITED(status) ? "status " + std::to_string(WEXITSTATUS(status))
                                         : "signal " + std::to_string(WTERMSIG(status))) +
                      ")";
    }
    if (!failure.empty()) throw std::runtime_error(failure);
}

void ReportFrameDone() {
    const char byte = '.';
    while (write(STDOUT_FILENO, &byte, 1) < 0 && errno == EINTR) {
    }
}

}  // namespace render
