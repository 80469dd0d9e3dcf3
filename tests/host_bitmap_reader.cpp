// The test host's way of reading the overlay bitmap a renderer is handed.
#include <cstdint>
#include <vector>

#include "tests/fake_renderers.h"

#if defined(_WIN32)
#include <windows.h>

// The GDI+ flat API, as a host compiled against GDI+ reaches it.
extern "C" int WINAPI GdipGetImageWidth(void* image, UINT* width);
extern "C" int WINAPI GdipGetImageHeight(void* image, UINT* height);
extern "C" int WINAPI GdipBitmapGetPixel(void* bitmap, INT x, INT y, DWORD* colour);

struct GdiplusStartupInput {
    UINT32 version = 1;
    void* debug_callback = nullptr;
    BOOL suppress_background_thread = FALSE;
    BOOL suppress_external_codecs = FALSE;
};
extern "C" int WINAPI GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, void* output);

namespace {
// A host draws with GDI+ and has it running before it hands the library anything;
// the test program is that host.
const bool gdiplus_started = [] {
    ULONG_PTR token = 0;
    const GdiplusStartupInput input;
    return GdiplusStartup(&token, &input, nullptr) == 0;
}();
}  // namespace

namespace test {
bool ReadHostBitmap(HostBitmap* bitmap, int* width, int* height, std::vector<uint32_t>* pixels) {
    // A GDI+ C++ Bitmap: its table pointer, then the native image.
    void* native = reinterpret_cast<void* const*>(bitmap)[1];
    UINT w = 0, h = 0;
    if (GdipGetImageWidth(native, &w) != 0 || GdipGetImageHeight(native, &h) != 0) return false;
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    pixels->assign(static_cast<size_t>(w) * h, 0);
    for (UINT y = 0; y < h; ++y)
        for (UINT x = 0; x < w; ++x) {
            DWORD c = 0;
            GdipBitmapGetPixel(native, static_cast<INT>(x), static_cast<INT>(y), &c);
            (*pixels)[y * w + x] = c;
        }
    return true;
}
}  // namespace test
#else
#include "gfx/bitmap.h"

namespace test {
bool ReadHostBitmap(HostBitmap* bitmap, int* width, int* height, std::vector<uint32_t>* pixels) {
    const auto* b = reinterpret_cast<const gfx::Bitmap*>(bitmap);
    *width = b->Width();
    *height = b->Height();
    pixels->assign(static_cast<size_t>(b->Width()) * b->Height(), 0);
    for (int y = 0; y < b->Height(); ++y)
        for (int x = 0; x < b->Width(); ++x) (*pixels)[static_cast<size_t>(y) * b->Width() + x] = b->GetPixel(x, y);
    return true;
}
}  // namespace test
#endif
