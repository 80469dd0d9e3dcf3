// Our raster layer's bitmap: 32-bit ARGB rows of our own, or a view laid over memory
// that somebody else owns (a bottom-up RGB24 frame, or ARGB rows). Drawing on a view
// writes straight into that memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace gfx {

// A colour as 0xAARRGGBB; in memory the bytes are B, G, R, A, not premultiplied.
using Argb = uint32_t;

inline constexpr uint8_t AlphaOf(Argb c) { return static_cast<uint8_t>(c >> 24); }
inline constexpr Argb WithAlpha(Argb c, uint32_t a) { return (c & 0x00FFFFFFu) | (a << 24); }

// Bytes in one row of a frame: 24 bits a pixel, padded to a multiple of four bytes.
inline constexpr int Rgb24RowBytes(int width) { return ((width * 24 + 31) / 32) * 4; }

enum class PixelFormat { kArgb32, kRgb24 };

class Bitmap {
public:
    // A new ARGB bitmap, fully transparent; null when a side is not positive or the
    // memory is not there.
    static std::unique_ptr<Bitmap> Create(int width, int height);
    // Over bottom-up RGB24 rows Rgb24RowBytes(width) apart, the last row first in memory.
    static Bitmap OverRgb24(uint8_t* pixels, int width, int height);
    // The same with rows `pitch` bytes apart.
    static Bitmap OverRgb24(uint8_t* pixels, int width, int height, int pitch);
    // Over top-down ARGB rows `stride` bytes apart.
    static Bitmap OverArgb(uint8_t* pixels, int width, int height, int stride);

    Bitmap(Bitmap&&) = default;
    Bitmap& operator=(Bitmap&&) = default;
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    PixelFormat Format() const { return format_; }
    int BytesPerPixel() const { return format_ == PixelFormat::kArgb32 ? 4 : 3; }

    // Row y counted from the top, and the distance from one such row to the next
    // (negative for a bottom-up view).
    uint8_t* Row(int y) { return top_ + static_cast<ptrdiff_t>(y) * step_; }
    const uint8_t* Row(int y) const { return top_ + static_cast<ptrdiff_t>(y) * step_; }
    ptrdiff_t RowStep() const { return step_; }

    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    // Transparent black outside; RGB24 pixels read as opaque.
    Argb GetPixel(int x, int y) const;
    // Nothing happens outside; an RGB24 view keeps the colour and drops the alpha.
    void SetPixel(int x, int y, Argb c);

private:
    Bitmap(uint8_t* top, ptrdiff_t step, int width, int height, PixelFormat format)
        : top_(top), step_(step), width_(width), height_(height), format_(format) {}

    uint8_t* top_;
    ptrdiff_t step_;
    int width_;
    int height_;
    PixelFormat format_;
    std::unique_ptr<uint8_t[]> owned_;
};

// A bitmap's pixels as top-down ARGB rows, the way a lock hands them out, for reading.
// On an ARGB bitmap these are its own pixels; an RGB24 view is converted into a copy
// (alpha 255).
class ArgbLock {
public:
    explicit ArgbLock(const Bitmap& b);
    ArgbLock(const ArgbLock&) = delete;
    ArgbLock& operator=(const ArgbLock&) = delete;

    // Null when the copy could not be made.
    uint8_t* Scan0() const { return scan0_; }
    int Stride() const { return stride_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    std::unique_ptr<uint8_t[]> copy_;
    uint8_t* scan0_ = nullptr;
    int stride_ = 0;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace gfx
