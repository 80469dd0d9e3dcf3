#include "interrupt.h"

#include <signal.h>
#include <string.h>

#include <cerrno>
#include <ctime>

namespace render {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile sig_atomic_t g_caught = 0;

extern "C" void NoteSignal(int signal) {
    if (!g_caught) g_caught = signal;
}

sigset_t CaughtSet() {
    sigset_t set;
    sigemptyset(&set);
    for (int s : kSignals) sigaddset(&set, s);
    return set;
}

std::string SignalName(int signal) {
    switch (signal) {
        case SIGINT: return "SIGINT";
        case SIGTERM: return "SIGTERM";
        case SIGHUP: return "SIGHUP";
        default: return "signal " + std::to_string(signal);
    }
}

}  // namespace

Interrupted::Interrupted(int signal) : std::runtime_error("stopped by " + SignalName(signal)), signal_(signal) {}

void CatchInterrupts() {
    for (int s : kSignals) {
        struct sigaction old {};
        if (sigaction(s, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_handler = NoteSignal;
        sigemptyset(&action.sa_mask);
        // Blocking calls inside FFmpeg and the frame server resume; our own waits use
        // PollUnlessInterrupted, which wakes all the same.
        action.sa_flags = SA_RESTART;
        sigaction(s, &action, nullptr);
    }
}

int InterruptSignal() { return g_caught; }

void StopIfInterrupted() {
    if (const int s = g_caught) throw Interrupted(s);
}

int PollUnlessInterrupted(pollfd* fds, nfds_t count, int timeout_ms) {
    const sigset_t caught = CaughtSet();
    sigset_t before;
    sigprocmask(SIG_BLOCK, &caught, &before);
    int result;
    if (g_caught) {
        errno = EINTR;
        result = -1;
    } else {
        timespec limit{timeout_ms / 1000, (timeout_ms % 1000) * 1000000L};
        result = ppoll(fds, count, timeout_ms < 0 ? nullptr : &limit, &before);
    }
    const int saved = errno;
    sigprocmask(SIG_SETMASK, &before, nullptr);
    errno = saved;
    return result;
}

}  // namespace render
