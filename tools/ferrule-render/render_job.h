// Pulling a range of composed frames (and their audio) from a session into a file or
// a folder of pictures.
#pragma once

#include <functional>
#include <string>

#include "session.h"

namespace render {

struct FrameRange {
    int first = 0;
    int end = 0;  // one past the last
    int Count() const { return end - first; }
};

// Called with the number of frames done so far.
using FramesDone = std::function<void(int)>;

// frame-000042.png: the name frame 42 gets in a folder of frames.
std::string FrameFileName(int n);

// A video of the range (format: the muxer, as Mp4File takes it); with_audio adds the
// mix of those frames' samples. A failure or a caught signal (Interrupted) leaves no
// file behind.
void RenderMp4(const Session& session, FrameRange range, bool with_audio, const std::string& path,
               const FramesDone& done, const std::string& format = "mp4");

// The frames of the range as PNG files in dir (which must exist). A failure or a
// caught signal removes the files this call wrote.
void RenderPngs(const Session& session, FrameRange range, const std::string& dir, const FramesDone& done);

void RenderOnePng(const Session& session, int n, const std::string& path, const std::string& shown = std::string());

}  // namespace render
