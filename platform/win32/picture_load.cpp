// Pictures load through the system's GDI+, so that they decode exactly as the host's
// own GDI+ decodes them, in every format the system reads.
#include "platform/picture_load.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

struct GdipRect {
    INT x, y, width, height;
};
struct GdipBitmapData {
    UINT width, height;
    INT stride;
    INT format;
    void* scan0;
    UINT_PTR reserved;
};

}  // namespace

// GdipCreateBitmapFromFile is the loader without colour management; the ICM variant
// applies the file's embedded profile.
extern "C" int WINAPI GdipCreateBitmapFromFile(const WCHAR* file, void** bitmap);
extern "C" int WINAPI GdipGetImageWidth(void* image, UINT* width);
extern "C" int WINAPI GdipGetImageHeight(void* image, UINT* height);
extern "C" int WINAPI GdipBitmapLockBits(void* bitmap, const GdipRect* rect, UINT flags, INT format,
                                         GdipBitmapData* data);
extern "C" int WINAPI GdipBitmapUnlockBits(void* bitmap, GdipBitmapData* data);
extern "C" int WINAPI GdipDisposeImage(void* image);

namespace platform {

namespace {

constexpr INT kPixelFormat32bppARGB = 0x0026200A;
constexpr UINT kImageLockModeRead = 1;

}  // namespace

// GDI+ must be running, as the host starts it; when it is not, loading fails and the
// picture is null, as for a file that cannot be read.
std::unique_ptr<gfx::Bitmap> LoadPictureFile(const char* name) {
    if (!name) return nullptr;
    const int wide_length = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, name, -1, nullptr, 0);
    if (wide_length <= 0) return nullptr;
    std::wstring wide(static_cast<size_t>(wide_length), L'\0');
    if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, name, -1, wide.data(), wide_length) <= 0) return nullptr;

    void* image = nullptr;
    if (GdipCreateBitmapFromFile(wide.c_str(), &image) != 0 || !image) return nullptr;
    // Released before returning, so that the file is not held open.
    const std::unique_ptr<void, int(WINAPI*)(void*)> disposer(image, &GdipDisposeImage);
    UINT w = 0, h = 0;
    if (GdipGetImageWidth(image, &w) != 0 || GdipGetImageHeight(image, &h) != 0) return nullptr;
    std::unique_ptr<gfx::Bitmap> out = gfx::Bitmap::Create(static_cast<int>(w), static_cast<int>(h));
    if (!out) return nullptr;
    const GdipRect rect = {0, 0, out->Width(), out->Height()};
    GdipBitmapData data = {};
    if (GdipBitmapLockBits(image, &rect, kImageLockModeRead, kPixelFormat32bppARGB, &data) != 0) return nullptr;
    const auto* scan0 = static_cast<const uint8_t*>(data.scan0);
    for (int y = 0; y < out->Height(); ++y)
        std::memcpy(out->Row(y), scan0 + static_cast<ptrdiff_t>(y) * data.stride, static_cast<size_t>(w) * 4);
    GdipBitmapUnlockBits(image, &data);
    return out;
}

}  // namespace platform
