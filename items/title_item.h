// Title items: the host's renderer draws a title over the picture composed so far.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "channels/host_renderers.h"
#include "channels/item_record.h"

struct TitleEffect {
    uint32_t reserved0;  // copied, never read
    uint32_t reserved1;  // copied, never read
    int32_t id;
    TitleRenderer* renderer;  // borrowed
    int32_t parameter;
    int32_t first_frame;
    int32_t last_frame;  // inclusive
};

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(TitleEffect) == 28);
static_assert(offsetof(TitleEffect, id) == 0x08);
static_assert(offsetof(TitleEffect, renderer) == 0x0C);
static_assert(offsetof(TitleEffect, parameter) == 0x10);
static_assert(offsetof(TitleEffect, first_frame) == 0x14);
static_assert(offsetof(TitleEffect, last_frame) == 0x18);
#endif

// An item of kind title holding a copy of the host's record.
std::unique_ptr<ItemRecord> MakeTitleItem(const TitleEffect& effect);

// Draws frame n of a title item onto a canvas of the given size and picture size.
void DrawTitleItem(const ItemRecord& item, int n, uint8_t* canvas, int size, int width, int height);
