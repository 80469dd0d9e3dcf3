// The built-in demo: a timeline that needs no input files. Its pictures and subtitle
// file are generated beside the timeline file it writes.
#pragma once

#include <string>
#include <vector>

namespace render {

// Writes demo.json, its pictures and subtitles into dir (which must exist); returns
// the timeline file's path.
std::string WriteDemoTimeline(const std::string& dir);

// Frames worth a look on the demo's contact sheet: the warped and keyed overlays, the
// title, a picture of the show, and transitions half-way.
std::vector<int> DemoContactFrames();

}  // namespace render
