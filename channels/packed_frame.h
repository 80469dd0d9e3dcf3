// Frames copied as one block need rows at the 4-byte-aligned row size.
#pragma once

#include "avs/avisynth.h"

// Frame n of the clip, repacked when its pitch is wider than its rows.
PVideoFrame GetPackedFrame(const PClip& clip, int n, IScriptEnvironment* env);
