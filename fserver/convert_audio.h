// Audio handed to a filter in a sample type it takes, as AviSynth hands it over.
#pragma once

#include "avs/avisynth.h"

namespace fserver {

// The clip itself when its sample type is one of `accepted` (SAMPLE_* flags) or it
// has no audio; otherwise the clip with its audio as 32-bit float, full scale 1.0.
PClip AudioIn(const PClip& clip, int accepted);

}  // namespace fserver
