// The host's bitmap type over one of our ARGB bitmaps, for the length of one renderer
// call: on Windows a GDI+ bitmap sharing our pixels, elsewhere our bitmap itself.
#pragma once

#include "gfx/bitmap.h"

class HostBitmap;

class HostBitmapLease {
public:
    explicit HostBitmapLease(gfx::Bitmap& bitmap);  // an ARGB bitmap
    ~HostBitmapLease();
    HostBitmapLease(const HostBitmapLease&) = delete;
    HostBitmapLease& operator=(const HostBitmapLease&) = delete;

    // Null when the platform's bitmap could not be made.
    HostBitmap* get() const { return host_; }

private:
    HostBitmap* host_ = nullptr;
    void* native_ = nullptr;  // what the platform keeps for the lease
};
