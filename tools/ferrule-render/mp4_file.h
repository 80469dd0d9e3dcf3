// A video file being written (MP4, MOV or Matroska): its muxer and file, which is
// deleted again unless it was finished, so a failed render never leaves a truncated
// video behind.
#pragma once

#include <string>

#include "av_holders.h"

namespace render {

class Mp4File {
public:
    // format is the muxer's name: "mp4", "mov" or "matroska".
    explicit Mp4File(const std::string& path, const std::string& format = "mp4");
    ~Mp4File();
    Mp4File(const Mp4File&) = delete;
    Mp4File& operator=(const Mp4File&) = delete;

    AVFormatContext* context() const { return format_.get(); }
    const std::string& path() const { return path_; }
    // Encoders must then put their parameter sets in extradata.
    bool wants_global_header() const;
    AVStream* AddStream();

    // After every stream is added.
    void Open();
    // Rescales from `from` to the packet's stream and hands it to the interleaver.
    void Write(AVPacket* packet, AVRational from);
    // Writes the trailer and closes; from then on the file is kept.
    void Finish();

private:
    std::string path_;
    OutputFormatPtr format_;
    bool created_ = false;
    bool finished_ = false;
};

}  // namespace render
