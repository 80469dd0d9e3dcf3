// Owning handles for the FFmpeg objects the output code uses, and FFmpeg's error text.
#pragma once

#include <memory>
#include <string>

extern "C" {
#include <libavutil/audio_fifo.h>
}

#include "fserver/ffmpeg/av_ptr.h"

namespace render {

struct AudioFifoFree {
    void operator()(AVAudioFifo* f) const { av_audio_fifo_free(f); }
};
// An output context owns its file handle too, unless the format has none.
struct OutputFormatFree {
    void operator()(AVFormatContext* f) const {
        if (f->pb && !(f->oformat->flags & AVFMT_NOFILE)) avio_closep(&f->pb);
        avformat_free_context(f);
    }
};

// The frame server's holders, and two more that only the writer needs.
using CodecContextPtr = fserver::AvCodecPtr;
using FramePtr = fserver::AvFramePtr;
using PacketPtr = fserver::AvPacketPtr;
using SwsPtr = fserver::SwsPtr;
using SwrPtr = fserver::SwrPtr;
using InputFormatPtr = fserver::AvFormatPtr;
using AudioFifoPtr = std::unique_ptr<AVAudioFifo, AudioFifoFree>;
using OutputFormatPtr = std::unique_ptr<AVFormatContext, OutputFormatFree>;

inline std::string AvError(int code) { return fserver::AvErrorText(code); }

}  // namespace render
