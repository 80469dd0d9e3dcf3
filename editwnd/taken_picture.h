// A picture the frame routines handed out, taken over for the edit window: the host's
// buffer copied and freed as the host frees it, and a bitmap over the copy, the right
// way up.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "gfx/bitmap.h"

namespace editwnd {

class CTakenPicture {
public:
    CTakenPicture() = default;
    // The bitmap points into the copy.
    CTakenPicture(const CTakenPicture&) = delete;
    CTakenPicture& operator=(const CTakenPicture&) = delete;

    // Takes buffer over (null is taken as empty) and frees it. Rows come bottom first:
    // of 32 bits a pixel, which are turned over to be read top-down, or else of 24 bits
    // a pixel padded to four bytes. No bitmap when the buffer is too small for
    // width x height.
    void Take(uint8_t* buffer, int32_t size, int width, int height, int bits_per_pixel);
    void Clear();

    const gfx::Bitmap* bitmap() const { return bitmap_ ? &*bitmap_ : nullptr; }

private:
    std::vector<uint8_t> bytes_;
    std::optional<gfx::Bitmap> bitmap_;
};

}  // namespace editwnd
