#include "workers.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <thread>

#include "interrupt.h"

extern char** environ;

namespace render {

namespace {

// How long a stopped worker may take to clean up before it is killed.
constexpr auto kStopGrace = std::chrono::seconds(10);

std::string SelfPath() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) throw std::runtime_error("cannot find its own program file");
    return std::string(path, static_cast<size_t>(n));
}

struct Worker {
    pid_t pid = -1;
    int progress = -1;  // read end of its standard output
    int errors = -1;    // read end of its standard error
    std::string said;
    bool ended = false;
    int status = 0;
};

std::string Describe(int status) {
    if (WIFSIGNALED(status))
        return "a worker was ended by signal " + std::to_string(WTERMSIG(status)) + " (" + strsignal(WTERMSIG(status)) +
               ")";
    return "a worker ended with status " + std::to_string(WEXITSTATUS(status)) + " and said nothing";
}

// The running workers; whatever way the call is left, none is left behind.
class Crew {
public:
    ~Crew() {
        StopAll();
        for (Worker& w : workers_) {
            if (w.progress >= 0) close(w.progress);
            if (w.errors >= 0) close(w.errors);
        }
    }

    std::vector<Worker>& workers() { return workers_; }

    void Start(const std::string& self, const std::vector<std::string>& args) {
        int out[2], err[2];
        if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error(std::string("cannot make a pipe for a worker: ") + std::strerror(errno));
        if (pipe2(err, O_CLOEXEC) != 0) {
            const int e = errno;
            close(out[0]), close(out[1]);
            throw std::runtime_error(std::string("cannot make a pipe for a worker: ") + std::strerror(e));
        }
        std::vector<char*> argv{const_cast<char*>(self.c_str())};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
        Worker w;
        const int rc = posix_spawn(&w.pid, self.c_str(), &actions, &attributes, argv.data(), environ);
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(err[1]);
        if (rc != 0) {
            close(out[0]);
            close(err[0]);
            throw std::runtime_error(std::string("cannot start a worker: ") + std::strerror(rc));
        }
        w.progress = out[0];
        w.errors = err[0];
        workers_.push_back(w);
    }

    // Asks every worker still running to stop, and waits for all of them.
    void StopAll() {
        for (Worker& w : workers_)
            if (!w.ended) kill(w.pid, SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + kStopGrace;
        for (Worker& w : workers_) {
            while (!w.ended) {
                const pid_t r = waitpid(w.pid, &w.status, WNOHANG);
                if (r == w.pid || (r < 0 && errno != EINTR)) {
                    w.ended = true;
                } else if (std::chrono::steady_clock::now() > deadline) {
                    kill(w.pid, SIGKILL);
                    while (waitpid(w.pid, &w.status, 0) < 0 && errno == EINTR) {
                    }
                    w.ended = true;
                } else {
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                }
            }
        }
    }

    void Reap(Worker& w) {
        while (waitpid(w.pid, &w.status, 0) < 0 && errno == EINTR) {
        }
        w.ended = true;
    }

private:
    std::vector<Worker> workers_;
};

}  // namespace

std::vector<FrameRange> SplitFrames(int frames, int jobs) {
    jobs = std::max(1, std::min(jobs, frames));
    std::vector<FrameRange> ranges;
    for (int j = 0; j < jobs; ++j)
        ranges.push_back({static_cast<int>(int64_t(frames) * j / jobs), static_cast<int>(int64_t(frames) * (j + 1) / jobs)});
    return ranges;
}

void RunWorkers(const std::vector<std::vector<std::string>>& arguments, const FramesDone& done,
                const std::string& program) {
    const std::string self = program.empty() ? SelfPath() : program;
    Crew crew;
    for (const std::vector<std::string>& args : arguments) crew.Start(self, args);
    std::vector<Worker>& workers = crew.workers();

    // Progress and words until every worker has ended, one fails, or a signal comes.
    int finished = 0;
    const Worker* failed = nullptr;
    for (;;) {
        std::vector<pollfd> fds;
        std::vector<int*> owners;
        for (Worker& w : workers)
            for (int* fd : {&w.progress, &w.errors})
                if (*fd >= 0) fds.push_back({*fd, POLLIN, 0}), owners.push_back(fd);
        if (fds.empty() || failed || InterruptSignal()) break;
        if (PollUnlessInterrupted(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            throw std::runtime_error(std::string("cannot watch the workers: ") + std::strerror(errno));
        }
        for (size_t i = 0; i < fds.size(); ++i) {
            if (!fds[i].revents) continue;
            char bytes[4096];
            const ssize_t n = read(fds[i].fd, bytes, sizeof bytes);
            if (n < 0 && errno == EINTR) continue;
            Worker* w = nullptr;
            for (Worker& candidate : workers)
                if (owners[i] == &candidate.progress || owners[i] == &candidate.errors) w = &candidate;
            if (n > 0 && owners[i] == &w->progress) {
                finished += static_cast<int>(n);
                if (done) done(finished);
            } else if (n > 0) {
                w->said.append(bytes, static_cast<size_t>(n));
            } else {
                close(*owners[i]);
                *owners[i] = -1;
                if (w->progress < 0 && w->errors < 0) {
                    crew.Reap(*w);
                    if (!(WIFEXITED(w->status) && WEXITSTATUS(w->status) == 0) && !failed) failed = w;
                }
            }
        }
    }
    // Whoever is still running is not needed any more.
    crew.StopAll();
    StopIfInterrupted();
    if (failed) {
        if (!failed->said.empty() && WIFEXITED(failed->status)) throw WorkerFailed(failed->said, WEXITSTATUS(failed->status));
        throw std::runtime_error(Describe(failed->status));
    }
    // Warnings of workers that did their part.
    for (const Worker& w : workers) std::fputs(w.said.c_str(), stderr);
}

void ReportFrameDone() {
    const char byte = '.';
    while (write(STDOUT_FILENO, &byte, 1) < 0 && errno == EINTR) {
    }
}

}  // namespace render
