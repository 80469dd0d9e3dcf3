#include "items/image_item.h"

#include <cstring>
#include <new>

#include "channels/globals.h"
#include "framework/host_buffer.h"
#include "gfx/bitmap.h"
#include "gfx/draw_image.h"

// The payload keeps the record's layout, its live cache where the host keeps room.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(CImageItem, cache) == offsetof(ImageEffect, picture_cache));
static_assert(offsetof(CImageItem, id) == offsetof(ImageEffect, id));
static_assert(offsetof(CImageItem, placement) == offsetof(ImageEffect, placement));
static_assert(offsetof(CImageItem, fit) == offsetof(ImageEffect, fit));
static_assert(offsetof(CImageItem, every_picture) == offsetof(ImageEffect, every_picture));
static_assert(offsetof(CImageItem, transition_length) == offsetof(ImageEffect, transition_length));
static_assert(offsetof(CImageItem, transitions) == offsetof(ImageEffect, transitions));
static_assert(sizeof(CImageItem) == sizeof(ImageEffect));
#pragma GCC diagnostic pop

std::unique_ptr<ItemRecord> MakeImageItem(const ImageEffect& effect) {
    auto item = std::make_unique<CImageItem>();
    item->id = effect.id;
    item->frames_per_picture = effect.frames_per_picture;
    item->first_frame = effect.first_frame;
    item->last_frame = effect.last_frame;
    item->rectangle = effect.rectangle;
    item->placement = effect.placement;
    item->fit = effect.fit;
    item->reserved0 = effect.reserved0;
    item->every_picture = effect.every_picture;
    std::memcpy(item->reserved1, effect.reserved1, sizeof item->reserved1);
    item->transition_length = effect.transition_length;
    item->transitions.Assign(effect.transitions.begin(), effect.transitions.end());
    item->pictures.Assign(effect.pictures.begin(), effect.pictures.end());
    item->cache.SetQuickWarpAddress(&g_quick_warp);
    item->rectangle = CornersFormRectangle(item->placement.corners);
    return MakeItemRecord(kItemImage, effect.id, std::move(item));
}

namespace {

void DrawWhole(gfx::Bitmap& canvas, const gfx::Bitmap& picture, int width, int height) {
    gfx::DrawImageUnscaled(canvas, picture, 0, 0, 0, 0, width, height);
}

// The renderer composes the whole frame from the canvas and the pictures it fetches.
void RenderTransition(CImageItem& item, SlideRenderer& renderer, int64_t k, int64_t position, uint8_t* canvas,
                      int size, int width, int height) {
    std::unique_ptr<uint8_t[]> output(new (std::nothrow) uint8_t[static_cast<size_t>(size)]);
    if (!output) return;
    const FrameRef ref{canvas, width, height};
    // Picture index in the upper half, frames per picture in the lower, as one word.
    const auto picture_and_frames =
        static_cast<int32_t>(static_cast<uint32_t>(k) * 65536u + static_cast<uint32_t>(item.frames_per_picture));
    avs::CallOut([&] {
        renderer.RenderPictureTransition(&ref, &item.cache, 0, 0, output.get(), size, picture_and_frames,
                                         item.transition_length, static_cast<int32_t>(position));
    });
    std::memcpy(canvas, output.get(), static_cast<size_t>(size));
}

}  // namespace

void DrawImageItem(ItemRecord& record, int n, const Canvas& c) {
    CImageItem& item = *static_cast<CImageItem*>(record.payload);
    uint8_t* const canvas = c.pixels;
    const int size = c.size, width = c.width, height = c.height;
    if (n < item.first_frame || n > item.last_frame) {
        item.cache.Empty();
        return;
    }
    // The host promises at least one frame per picture; a show without one draws nothing.
    const int64_t frames = item.frames_per_picture;
    if (frames < 1) return;
    const int64_t offset = int64_t{n} - item.first_frame;
    const int64_t k = offset / frames, r = offset % frames;
    const int64_t length = item.transition_length;
    const size_t renderers = item.transitions.size();
    const bool every = item.every_picture != 0;

    gfx::Bitmap target = gfx::Bitmap::OverRgb24(canvas, width, height);
    const gfx::Bitmap* picture = item.cache.Prepared(k);
    if (!picture) return;

    if (renderers == 0 || (renderers == 1 && !every && offset >= length)) {
        DrawWhole(target, *picture, width, height);
    } else if (renderers == 1 && !every) {
        RenderTransition(item, *item.transitions[0], k, offset, canvas, size, width, height);
    } else if (r < length) {
        // A list of several renderers has one per picture; where the host left a
        // picture without one (or a null entry), it is shown without a transition.
        SlideRenderer* renderer = renderers == 1 ? item.transitions[0]
                                  : static_cast<uint64_t>(k) < renderers ? item.transitions[static_cast<size_t>(k)]
                                                                         : nullptr;
        if (!renderer) {
            DrawWhole(target, *picture, width, height);
            return;
        }
        // Fetching the previous picture may empty the cache, so `picture` is not used
        // past this point.
        if (k > 0)
            if (const gfx::Bitmap* previous = item.cache.Prepared(k - 1)) DrawWhole(target, *previous, width, height);
        RenderTransition(item, *renderer, k, r, canvas, size, width, height);
    } else {
        DrawWhole(target, *picture, width, height);
    }
}

void ImageItemPicture(ItemRecord& record, int /*n*/, const Canvas& canvas, HostPicture& out) {
    CImageItem& item = *static_cast<CImageItem*>(record.payload);
    const int width = canvas.width, height = canvas.height;
    out.bits_per_pixel = 32;
    const std::unique_ptr<gfx::Bitmap> picture(item.cache.LoadPicture(0));
    // A picture too big to be counted in 32 bits is treated as one that cannot be loaded.
    const int64_t bytes = picture ? int64_t{picture->Width()} * 4 * picture->Height() : 0;
    if (!picture || bytes > INT32_MAX) {
        out.width = width;
        out.height = height;
        out.size = width * 4 * height;
        out.buffer = NewZeroedHostBuffer(static_cast<size_t>(out.size));
        return;
    }
    out.width = picture->Width();
    out.height = picture->Height();
    out.size = static_cast<int32_t>(bytes);
    out.buffer = NewHostBuffer(static_cast<size_t>(bytes));
    const size_t row = static_cast<size_t>(out.width) * 4;
    for (int y = 0; y < out.height; ++y)
        std::memcpy(out.buffer + row * static_cast<size_t>(y), picture->Row(out.height - 1 - y), row);
}
