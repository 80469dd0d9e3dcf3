#include "avs/frame_layout.h"

#include <climits>

namespace {

int64_t RoundUp(int64_t value, int64_t align) { return (value + align - 1) / align * align; }

}  // namespace

FrameLayout LayOutFrame(const VideoInfo& vi, int align) {
    FrameLayout l;
    if (vi.width < 0 || vi.height < 0 || align <= 0) return l;
    // 64-bit throughout: the format may come from another process and be nonsense.
    const int64_t row_size = int64_t{vi.width} * (vi.BitsPerPixel() >> 3);
    const int64_t pitch = RoundUp(row_size, align);
    int64_t size = pitch * vi.height, pitch_uv = 0, chroma = 0;
    if (vi.IsPlanar()) {
        pitch_uv = RoundUp(row_size / 2, align);
        chroma = pitch_uv * (vi.height / 2);
        size += 2 * chroma;
    }
    if (size > INT_MAX) return l;
    l.valid = true;
    l.data_size = static_cast<int>(size);
    l.pitch = static_cast<int>(pitch);
    l.row_size = static_cast<int>(row_size);
    l.height = vi.height;
    if (vi.IsPlanar()) {
        // The second plane in memory is V, as the 4:2:0 layout has it.
        l.offset_v = static_cast<int>(pitch * vi.height);
        l.offset_u = static_cast<int>(pitch * vi.height + chroma);
        l.pitch_uv = static_cast<int>(pitch_uv);
        l.row_size_uv = static_cast<int>(row_size / 2);
        l.height_uv = vi.height / 2;
    }
    return l;
}
