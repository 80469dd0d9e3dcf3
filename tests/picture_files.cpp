#include "tests/picture_files.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace test {

std::string PictureFolder::WritePng(const std::string& name, int w, int h, const std::vector<uint32_t>& argb) {
    const std::string path = *this / name;
    std::vector<uint8_t> rgba;
    for (uint32_t c : argb) rgba.insert(rgba.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), uint8_t(c >> 24)});
    stbi_write_png(path.c_str(), w, h, 4, rgba.data(), w * 4);
    return path;
}

}  // namespace test
