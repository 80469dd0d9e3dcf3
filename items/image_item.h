// Image items: a show of still pictures over a range of frames, each shown for a
// fixed number of frames, placed into a quadrilateral or fitted whole, with the
// changes between pictures optionally handed to the host's transition renderers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "channels/effect_records.h"
#include "channels/host_frames.h"
#include "channels/item_kind.h"
#include "channels/item_record.h"
#include "framework/cstring.h"
#include "framework/host_array.h"
#include "items/picture_cache.h"

// The item's payload, in the record's layout with a live cache in place of its room.
class CImageItem {
public:
    CImageItem() : cache(this, &rectangle, &placement) {}
    CImageItem(const CImageItem&) = delete;
    CImageItem& operator=(const CImageItem&) = delete;

    HostArray<CString> pictures;
    CPictureCache cache;
    int32_t id = 0;
    int32_t frames_per_picture = 1;
    int32_t first_frame = 0;
    int32_t last_frame = 0;
    int32_t rectangle = 0;
    EditPlacement placement;
    int32_t fit = 0;
    uint32_t reserved0 = 0;
    int32_t every_picture = 0;
    uint32_t reserved1[2] = {};
    int32_t transition_length = 0;
    HostArray<SlideRenderer*> transitions;
};

// An item of kind image copied from the host's record.
std::unique_ptr<ItemRecord> MakeImageItem(const ImageEffect& effect);

// Draws frame n of an image item onto the canvas; outside the item's range it empties
// the picture cache.
void DrawImageItem(ItemRecord& item, int n, const Canvas& canvas);

// The first picture as loaded, bottom row first, 32 bits a pixel (B, G, R, A), in a
// buffer for the host; a zero-filled one of the canvas size when it cannot be loaded.
void ImageItemPicture(ItemRecord& item, int n, const Canvas& canvas, HostPicture& out);
