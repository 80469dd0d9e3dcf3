// The records the host passes when it places an overlay clip and when it changes how
// one is drawn. Laid out as the host's 32-bit compiler lays them out.
#pragma once

#include <cstddef>
#include <cstdint>

#include "channels/edit_placement.h"

class PClip;
struct SlideEffect;

struct OverlayClipInfo {
    int32_t clip_first_frame = 0;  // clip frame shown on the item's first frame
    uint32_t reserved0 = 0;
    int32_t first_frame = 0;
    int32_t last_frame = 0;  // inclusive
    uint32_t reserved1 = 0;
    int32_t item_id = 0;
    const PClip* clip = nullptr;  // the host's counted reference; copied, never kept
    int32_t audio_enabled = 0;
    int32_t video_enabled = 0;
    uint32_t reserved2 = 0;
    alignas(8) int64_t clip_audio_first = 0;
    alignas(8) int64_t clip_audio_last = 0;
    alignas(8) uint8_t reserved3[8] = {};
    alignas(8) int64_t clip_audio_start = 0;  // clip sample playing at the item's first sample
    int32_t fade_mode = 0;                    // 1 in, 2 out, 3 both
    uint32_t reserved4 = 0;
    alignas(8) int64_t fade_in_end = -1;
    alignas(8) int64_t fade_out_start = -1;
};

enum FadeMode : int32_t { kFadeIn = 1, kFadeOut = 2, kFadeBoth = 3 };

// The host's growable array of slide records: a word nobody touches, then the first
// element, one past the last, one past the storage.
struct SlideList {
    void* unused = nullptr;
    SlideEffect** first = nullptr;
    SlideEffect** last = nullptr;
    SlideEffect** end = nullptr;

    size_t size() const { return first ? static_cast<size_t>(last - first) : 0; }
};

struct OverlayEffect {
    EditPlacement placement;
    int32_t audio_channel = 0;               // 1-based; 0 keeps every channel
    int32_t mono_mode = 0;                   // 0 automatic, 1 left, 2 right
    float amplify = -1.0f;                   // exactly -1 means none
    SlideList slides;
    int32_t flip_vertical = 0;
    int32_t flip_horizontal = 0;
    int32_t reverse = 0;
    int32_t crop_enabled = 0;
    int32_t borders_enabled = 0;
    int32_t resize_enabled = 0;
    int32_t crop[4] = {};     // left, top, right, bottom removed
    int32_t borders[4] = {};  // left, top, right, bottom added
    uint32_t border_colour = 0;
    int32_t resize_width = 0;
    int32_t resize_height = 0;
    int32_t speed = 100;  // percent
};

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(OverlayClipInfo) == 96);
static_assert(offsetof(OverlayClipInfo, first_frame) == 0x08);
static_assert(offsetof(OverlayClipInfo, last_frame) == 0x0C);
static_assert(offsetof(OverlayClipInfo, item_id) == 0x14);
static_assert(offsetof(OverlayClipInfo, clip) == 0x18);
static_assert(offsetof(OverlayClipInfo, audio_enabled) == 0x1C);
static_assert(offsetof(OverlayClipInfo, video_enabled) == 0x20);
static_assert(offsetof(OverlayClipInfo, clip_audio_first) == 0x28);
static_assert(offsetof(OverlayClipInfo, clip_audio_last) == 0x30);
static_assert(offsetof(OverlayClipInfo, clip_audio_start) == 0x40);
static_assert(offsetof(OverlayClipInfo, fade_mode) == 0x48);
static_assert(offsetof(OverlayClipInfo, fade_in_end) == 0x50);
static_assert(offsetof(OverlayClipInfo, fade_out_start) == 0x58);

static_assert(sizeof(SlideList) == 16);
static_assert(sizeof(OverlayEffect) == 156);
static_assert(offsetof(OverlayEffect, audio_channel) == 0x38);
static_assert(offsetof(OverlayEffect, mono_mode) == 0x3C);
static_assert(offsetof(OverlayEffect, amplify) == 0x40);
static_assert(offsetof(OverlayEffect, slides) == 0x44);
static_assert(offsetof(OverlayEffect, flip_vertical) == 0x54);
static_assert(offsetof(OverlayEffect, flip_horizontal) == 0x58);
static_assert(offsetof(OverlayEffect, reverse) == 0x5C);
static_assert(offsetof(OverlayEffect, crop_enabled) == 0x60);
static_assert(offsetof(OverlayEffect, borders_enabled) == 0x64);
static_assert(offsetof(OverlayEffect, resize_enabled) == 0x68);
static_assert(offsetof(OverlayEffect, crop) == 0x6C);
static_assert(offsetof(OverlayEffect, borders) == 0x7C);
static_assert(offsetof(OverlayEffect, border_colour) == 0x8C);
static_assert(offsetof(OverlayEffect, resize_width) == 0x90);
static_assert(offsetof(OverlayEffect, speed) == 0x98);
#endif
