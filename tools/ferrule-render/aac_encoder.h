// One AAC stream of an MP4: takes interleaved 16-bit samples in any amounts and
// encodes them in the encoder's fixed frame size, timestamped by sample count.
#pragma once

#include <cstdint>
#include <vector>

#include "av_holders.h"
#include "mp4_file.h"

namespace render {

class AacEncoder {
public:
    // Adds the stream to `file`; call before file.Open().
    AacEncoder(Mp4File& file, int rate, int channels);

    void Write(const int16_t* interleaved, int64_t sample_frames);
    // Encodes what is left as a short last frame and drains the encoder.
    void Finish();

private:
    void EncodeFromFifo(int sample_frames);
    void Drain(const AVFrame* frame);

    Mp4File& file_;
    int channels_;
    CodecContextPtr codec_;
    AVStream* stream_ = nullptr;
    SwrPtr convert_;
    AudioFifoPtr fifo_;
    FramePtr frame_;
    PacketPtr packet_;
    int64_t next_pts_ = 0;
    std::vector<float> planar_;  // conversion scratch, channel after channel
};

}  // namespace render
