// Slide effects drawn as items: the host's renderer blends the picture from before
// the effect into the picture composed beneath it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "channels/effect_records.h"
#include "channels/item_kind.h"
#include "channels/item_record.h"

class CMainChMgr;

// An item of kind slide holding a copy of the host's record and no snapshot yet.
std::unique_ptr<ItemRecord> MakeSlideItem(const SlideEffect& effect);

// Draws frame n of a slide item onto the canvas.
void DrawSlideItem(ItemRecord& item, int n, const Canvas& canvas);

// Refreshes every slide item's snapshot: the frame before its effect, composed from
// channels 0 up to its own.
void UpdateSlideSnapshots(CMainChMgr& mgr);
