#include "editwnd/taken_picture.h"

#include <algorithm>
#include <new>

namespace editwnd {

void CTakenPicture::Take(uint8_t* buffer, int32_t size, int width, int height, int bits_per_pixel) {
    Clear();
    if (buffer && size > 0) bytes_.assign(buffer, buffer + size);
    ::operator delete(buffer);
    if (width <= 0 || height <= 0) return;
    // Sizes in 64 bits: on a 32-bit build width * height * 4 can wrap and pass the check.
    const uint64_t have = bytes_.size(), argb_row = static_cast<uint64_t>(width) * 4;
    if (bits_per_pixel == 32 && have >= argb_row * static_cast<uint64_t>(height)) {
        const size_t row = static_cast<size_t>(argb_row);
        for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
            std::swap_ranges(bytes_.begin() + row * top, bytes_.begin() + row * (top + 1), bytes_.begin() + row * bottom);
        bitmap_ = gfx::Bitmap::OverArgb(bytes_.data(), width, height, static_cast<int>(row));
    } else if (have >= (static_cast<uint64_t>(width) * 3 + 3) / 4 * 4 * static_cast<uint64_t>(height)) {
        bitmap_ = gfx::Bitmap::OverRgb24(bytes_.data(), width, height, static_cast<int>(have / height));
    }
}

void CTakenPicture::Clear() {
    bitmap_.reset();
    bytes_.clear();
}

}  // namespace editwnd
