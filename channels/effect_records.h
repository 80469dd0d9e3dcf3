// The records the host passes for slide effects, titles, picture shows and subtitles.
// Laid out as the host's 32-bit compiler lays them out.
#pragma once

#include <cstddef>
#include <cstdint>

#include "avs/avisynth.h"
#include "channels/edit_placement.h"
#include "channels/host_renderers.h"
#include "framework/cstring.h"
#include "framework/host_array.h"

struct SlideEffect {
    uint32_t reserved0;  // never read
    int32_t id;
    SlideRenderer* renderer;  // borrowed
    uint32_t reserved1;  // never read
    int32_t parameter;
    int32_t first_frame;
    int32_t last_frame;  // inclusive
};

struct TitleEffect {
    uint32_t reserved0;  // copied, never read
    uint32_t reserved1;  // copied, never read
    int32_t id;
    TitleRenderer* renderer;  // borrowed
    int32_t parameter;
    int32_t first_frame;
    int32_t last_frame;  // inclusive
};

// Room for the library's picture cache inside the host's record.
inline constexpr size_t kPictureCacheSpace = 10 * sizeof(void*);

// A picture show. The placement's reference size is the size pictures are prepared at.
struct ImageEffect {
    HostArray<CString> pictures;  // file names in showing order
    alignas(void*) uint8_t picture_cache[kPictureCacheSpace] = {};  // not read
    int32_t id = 0;
    int32_t frames_per_picture = 1;
    int32_t first_frame = 0;
    int32_t last_frame = 0;  // inclusive
    int32_t rectangle = 0;   // recomputed from the corners when the item is added
    EditPlacement placement;
    int32_t fit = 0;  // nonzero: fitted whole, proportions kept
    uint32_t reserved0 = 0;
    int32_t every_picture = 0;  // a transition into every picture, not only the first
    uint32_t reserved1[2] = {};
    int32_t transition_length = 0;
    HostArray<SlideRenderer*> transitions;  // borrowed renderers
};

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
static_assert(sizeof(SlideEffect) == 28);
static_assert(offsetof(SlideEffect, id) == 0x04);
static_assert(offsetof(SlideEffect, renderer) == 0x08);
static_assert(offsetof(SlideEffect, parameter) == 0x10);
static_assert(offsetof(SlideEffect, first_frame) == 0x14);
static_assert(offsetof(SlideEffect, last_frame) == 0x18);

static_assert(sizeof(TitleEffect) == 28);
static_assert(offsetof(TitleEffect, id) == 0x08);
static_assert(offsetof(TitleEffect, renderer) == 0x0C);
static_assert(offsetof(TitleEffect, parameter) == 0x10);
static_assert(offsetof(TitleEffect, first_frame) == 0x14);
static_assert(offsetof(TitleEffect, last_frame) == 0x18);

static_assert(sizeof(ImageEffect) == 172);
static_assert(offsetof(ImageEffect, picture_cache) == 0x10);
static_assert(offsetof(ImageEffect, id) == 0x38);
static_assert(offsetof(ImageEffect, frames_per_picture) == 0x3C);
static_assert(offsetof(ImageEffect, first_frame) == 0x40);
static_assert(offsetof(ImageEffect, last_frame) == 0x44);
static_assert(offsetof(ImageEffect, rectangle) == 0x48);
static_assert(offsetof(ImageEffect, placement) == 0x4C);
static_assert(offsetof(ImageEffect, placement) + offsetof(EditPlacement, reference_width) == 0x6C);
static_assert(offsetof(ImageEffect, fit) == 0x84);
static_assert(offsetof(ImageEffect, every_picture) == 0x8C);
static_assert(offsetof(ImageEffect, transition_length) == 0x98);
static_assert(offsetof(ImageEffect, transitions) == 0x9C);

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
