// What tests and tools may ask the stand-in frame server beyond the plugin interface.
#pragma once

#include "avs/avisynth.h"

namespace fserver {

struct FrameStats {
    int buffers;         // frame buffers the environment holds
    int buffers_in_use;  // of those, buffers some frame still refers to
};

FrameStats GetFrameStats(IScriptEnvironment* env);
int GetMemoryMax(IScriptEnvironment* env);  // MiB

}  // namespace fserver
