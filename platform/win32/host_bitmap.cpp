// On Windows a host's renderer reads the overlay through GDI+: it is handed a GDI+
// C++ Bitmap, in the layout MSVC gives that wrapper class, over a native GDI+ bitmap
// that shares our pixels (32bppARGB is non-premultiplied B, G, R, A, as ours are).
#include "platform/host_bitmap.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>

extern "C" int WINAPI GdipCreateBitmapFromScan0(INT width, INT height, INT stride, INT format, BYTE* scan0,
                                                void** bitmap);
extern "C" int WINAPI GdipDisposeImage(void* image);

namespace {

constexpr INT kPixelFormat32bppARGB = 0x0026200A;

#if defined(__i386__)
#define WRAPPER_THISCALL __attribute__((thiscall))
#else
#define WRAPPER_THISCALL
#endif

// Gdiplus::Bitmap: Image's table pointer (a virtual destructor and Clone), then
// Image's members; Bitmap adds none.
struct GdiplusBitmap {
    void* const* vtable;
    void* native_image;
    int32_t last_result;
    int32_t load_status;
};
#if defined(__i386__)
static_assert(sizeof(GdiplusBitmap) == 16 && offsetof(GdiplusBitmap, native_image) == 4);
#else
static_assert(sizeof(GdiplusBitmap) == 24 && offsetof(GdiplusBitmap, native_image) == 8);
#endif

// The bitmap is lent for one call: a host that deletes or clones it gets nothing done
// to our pixels or our object, which the lease releases itself.
void* WRAPPER_THISCALL BorrowedDestructor(GdiplusBitmap* self, unsigned /*flags*/) { return self; }
void* WRAPPER_THISCALL BorrowedClone(GdiplusBitmap*) { return nullptr; }

void* const kBitmapTable[] = {reinterpret_cast<void*>(&BorrowedDestructor), reinterpret_cast<void*>(&BorrowedClone)};

}  // namespace

// GDI+ must be running: the host starts it, as it draws with it. Without it no native
// bitmap is made and get() is null.
HostBitmapLease::HostBitmapLease(gfx::Bitmap& bitmap) {
    void* native = nullptr;
    if (bitmap.Format() != gfx::PixelFormat::kArgb32 ||
        GdipCreateBitmapFromScan0(bitmap.Width(), bitmap.Height(), static_cast<INT>(bitmap.RowStep()),
                                  kPixelFormat32bppARGB, bitmap.Row(0), &native) != 0 ||
        !native)
        return;
    auto* wrapper = new GdiplusBitmap{kBitmapTable, native, 0, 0};
    native_ = wrapper;
    host_ = reinterpret_cast<HostBitmap*>(wrapper);
}

HostBitmapLease::~HostBitmapLease() {
    auto* wrapper = static_cast<GdiplusBitmap*>(native_);
    if (!wrapper) return;
    GdipDisposeImage(wrapper->native_image);
    delete wrapper;
}
