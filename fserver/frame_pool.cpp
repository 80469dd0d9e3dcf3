#include "fserver/frame_pool.h"

#include <algorithm>
#include <cstdlib>

#include "avs/frame_layout.h"

namespace fserver {

namespace {

constexpr int kStartAlign = 16;

}  // namespace

int FramePool::BuffersInUse() const {
    return static_cast<int>(std::count_if(buffers_.begin(), buffers_.end(),
                                          [](const Buffer& b) { return b.vfb->GetRefcount() > 0; }));
}

// Frame objects are created with one anticipated reference; once it is gone they are
// done with and their buffer is free again.
void FramePool::Sweep() {
    std::erase_if(frames_, [](const std::unique_ptr<VideoFrame>& f) { return f->GetRefcount() == 0; });
}

VideoFrameBuffer* FramePool::FreeBuffer(int size, int64_t memory_max) {
    Sweep();
    for (const Buffer& b : buffers_)
        if (b.vfb->GetRefcount() == 0 && b.vfb->GetDataSize() == size) return b.vfb.get();

    // Over budget, unused buffers of other sizes make room first.
    int64_t total = 0;
    for (const Buffer& b : buffers_) total += b.vfb->GetDataSize();
    if (total + size > memory_max)
        std::erase_if(buffers_, [](const Buffer& b) { return b.vfb->GetRefcount() == 0; });

    Buffer b;
    b.storage.reset(new uint8_t[static_cast<size_t>(size) + kStartAlign]());
    const uintptr_t base = reinterpret_cast<uintptr_t>(b.storage.get());
    uint8_t* data = b.storage.get() + ((kStartAlign - base % kStartAlign) % kStartAlign);
    b.vfb = std::make_unique<VideoFrameBuffer>(data, size);
    buffers_.push_back(std::move(b));
    return buffers_.back().vfb.get();
}

VideoFrame* FramePool::NewFrame(const VideoInfo& vi, int align, int64_t memory_max) {
    align = align < 0 ? -align : std::max(align, static_cast<int>(FRAME_ALIGN));
    if (align == 0) align = 1;
    const FrameLayout l = LayOutFrame(vi, align);
    VideoFrameBuffer* vfb = FreeBuffer(l.data_size, memory_max);
    if (vi.IsPlanar()) return Wrap(vfb, l.offset, l.pitch, l.row_size, l.height, l.offset_u, l.offset_v, l.pitch_uv);
    return Wrap(vfb, l.offset, l.pitch, l.row_size, l.height, 0, 0, 0);
}

VideoFrame* FramePool::Wrap(VideoFrameBuffer* buffer, int offset, int pitch, int row_size, int height, int offsetU,
                            int offsetV, int pitchUV) {
    frames_.push_back(std::make_unique<VideoFrame>(buffer, offset, pitch, row_size, height, offsetU, offsetV, pitchUV));
    return frames_.back().get();
}

}  // namespace fserver
