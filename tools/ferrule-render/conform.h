// A clip made to match the timeline before it reaches the library, as a host does:
// the library plays clip frame k on timeline frame first + k and adds clip samples to
// the mix as they are, so a clip of another frame rate, sample rate, sample type or
// channel layout would play at the wrong speed or pitch, or not be heard.
#pragma once

#include "avs/avisynth.h"

namespace render {

// `clip` through the frame server's own functions: "ChangeFPS" to main's frame rate
// (only the nominal rate, "AssumeFPS", when it has no pictures), more than two
// channels mixed down to stereo ("GetChannel", "MixAudio", "MergeChannels"),
// "ResampleAudio" to main's sample rate and "ConvertAudioToFloat" or
// "ConvertAudioTo16bit" to main's sample type. Mono and stereo are left to the
// library's own mono handling. What already matches is not touched.
PClip Conform(IScriptEnvironment* env, PClip clip, const VideoInfo& main);

}  // namespace render
