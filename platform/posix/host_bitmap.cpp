#include "platform/host_bitmap.h"

// Hosts on Linux are built against gfx: they are handed our bitmap as it is.
HostBitmapLease::HostBitmapLease(gfx::Bitmap& bitmap) : host_(reinterpret_cast<HostBitmap*>(&bitmap)) {}

HostBitmapLease::~HostBitmapLease() = default;
