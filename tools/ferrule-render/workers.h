// Rendering on every core: frame ranges go to worker processes, each this same program
// with a frame server and a manager of its own (a manager composes one frame at a
// time). A worker tells its progress by writing one byte to its standard output for
// every frame it has finished; what it says on standard error comes back here.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "render_job.h"

namespace render {

// A worker ended with a failure it explained: `what()` is its own error lines, to be
// shown as they are, and status its exit status.
class WorkerFailed : public std::runtime_error {
public:
    WorkerFailed(const std::string& said, int status) : std::runtime_error(said), status_(status) {}
    int status() const { return status_; }

private:
    int status_;
};

// `jobs` ranges of nearly equal length covering [0, frames); fewer when frames are few.
std::vector<FrameRange> SplitFrames(int frames, int jobs);

// Starts this program once per argument list (without argv[0]) and waits for all.
// done sees the frames finished by all workers together. When a worker fails, or a
// signal is caught (Interrupted), the others are stopped with SIGTERM and waited for
// before this throws; no worker outlives the call. Throws WorkerFailed when a failed
// worker said why, std::runtime_error when it did not or could not start. `program`
// is this program unless given.
void RunWorkers(const std::vector<std::vector<std::string>>& arguments, const FramesDone& done,
                const std::string& program = std::string());

// For a worker: one frame more is finished.
void ReportFrameDone();

}  // namespace render
