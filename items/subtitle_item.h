// Subtitle items: a short chain in the frame server ends in its own subtitle renderer,
// whose frames are copied over the canvas. The chain's head hands the renderer the
// picture composed so far, so the subtitles land on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "avs/avisynth.h"
#include "channels/effect_records.h"
#include "channels/item_kind.h"
#include "channels/item_record.h"

// "TextSub" for a path whose text after its last dot is exactly srt, ssr, ssa or ass;
// "VobSub" for anything else, including other cases and a path without a dot.
const char* SubtitleRendererFor(const char* path);

// The chain's base: a black 30 fps clip, 1080000 frames long, of the given pixel type.
PClip BlankSubtitleBase(IScriptEnvironment* env, int width, int height, const char* pixel_type);

// An item of kind subtitle over a copy of the host's record, its chain evaluated
// through env; the frame server's errors pass through and nothing is left behind.
std::unique_ptr<ItemRecord> MakeSubtitleItem(const SubtitleInfo& info, int channel, IScriptEnvironment* env);

// Copies the chain's frame for main frame n over the canvas, inside the item's range;
// the chain is read through the manager's environment.
void DrawSubtitleItem(ItemRecord& item, int n, const Canvas& canvas);
