#pragma once

#include <cstdint>

// The frame server's memory budget in MiB for the given bytes of available physical
// memory: a quarter of it, kept between 16 and 128.
int MemoryBudgetMiB(uint32_t available_bytes);

// The description string the plugin entry returns.
extern const char kPluginDescription[];
