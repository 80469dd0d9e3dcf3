// What an imported media file still needs before it is laid over the timeline: the
// turn its display matrix asks for, as players make it, and a still picture held for
// as long as its item lasts. "Import" gives the coded picture and a still's one frame.
#pragma once

#include <string>

#include "avs/avisynth.h"

namespace render {

struct MediaFacts {
    int turn = 0;        // clockwise degrees to show it upright: 0, 90, 180 or 270
    bool still = false;  // one picture (a PNG, a JPEG, a one-frame video)
};

// Reads the file's header and at most its first two video packets. A file that cannot
// be read has no facts; importing it reports why.
MediaFacts ProbeMedia(const std::string& path);

// The clip turned through "TurnRight", "Turn180" or "TurnLeft", and a still made `frames`
// frames long at the timeline's rate (so the rate conversion after this keeps it whole),
// each of them its picture.
PClip ConformMedia(PClip clip, const MediaFacts& facts, int frames, const VideoInfo& timeline, IScriptEnvironment* env);

}  // namespace render
