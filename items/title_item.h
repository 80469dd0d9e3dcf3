// Title items: the host's renderer draws a title over the picture composed so far.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "channels/effect_records.h"
#include "channels/item_kind.h"
#include "channels/item_record.h"

// An item of kind title holding a copy of the host's record.
std::unique_ptr<ItemRecord> MakeTitleItem(const TitleEffect& effect);

// Draws frame n of a title item onto the canvas.
void DrawTitleItem(ItemRecord& item, int n, const Canvas& canvas);
