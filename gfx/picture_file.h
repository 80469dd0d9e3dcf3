// Decoding a picture file's bytes into one of our ARGB bitmaps: PNG, JPEG, BMP and GIF
// (its first frame). No colour management is applied, and a picture without alpha is
// opaque.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "gfx/bitmap.h"

namespace gfx {

// Null when the bytes are not a picture of those formats or the memory is not there.
std::unique_ptr<Bitmap> DecodePicture(const uint8_t* bytes, size_t size);

}  // namespace gfx
