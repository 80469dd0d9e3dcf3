#pragma once

#include <cstdint>

namespace platform {

// What this process uses now, in bytes: its working set (resident memory) and what it
// has committed to the paging file (on Linux, what is swapped out).
struct ProcessMemoryCounters {
    uint64_t working_set = 0;
    uint64_t pagefile_usage = 0;
};

// False, with both counters zero, when the system does not say.
bool ReadProcessMemoryCounters(ProcessMemoryCounters& counters);

}  // namespace platform
