// The frame server's own script functions.
#pragma once

#include "avs/avisynth.h"

namespace fserver {

AVSValue CreateBlankClip(const AVSValue& args, void* user_data, IScriptEnvironment* env);
AVSValue CreateLoadPlugin(const AVSValue& args, void* user_data, IScriptEnvironment* env);

}  // namespace fserver
