// Rendering on every core: frame ranges go to worker processes, each this same program
// with a frame server and a manager of its own (a manager composes one frame at a
// time). A worker tells its progress by writing one byte to its standard output for
// every frame it has finished.
#pragma once

#include <string>
#include <vector>

#include "render_job.h"

namespace render {

// `jobs` ranges of nearly equal length covering [0, frames); fewer when frames are few.
std::vector<FrameRange> SplitFrames(int frames, int jobs);

// Starts this program once per argument list (without argv[0]) and waits for all.
// done sees the frames finished by all workers together. Throws std::runtime_error
// when a worker cannot start or does not end with status 0.
void RunWorkers(const std::vector<std::vector<std::string>>& arguments, const FramesDone& done);

// For a worker: one frame more is finished.
void ReportFrameDone();

}  // namespace render
