// The environment's frames: buffers are kept and handed out again once no frame refers
// to them; frame objects are dropped once their last reference went.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "avs/avisynth.h"

namespace fserver {

class FramePool {
public:
    FramePool() = default;
    FramePool(const FramePool&) = delete;
    FramePool& operator=(const FramePool&) = delete;

    // A writable frame of the format; align < 0 rounds the pitch to -align only.
    VideoFrame* NewFrame(const VideoInfo& vi, int align, int64_t memory_max);
    // A frame over an existing buffer, as Subframe builds it.
    VideoFrame* Wrap(VideoFrameBuffer* buffer, int offset, int pitch, int row_size, int height, int offsetU,
                     int offsetV, int pitchUV);

    int Buffers() const { return static_cast<int>(buffers_.size()); }
    int BuffersInUse() const;

private:
    struct Buffer {
        std::unique_ptr<uint8_t[]> storage;
        std::unique_ptr<VideoFrameBuffer> vfb;
    };
    VideoFrameBuffer* FreeBuffer(int size, int64_t memory_max);
    void Sweep();

    std::vector<Buffer> buffers_;
    std::vector<std::unique_ptr<VideoFrame>> frames_;
};

}  // namespace fserver
