// How the host's ImportClip gets a clip: in this process while it is small, through a
// loader program once it has grown.
#pragma once

#include <cstdint>

#include "avs/avisynth.h"
#include "platform/process_memory.h"

class LoaderChannel;

constexpr uint64_t kInProcessImportLimit = 209715200;  // 200 MiB

bool ImportsThroughLoader(const platform::ProcessMemoryCounters& counters);

// 1 with the clip in *clip_out, or 0 with *clip_out as it was. Errors of the in-process
// Import reach the caller.
int ImportClipWith(const char* path, PClip* clip_out, IScriptEnvironment* env, LoaderChannel* channel,
                   const platform::ProcessMemoryCounters& counters);
