// The library draws a subtitle file through a chain that runs at 30 frames per second
// whatever the output's rate: output frame n (less the item's first frame, plus
// clip_start) is chain frame m, shown at m / 30 s of the file. Retiming a copy of the
// file's cues puts each on the output frames its own times fall on.
#pragma once

#include <string>

namespace render {

// The chain's fixed rate.
inline constexpr int kSubtitleChainFps = 30;

// Files whose cues can be retimed: SubRip and SubStation (.srt, .ass, .ssa), any case.
bool IsTextSubtitleFile(const std::string& path);

// Writes the cues of `in` to `out` (of the same kind, by out's extension) so that a cue
// from t0 to t1 seconds shows on chain frames ceil(t0 * fps) up to ceil(t1 * fps) - 1:
// the output frames whose start time lies within it, at fps = fps_num / fps_den.
// Demuxed and muxed by libavformat; the cue texts are copied untouched. Throws
// std::runtime_error naming the file it cannot read or write.
void RetimeSubtitles(const std::string& in, const std::string& out, int fps_num, int fps_den);

// The same into a new file of the temporary folder, with in's extension in lower case
// (the library picks its renderer by it, case and all); its name is returned and it is
// the caller's to remove. Nothing is left behind when it throws.
std::string RetimedCopy(const std::string& in, int fps_num, int fps_den);

}  // namespace render
