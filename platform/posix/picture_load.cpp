#include "platform/picture_load.h"

#include <cstdint>
#include <vector>

#include "gfx/picture_file.h"
#include "platform/file_bytes.h"

namespace platform {

std::unique_ptr<gfx::Bitmap> LoadPictureFile(const char* name) {
    std::vector<uint8_t> bytes;
    if (!ReadFileAnsiName(name, bytes)) return nullptr;
    return gfx::DecodePicture(bytes.data(), bytes.size());
}

}  // namespace platform
