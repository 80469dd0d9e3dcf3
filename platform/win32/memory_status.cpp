#include "platform/memory_status.h"

#include <windows.h>

namespace platform {

uint32_t AvailablePhysicalMemory() {
    MEMORYSTATUS status{};
    status.dwLength = sizeof(status);
    GlobalMemoryStatus(&status);
    const uint64_t avail = status.dwAvailPhys;
    return avail > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(avail);
}

}  // namespace platform
