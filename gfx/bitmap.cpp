#include "gfx/bitmap.h"

#include <cstring>
#include <new>

#include "gfx/blend.h"

namespace gfx {

std::unique_ptr<Bitmap> Bitmap::Create(int width, int height) {
    // Beyond 2^28 pixels a row offset or a byte count would not fit the int the lock
    // reports; nothing drawn here is anywhere near that.
    if (width <= 0 || height <= 0 || static_cast<int64_t>(width) * height > (int64_t{1} << 28)) return nullptr;
    const size_t bytes = static_cast<size_t>(width) * height * 4;
    std::unique_ptr<uint8_t[]> pixels(new (std::nothrow) uint8_t[bytes]);
    if (!pixels) return nullptr;
    std::memset(pixels.get(), 0, bytes);
    std::unique_ptr<Bitmap> b(new Bitmap(pixels.get(), width * 4, width, height, PixelFormat::kArgb32));
    b->owned_ = std::move(pixels);
    return b;
}

Bitmap Bitmap::OverRgb24(uint8_t* pixels, int width, int height) {
    return OverRgb24(pixels, width, height, Rgb24RowBytes(width));
}

Bitmap Bitmap::OverRgb24(uint8_t* pixels, int width, int height, int pitch) {
    const ptrdiff_t step = pitch;
    return Bitmap(pixels + step * (height - 1), -step, width, height, PixelFormat::kRgb24);
}

Bitmap Bitmap::OverArgb(uint8_t* pixels, int width, int height, int stride) {
    return Bitmap(pixels, stride, width, height, PixelFormat::kArgb32);
}

Argb Bitmap::GetPixel(int x, int y) const {
    if (!Contains(x, y)) return 0;
    return LoadPixel(Row(y) + x * BytesPerPixel(), format_);
}

void Bitmap::SetPixel(int x, int y, Argb c) {
    if (!Contains(x, y)) return;
    uint8_t* p = Row(y) + x * BytesPerPixel();
    p[0] = static_cast<uint8_t>(c);
    p[1] = static_cast<uint8_t>(c >> 8);
    p[2] = static_cast<uint8_t>(c >> 16);
    if (format_ == PixelFormat::kArgb32) p[3] = static_cast<uint8_t>(c >> 24);
}

ArgbLock::ArgbLock(const Bitmap& b) {
    width_ = b.Width();
    height_ = b.Height();
    if (b.Format() == PixelFormat::kArgb32) {
        scan0_ = const_cast<uint8_t*>(b.Row(0));
        stride_ = static_cast<int>(b.RowStep());
        return;
    }
    stride_ = width_ * 4;
    copy_.reset(new (std::nothrow) uint8_t[static_cast<size_t>(stride_) * height_]);
    if (!copy_) return;
    scan0_ = copy_.get();
    for (int y = 0; y < height_; ++y) {
        const uint8_t* s = b.Row(y);
        uint8_t* d = scan0_ + static_cast<ptrdiff_t>(y) * stride_;
        for (int x = 0; x < width_; ++x, s += 3, d += 4) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
            d[3] = 255;
        }
    }
}

}  // namespace gfx
