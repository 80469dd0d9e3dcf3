// The GDI+ flat API as the 32-bit host reaches it (gdiplus.dll), declared here because
// mingw's C++ wrappers do not build warning-free.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

extern "C" {
struct GdiplusStartupInput {
    UINT32 version = 1;
    void* debug_callback = nullptr;
    BOOL suppress_background_thread = FALSE;
    BOOL suppress_external_codecs = FALSE;
};
int WINAPI GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, void* output);
int WINAPI GdipCreateBitmapFromFile(const WCHAR* file, void** bitmap);
int WINAPI GdipCreateBitmapFromScan0(INT width, INT height, INT stride, INT format, BYTE* scan0, void** bitmap);
int WINAPI GdipGetImageWidth(void* image, UINT* width);
int WINAPI GdipGetImageHeight(void* image, UINT* height);
int WINAPI GdipBitmapGetPixel(void* bitmap, INT x, INT y, DWORD* argb);
int WINAPI GdipSaveImageToFile(void* image, const WCHAR* file, const CLSID* encoder, const void* parameters);
int WINAPI GdipDisposeImage(void* image);
}

namespace host32 {

constexpr INT kGdipFormat32bppRgb = 0x00022009;

// An editor draws with GDI+ and starts it before it hands the library anything.
inline bool StartGdiplus() {
    static const bool started = [] {
        ULONG_PTR token = 0;
        const GdiplusStartupInput input;
        return GdiplusStartup(&token, &input, nullptr) == 0;
    }();
    return started;
}

// Every pixel of a native GDI+ bitmap as ARGB, top-down; empty when it cannot be read.
inline std::vector<uint32_t> GdipPixels(void* bitmap, int* width, int* height) {
    UINT w = 0, h = 0;
    std::vector<uint32_t> pixels;
    if (!bitmap || GdipGetImageWidth(bitmap, &w) != 0 || GdipGetImageHeight(bitmap, &h) != 0) return pixels;
    *width = static_cast<int>(w), *height = static_cast<int>(h);
    pixels.resize(static_cast<size_t>(w) * h);
    for (UINT y = 0; y < h; ++y)
        for (UINT x = 0; x < w; ++x) {
            DWORD c = 0;
            if (GdipBitmapGetPixel(bitmap, static_cast<INT>(x), static_cast<INT>(y), &c) != 0) return {};
            pixels[y * w + x] = c;
        }
    return pixels;
}

}  // namespace host32
