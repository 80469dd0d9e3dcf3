// StreamDecoder: one stream of a media file, demuxed and decoded frame by frame, with
// seeking. Import keeps one per stream so that video and audio seek independently.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
}

#include "fserver/ffmpeg/av_ptr.h"

namespace fserver {

class StreamDecoder {
public:
    // 0 when open, AVERROR_STREAM_NOT_FOUND when the file has no such stream, else the
    // error that stopped it.
    int Open(const char* path, AVMediaType type);

    // Opens the same file and stream again, so that decoding starts as the first time.
    int Reopen();

    // The next decoded frame into frame; false at the end of the stream.
    bool Next(AVFrame* frame);
    // To the key frame at or before ts (in the stream's time base); failing that, to the
    // start. False only when the file cannot even be opened again.
    bool Seek(int64_t ts);

    // The timestamp of the key frame at or before ts in the demuxer's index, or
    // AV_NOPTS_VALUE when the index does not say.
    int64_t KeyBefore(int64_t ts) const;

    AVStream* stream() const { return stream_; }
    AVCodecContext* codec() const { return codec_.get(); }
    AVFormatContext* format() const { return format_.get(); }
    // The stream's first timestamp, which counts as time zero.
    int64_t origin() const { return origin_; }

private:
    std::string path_;
    AVMediaType type_ = AVMEDIA_TYPE_UNKNOWN;
    AvFormatPtr format_;
    AvCodecPtr codec_;
    AvPacketPtr packet_;
    AVStream* stream_ = nullptr;
    int64_t origin_ = 0;
    bool draining_ = false;  // the demuxer is exhausted and the decoder has been told so
};

}  // namespace fserver
