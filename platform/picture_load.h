// Loading a picture file named in the ANSI code page into one of our ARGB bitmaps,
// unchanged: on Windows through the system's GDI+ (every format it reads), elsewhere
// through our own decoder (PNG, JPEG, BMP, GIF).
#pragma once

#include <memory>

#include "gfx/bitmap.h"

namespace platform {

// Null when the file cannot be read or decoded, or the memory is not there.
std::unique_ptr<gfx::Bitmap> LoadPictureFile(const char* name);

}  // namespace platform
