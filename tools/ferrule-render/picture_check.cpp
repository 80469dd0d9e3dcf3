#include "picture_check.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

namespace render {

std::string PictureProblem(const std::string& path) {
    int w = 0, h = 0, channels = 0;
    // A whole decode: a header alone passes files cut short.
    stbi_uc* pixels = stbi_load(path.c_str(), &w, &h, &channels, 4);
    if (!pixels) {
        const char* why = stbi_failure_reason();
        return why ? why : "cannot be decoded";
    }
    stbi_image_free(pixels);
    return std::string();
}

}  // namespace render
