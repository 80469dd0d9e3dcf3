#include "platform/memory_status.h"

#include <cstdio>
#include <cstring>

namespace platform {

// The kernel's MemAvailable; 0 when it cannot be read.
uint32_t AvailablePhysicalMemory() {
    FILE* f = std::fopen("/proc/meminfo", "r");
    if (!f) return 0;
    char line[256];
    unsigned long long kib = 0;
    while (std::fgets(line, sizeof line, f)) {
        if (std::sscanf(line, "MemAvailable: %llu kB", &kib) == 1) break;
    }
    std::fclose(f);
    const unsigned long long bytes = kib * 1024ull;
    return bytes > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(bytes);
}

}  // namespace platform
