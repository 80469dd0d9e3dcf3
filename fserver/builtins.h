// The frame server's own script functions.
#pragma once

#include "avs/avisynth.h"

namespace fserver {

AVSValue CreateBlankClip(const AVSValue& args, void* user_data, IScriptEnvironment* env);
AVSValue CreateLoadPlugin(const AVSValue& args, void* user_data, IScriptEnvironment* env);
AVSValue CreateAssumeFps(const AVSValue& args, void* user_data, IScriptEnvironment* env);
AVSValue CreateAssumeFloatFps(const AVSValue& args, void* user_data, IScriptEnvironment* env);
AVSValue CreateChangeFps(const AVSValue& args, void* user_data, IScriptEnvironment* env);
AVSValue CreateChangeFloatFps(const AVSValue& args, void* user_data, IScriptEnvironment* env);
AVSValue CreateFlipHorizontal(const AVSValue& args, void* user_data, IScriptEnvironment* env);
AVSValue CreateFlipVertical(const AVSValue& args, void* user_data, IScriptEnvironment* env);
AVSValue CreateTurnLeft(const AVSValue& args, void* user_data, IScriptEnvironment* env);
AVSValue CreateTurnRight(const AVSValue& args, void* user_data, IScriptEnvironment* env);
AVSValue CreateTurn180(const AVSValue& args, void* user_data, IScriptEnvironment* env);
AVSValue CreateReverse(const AVSValue& args, void* user_data, IScriptEnvironment* env);
AVSValue CreateCrop(const AVSValue& args, void* user_data, IScriptEnvironment* env);
AVSValue CreateAddBorders(const AVSValue& args, void* user_data, IScriptEnvironment* env);
AVSValue CreateGetChannel(const AVSValue& args, void* user_data, IScriptEnvironment* env);
AVSValue CreateConvertToMono(const AVSValue& args, void* user_data, IScriptEnvironment* env);
AVSValue CreateAmplify(const AVSValue& args, void* user_data, IScriptEnvironment* env);
AVSValue CreateConvertAudioToFloat(const AVSValue& args, void* user_data, IScriptEnvironment* env);
AVSValue CreateConvertAudioTo16bit(const AVSValue& args, void* user_data, IScriptEnvironment* env);
AVSValue CreateMixAudio(const AVSValue& args, void* user_data, IScriptEnvironment* env);
AVSValue CreateMergeChannels(const AVSValue& args, void* user_data, IScriptEnvironment* env);
// Still pictures through stb_image, and WAVE sound; "Import" in the builds without FFmpeg.
AVSValue CreatePictureOrWaveImport(const AVSValue& args, void* user_data, IScriptEnvironment* env);

}  // namespace fserver
