// Ctrl-C, SIGTERM and SIGHUP: the handler only notes the signal; the work looks at the
// note between frames and packets and unwinds, so every file, piece, worker and the
// library's shared area is cleaned up by the code that owns it.
#pragma once

#include <poll.h>

#include <stdexcept>
#include <string>

namespace render {

// The work stopped for a signal; the program then exits with 128 + the signal.
class Interrupted : public std::runtime_error {
public:
    explicit Interrupted(int signal);
    int signal() const { return signal_; }

private:
    int signal_;
};

// Catches INT, TERM and HUP, except those ignored when the program started (nohup).
void CatchInterrupts();

// The first signal caught, or 0.
int InterruptSignal();

// Throws Interrupted when a signal was caught.
void StopIfInterrupted();

// poll() that also wakes for a signal caught before or during the wait, without the
// race of checking first and then sleeping. Returns poll's result, or -1 with
// errno EINTR; timeout_ms < 0 waits without end.
int PollUnlessInterrupted(pollfd* fds, nfds_t count, int timeout_ms);

}  // namespace render
