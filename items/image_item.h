// Image items: a show of still pictures over a range of frames, each shown for a
// fixed number of frames, placed into a quadrilateral or fitted whole, with the
// changes between pictures optionally handed to the host's transition renderers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "channels/host_frames.h"
#include "channels/host_renderers.h"
#include "channels/item_record.h"
#include "framework/cstring.h"
#include "framework/host_array.h"
#include "items/picture_cache.h"
#include "overlay/overlay_records.h"

// The placement words of an image item; the first fourteen mean what they mean in an
// overlay's effect, with the picture size as the reference size.
struct ImagePlacement {
    OverlayCorner corners[4];  // top-left, top-right, bottom-right, bottom-left
    int32_t picture_width = 0;
    int32_t picture_height = 0;
    int32_t opacity = 255;
    uint32_t key_colour = kNoKeyColour;  // 0x00BBGGRR
    int32_t outline_width = 2;
    uint32_t outline_colour = 0xFFC8C8C8u;  // ARGB
    int32_t fit = 0;                        // nonzero: fitted whole, proportions kept
    uint32_t reserved0 = 0;
    int32_t every_picture = 0;  // a transition into every picture, not only the first
    uint32_t reserved1[2] = {};
    int32_t transition_length = 0;
};
static_assert(sizeof(ImagePlacement) == 80);

// Room for the library's picture cache inside the host's record.
inline constexpr size_t kPictureCacheSpace = 10 * sizeof(void*);

struct ImageEffect {
    HostArray<CString> pictures;  // file names in showing order
    alignas(void*) uint8_t picture_cache[kPictureCacheSpace] = {};  // not read
    int32_t id = 0;
    int32_t frames_per_picture = 1;
    int32_t first_frame = 0;
    int32_t last_frame = 0;  // inclusive
    int32_t rectangle = 0;   // recomputed from the corners when the item is added
    ImagePlacement placement;
    HostArray<SlideRenderer*> transitions;  // borrowed renderers
};

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(ImageEffect) == 172);
static_assert(offsetof(ImageEffect, picture_cache) == 0x10);
static_assert(offsetof(ImageEffect, id) == 0x38);
static_assert(offsetof(ImageEffect, frames_per_picture) == 0x3C);
static_assert(offsetof(ImageEffect, first_frame) == 0x40);
static_assert(offsetof(ImageEffect, last_frame) == 0x44);
static_assert(offsetof(ImageEffect, rectangle) == 0x48);
static_assert(offsetof(ImageEffect, placement) == 0x4C);
static_assert(offsetof(ImageEffect, placement) + offsetof(ImagePlacement, picture_width) == 0x6C);
static_assert(offsetof(ImageEffect, placement) + offsetof(ImagePlacement, fit) == 0x84);
static_assert(offsetof(ImageEffect, placement) + offsetof(ImagePlacement, every_picture) == 0x8C);
static_assert(offsetof(ImageEffect, placement) + offsetof(ImagePlacement, transition_length) == 0x98);
static_assert(offsetof(ImageEffect, transitions) == 0x9C);
#endif

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
    ImagePlacement placement;
    HostArray<SlideRenderer*> transitions;
};

// An item of kind image copied from the host's record.
std::unique_ptr<ItemRecord> MakeImageItem(const ImageEffect& effect);

// Draws frame n of an image item onto a canvas (bottom-up RGB24, `size` bytes) of
// width x height; outside the item's range it empties the picture cache.
void DrawImageItem(CImageItem& item, int n, uint8_t* canvas, int size, int width, int height);

// The first picture as loaded, bottom row first, 32 bits a pixel (B, G, R, A), in a
// buffer for the host; a zero-filled one of width x height when it cannot be loaded.
void ImageItemPicture(CImageItem& item, int width, int height, HostPicture& out);
