// Subtitle items: a short chain in the frame server ends in its own subtitle renderer,
// whose frames are copied over the canvas. The chain's head hands the renderer the
// picture composed so far, so the subtitles land on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "avs/avisynth.h"
#include "channels/item_record.h"
#include "framework/cstring.h"

struct SubtitleInfo {
    CString reserved_name;  // copied, never read
    CString file;           // its extension picks the renderer
    int32_t width = 0;      // both must be the main clip's: whole frames are copied
    int32_t height = 0;
    int32_t item_id = 0;
    int32_t clip_start_frame = 0;  // chain frame shown on the first frame
    int32_t first_frame = 0;
    int32_t last_frame = 0;  // inclusive
    PClip clip;              // replaced by the chain the item builds
};

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(SubtitleInfo) == 36);
static_assert(offsetof(SubtitleInfo, file) == 0x04);
static_assert(offsetof(SubtitleInfo, width) == 0x08);
static_assert(offsetof(SubtitleInfo, height) == 0x0C);
static_assert(offsetof(SubtitleInfo, item_id) == 0x10);
static_assert(offsetof(SubtitleInfo, clip_start_frame) == 0x14);
static_assert(offsetof(SubtitleInfo, first_frame) == 0x18);
static_assert(offsetof(SubtitleInfo, last_frame) == 0x1C);
static_assert(offsetof(SubtitleInfo, clip) == 0x20);
#endif

// "TextSub" for a path whose text after its last dot is exactly srt, ssr, ssa or ass;
// "VobSub" for anything else, including other cases and a path without a dot.
const char* SubtitleRendererFor(const char* path);

// The chain's base: a black 30 fps clip, 1080000 frames long, of the given pixel type.
PClip BlankSubtitleBase(IScriptEnvironment* env, int width, int height, const char* pixel_type);

// An item of kind subtitle over a copy of the host's record, its chain evaluated
// through env; the frame server's errors pass through and nothing is left behind.
std::unique_ptr<ItemRecord> MakeSubtitleItem(const SubtitleInfo& info, int channel, IScriptEnvironment* env);

// Copies the chain's frame for main frame n over the canvas, inside the item's range.
void DrawSubtitleItem(const SubtitleInfo& info, int n, uint8_t* canvas, int size, IScriptEnvironment* env);
