// Slide effects drawn as items: the host's renderer blends the picture from before
// the effect into the picture composed beneath it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "channels/host_renderers.h"
#include "channels/item_record.h"

class CMainChMgr;

struct SlideEffect {
    uint32_t reserved0;  // never read
    int32_t id;
    SlideRenderer* renderer;  // borrowed
    uint32_t reserved1;  // never read
    int32_t parameter;
    int32_t first_frame;
    int32_t last_frame;  // inclusive
};

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(SlideEffect) == 28);
static_assert(offsetof(SlideEffect, id) == 0x04);
static_assert(offsetof(SlideEffect, renderer) == 0x08);
static_assert(offsetof(SlideEffect, parameter) == 0x10);
static_assert(offsetof(SlideEffect, first_frame) == 0x14);
static_assert(offsetof(SlideEffect, last_frame) == 0x18);
#endif

// An item of kind slide holding a copy of the host's record and no snapshot yet.
std::unique_ptr<ItemRecord> MakeSlideItem(const SlideEffect& effect);

// Draws frame n of a slide item onto a canvas of the given size and picture size.
void DrawSlideItem(ItemRecord& item, int n, uint8_t* canvas, int size, int width, int height);

// Refreshes every slide item's snapshot: the frame before its effect, composed from
// channels 0 up to its own.
void UpdateSlideSnapshots(CMainChMgr& mgr);
