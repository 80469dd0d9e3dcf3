// Pixel buffers handed to the host: one block from the runtime's global operator new,
// which the host releases with the matching operator delete. On Windows that is the
// msvcrt heap the host's runtime frees into.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>

inline uint8_t* NewHostBuffer(size_t size) { return static_cast<uint8_t*>(::operator new(size)); }

inline uint8_t* NewZeroedHostBuffer(size_t size) {
    uint8_t* p = NewHostBuffer(size);
    std::memset(p, 0, size);
    return p;
}
