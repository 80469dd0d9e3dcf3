// Joins video-only MP4 pieces, rendered separately, into one MP4 without
// re-encoding, and gives it a single audio track encoded in one go.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "timeline.h"

namespace render {

// Fills buf with `count` interleaved sample frames starting at sample frame `start`.
using AudioSource = std::function<void(int16_t* buf, int64_t start, int64_t count)>;

// The audio runs out.frames * out.audio_rate * out.fps_denominator / out.fps sample
// frames (rounded down); none when out.audio_channels is 0 or `audio` is empty.
// Throws std::runtime_error naming the file; a failed join leaves no output. format is the muxer, as Mp4File
// takes it. The list of pieces the join reads is written into list_folder, or beside
// out_path when that is empty, and removed again.
void JoinPieces(const std::vector<std::string>& video_pieces, const Output& out, const AudioSource& audio,
                const std::string& out_path, const std::string& format = "mp4", const std::string& list_folder = "");

}  // namespace render
