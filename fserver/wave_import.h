// Import of sound where there is no FFmpeg: a RIFF WAVE file of 16, 24 or 32-bit integer
// or 32-bit float samples, as a clip of audio alone.
#pragma once

#include <cstdint>
#include <vector>

#include "avs/avisynth.h"

namespace fserver {

bool IsWaveFile(const std::vector<uint8_t>& bytes);
// The file's samples as a clip; raises the Import error for a WAVE file it cannot read.
IClip* NewWaveImport(const std::vector<uint8_t>& bytes, const char* path, IScriptEnvironment* env);

}  // namespace fserver
