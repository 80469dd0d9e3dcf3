// The host's copy of an overlay item's current clip frame.
#include <cstring>

#include "channels/globals.h"
#include "channels/host_frames.h"
#include "channels/packed_frame.h"
#include "framework/host_buffer.h"
#include "gfx/bitmap.h"
#include "overlay/overlay_item.h"

void OverlayItemPicture(ItemRecord& record, int n, const Canvas& canvas, HostPicture& out) {
    const COverlayItem& item = *static_cast<const COverlayItem*>(record.payload);
    IScriptEnvironment* env = g_pScriptEnv ? g_pScriptEnv : canvas.env;
    out.bits_per_pixel = 24;
    // No range test: the clip answers for numbers outside its length as it does.
    const PVideoFrame f = GetPackedFrame(item.clip, n - item.first_frame + item.clip_first_frame, env);
    const VideoInfo& cvi = item.clip_format;
    const uint8_t* src = f->GetReadPtr();
    uint8_t* block;
    int32_t size;
    if (!item.Effect().crop_enabled) {
        size = f->GetPitch() * f->GetHeight();
        block = NewHostBuffer(static_cast<size_t>(size));
        std::memcpy(block, src, static_cast<size_t>(size));
    } else {
        // A cropped clip's rows are laid at the row size its width gives; a frame whose
        // rows are longer than that gives only what fits.
        const int row_bytes = gfx::Rgb24RowBytes(cvi.width);
        size = row_bytes * cvi.height;
        block = NewHostBuffer(static_cast<size_t>(size));
        const int row = f->GetRowSize() < row_bytes ? f->GetRowSize() : row_bytes;
        const int rows = f->GetHeight() < cvi.height ? f->GetHeight() : cvi.height;
        if (row < row_bytes || rows < cvi.height) std::memset(block, 0, static_cast<size_t>(size));
        for (int y = 0; y < rows; ++y)
            std::memcpy(block + static_cast<ptrdiff_t>(y) * row_bytes, src + static_cast<ptrdiff_t>(y) * f->GetPitch(),
                        static_cast<size_t>(row));
    }
    out.buffer = block;
    out.size = size;
    out.width = cvi.width;
    out.height = cvi.height;
}
