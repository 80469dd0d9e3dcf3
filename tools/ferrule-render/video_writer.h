// Writes rendered frames, and optionally their sound, as an MP4: H.264 video and
// AAC audio. Unfinished files are deleted when the writer goes away.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "aac_encoder.h"
#include "av_holders.h"
#include "mp4_file.h"
#include "timeline.h"

namespace render {

class Mp4Writer {
public:
    // Throws std::runtime_error naming the file, or the missing encoder.
    // format: the muxer, as Mp4File takes it.
    Mp4Writer(const std::string& path, const Output& out, bool with_audio, const std::string& format = "mp4");
    ~Mp4Writer();
    Mp4Writer(const Mp4Writer&) = delete;
    Mp4Writer& operator=(const Mp4Writer&) = delete;

    // One frame of out.width x out.height, bytes B,G,R, bottom row first.
    void WriteVideo(const uint8_t* bottom_up_bgr, int pitch);
    // out.audio_channels samples per sample frame. Ignored without audio.
    void WriteAudio(const int16_t* interleaved, int64_t sample_frames);
    // Flushes both encoders and writes the trailer; only then is the file kept.
    void Finish();

private:
    void Drain(const AVFrame* frame);

    Output out_;
    Mp4File file_;  // first, so it is closed after the encoders are gone
    CodecContextPtr video_;
    AVStream* video_stream_ = nullptr;
    SwsPtr convert_;
    FramePtr frame_;
    PacketPtr packet_;
    int64_t frames_written_ = 0;
    std::optional<AacEncoder> audio_;
};

}  // namespace render
