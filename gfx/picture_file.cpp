#include "gfx/picture_file.h"

#include <climits>

#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_BMP
#define STBI_ONLY_GIF
#define STBI_NO_FAILURE_STRINGS
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb_image.h>
#pragma GCC diagnostic pop

namespace gfx {

std::unique_ptr<Bitmap> DecodePicture(const uint8_t* bytes, size_t size) {
    if (!bytes || size == 0 || size > INT_MAX) return nullptr;
    int w = 0, h = 0, channels = 0;
    const std::unique_ptr<stbi_uc, void (*)(void*)> rgba(
        stbi_load_from_memory(bytes, static_cast<int>(size), &w, &h, &channels, 4), &stbi_image_free);
    if (!rgba) return nullptr;
    std::unique_ptr<Bitmap> out = Bitmap::Create(w, h);
    if (!out) return nullptr;
    const stbi_uc* s = rgba.get();
    for (int y = 0; y < h; ++y) {
        uint8_t* d = out->Row(y);
        for (int x = 0; x < w; ++x, s += 4, d += 4) {
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
            d[3] = s[3];
        }
    }
    return out;
}

}  // namespace gfx
