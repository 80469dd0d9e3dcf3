#include "platform/process_memory.h"

#include <windows.h>
#include <psapi.h>

namespace platform {

bool ReadProcessMemoryCounters(ProcessMemoryCounters& counters) {
    counters = ProcessMemoryCounters{};
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc)) return false;
    counters.working_set = pmc.WorkingSetSize;
    counters.pagefile_usage = pmc.PagefileUsage;
    return true;
}

}  // namespace platform
