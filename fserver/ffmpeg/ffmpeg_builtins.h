// Script functions backed by FFmpeg's libraries; only native Linux builds have them
// (FERRULE_HAVE_FFMPEG).
#pragma once

#include "avs/avisynth.h"

namespace fserver {

AVSValue CreateLanczosResize(const AVSValue& args, void* user_data, IScriptEnvironment* env);
AVSValue CreateResampleAudio(const AVSValue& args, void* user_data, IScriptEnvironment* env);
AVSValue CreateTextSub(const AVSValue& args, void* user_data, IScriptEnvironment* env);
AVSValue CreateVobSub(const AVSValue& args, void* user_data, IScriptEnvironment* env);
AVSValue CreateImport(const AVSValue& args, void* user_data, IScriptEnvironment* env);

}  // namespace fserver
