// Where a render goes, checked before anything is rendered: the folder is there and
// takes files, an existing file is replaced only when asked, no input is overwritten,
// and the name says the container. A file is written under a temporary name beside
// its destination and renamed into place once whole, so an interrupted or failed run
// never leaves a partial file under the name asked for.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "timeline.h"

namespace render {

// A destination we cannot or must not write: exit status 2, as a bad command line.
class OutputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The muxer a video file's name asks for: "mp4", "mov" or "matroska" for .mp4, .mov
// and .mkv in any case. Throws OutputError for another name.
std::string VideoFormatFor(const std::string& path);

// Throws OutputError unless the name ends in .png (any case).
void RequirePngName(const std::string& path);

// Throws OutputError when `path` is one of the inputs (the same file under any name).
void RefuseInputs(const std::string& path, const std::vector<Input>& inputs);

class PendingFile {
public:
    // Checks the destination and makes the temporary file beside it. replace is -y.
    PendingFile(const std::string& path, bool replace);
    // Removes the temporary file unless it was committed.
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    const std::string& temp_path() const { return temp_; }
    // Renames the temporary file to the destination. Without replace, a file that
    // appeared there meanwhile is kept and this throws OutputError.
    void Commit();

private:
    std::string path_, temp_;
    bool replace_;
    bool committed_ = false;
};

// The folder --frames writes frame-000000.png, ... into. It may be missing (it is then
// made), empty, or hold only frame files of an earlier run, which are all removed
// first, and only with replace (-y). Any other file in it, or an input among its
// frames, is refused.
class FramesFolder {
public:
    FramesFolder(const std::string& dir, bool replace, const std::vector<Input>& inputs);
    // Unless kept: removes the frames `frames` counts from 0, and the folder if it was made here.
    ~FramesFolder();
    FramesFolder(const FramesFolder&) = delete;
    FramesFolder& operator=(const FramesFolder&) = delete;

    void Track(int frames) { frames_ = frames; }
    void Keep() { kept_ = true; }

    // frame-NNNNNN.png, with six digits or more.
    static bool IsFrameName(const std::string& name);

private:
    std::string dir_;
    bool made_ = false;
    bool kept_ = false;
    int frames_ = 0;
};

}  // namespace render
