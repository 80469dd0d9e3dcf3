#pragma once

#include <cstdint>

namespace platform {

// Bytes of physical memory available now, saturated to 32 bits as the 32-bit
// memory status reports it.
uint32_t AvailablePhysicalMemory();

}  // namespace platform
