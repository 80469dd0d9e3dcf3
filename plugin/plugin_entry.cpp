#include "plugin/plugin_entry.h"

#include "platform/memory_status.h"
#include "plugin/exports.h"
#include "plugin/script_functions.h"

const char kPluginDescription[] = "`Quillet' Quillet plugin";

int MemoryBudgetMiB(uint32_t available_bytes) {
    int64_t budget = static_cast<int64_t>(available_bytes) / 4 / 1048576;
    if (budget < 16) budget = 16;
    if (budget > 128) budget = 128;
    return static_cast<int>(budget);
}

FERRULE_API const char* FERRULE_CC AvisynthPluginInit2(IScriptEnvironment* env) {
    return avs::Entry([&] {
        env->SetMemoryMax(MemoryBudgetMiB(platform::AvailablePhysicalMemory()));
        RegisterScriptFunctions(env);
        return kPluginDescription;
    });
}
