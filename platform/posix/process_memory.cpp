#include "platform/process_memory.h"

#include <cstdio>

namespace platform {

bool ReadProcessMemoryCounters(ProcessMemoryCounters& counters) {
    counters = ProcessMemoryCounters{};
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return false;
    char line[256];
    unsigned long long kib = 0;
    int found = 0;
    while (std::fgets(line, sizeof line, f)) {
        if (std::sscanf(line, "VmRSS: %llu kB", &kib) == 1) {
            counters.working_set = kib * 1024ull;
            ++found;
        } else if (std::sscanf(line, "VmSwap: %llu kB", &kib) == 1) {
            counters.pagefile_usage = kib * 1024ull;
            ++found;
        }
    }
    std::fclose(f);
    return found == 2;
}

}  // namespace platform
