// One overlay item on one frame: its clip's frame, keyed if asked, drawn into its
// quadrilateral, or handed to a slide renderer while a transition covers the frame.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "channels/effect_records.h"
#include "channels/globals.h"
#include "channels/host_renderers.h"
#include "channels/packed_frame.h"
#include "gfx/bitmap.h"
#include "overlay/overlay_item.h"
#include "platform/environment_text.h"
#include "platform/host_bitmap.h"
#include "warp/draw_warped_image.h"
#include "warp/warp_span.h"

namespace {

// The clip's bottom-up rows as an ARGB picture, with every pixel of the key colour
// (0x00BBGGRR) left fully transparent. The match is exact.
std::unique_ptr<gfx::Bitmap> KeyedPicture(const gfx::Bitmap& frame, uint32_t key) {
    std::unique_ptr<gfx::Bitmap> out = gfx::Bitmap::Create(frame.Width(), frame.Height());
    if (!out) return nullptr;
    const uint8_t kr = key & 0xFF, kg = (key >> 8) & 0xFF, kb = (key >> 16) & 0xFF;
    for (int y = 0; y < frame.Height(); ++y) {
        const uint8_t* s = frame.Row(y);
        uint8_t* d = out->Row(y);
        for (int x = 0; x < frame.Width(); ++x, s += 3, d += 4) {
            if (s[0] == kb && s[1] == kg && s[2] == kr) continue;
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
            d[3] = 255;
        }
    }
    return out;
}

WarpStyle StyleOf(const COverlayItem& item) {
    const EditPlacement& p = item.Effect().placement;
    return WarpStyle{.opacity = p.opacity,
                     .outline_width = p.outline_width,
                     .outline_colour = p.outline_colour,
                     .sampling = SamplingFor(g_quick_warp),
                     .path = item.rectangle ? WarpPath::kRectangle : WarpPath::kWarp,
                     .kernel = WarpKernelNamed(platform::EnvironmentText(kWarpKernelVariable))};
}

const SlideEffect* CoveringSlide(const OverlayEffect& e, int n) {
    for (size_t i = 0; i < e.slides.size(); ++i) {
        const SlideEffect* s = e.slides.first[i];
        if (s && n >= s->first_frame && n <= s->last_frame) return s;
    }
    return nullptr;
}

// The overlay drawn on a bitmap of its own bounding box (widened by the outline and
// clipped to the canvas), then given to the renderer, which composes the whole frame.
void DrawThroughTransition(const COverlayItem& item, const SlideEffect& slide, int n, const gfx::Bitmap& picture,
                           uint8_t* canvas, int canvas_width, int canvas_height) {
    const EditPlacement& e = item.Effect().placement;
    int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN;
    for (const OverlayCorner& c : e.corners) {
        left = std::min<int64_t>(left, TruncToInt(c.x));
        top = std::min<int64_t>(top, TruncToInt(c.y));
        right = std::max<int64_t>(right, TruncToInt(c.x));
        bottom = std::max<int64_t>(bottom, TruncToInt(c.y));
    }
    left = std::max<int64_t>(left - e.outline_width, 0);
    top = std::max<int64_t>(top - e.outline_width, 0);
    right = std::min<int64_t>(right + e.outline_width, canvas_width);
    bottom = std::min<int64_t>(bottom + e.outline_width, canvas_height);
    // An overlay wholly off the canvas has no picture to hand over; the renderer is
    // not called and the canvas stays as it is.
    if (right <= left || bottom <= top) return;
    const int work_w = static_cast<int>(right - left), work_h = static_cast<int>(bottom - top);
    std::unique_ptr<gfx::Bitmap> work = gfx::Bitmap::Create(work_w, work_h);
    if (!work) return;

    OverlayCorner moved[4];
    for (int i = 0; i < 4; ++i)
        moved[i] = {e.corners[i].x - static_cast<float>(left), e.corners[i].y - static_cast<float>(top)};
    DrawWarpedImage(*work, FrameRect{0, 0, work_w, work_h}, moved, picture, StyleOf(item));

    const HostBitmapLease lease(*work);
    if (!lease.get()) return;  // the host's bitmap type is not there (GDI+ not started)
    const int size = gfx::Rgb24RowBytes(canvas_width) * canvas_height;
    std::unique_ptr<uint8_t[]> scratch(new (std::nothrow) uint8_t[size]);
    if (!scratch) return;
    const FrameRef ref{canvas, canvas_width, canvas_height};
    avs::CallOut([&] {
        slide.renderer->RenderOverlayTransition(&ref, lease.get(), static_cast<int32_t>(left),
                                                static_cast<int32_t>(top), scratch.get(), size, slide.parameter,
                                                slide.last_frame - slide.first_frame + 1, n - slide.first_frame);
    });
    std::memcpy(canvas, scratch.get(), static_cast<size_t>(size));
}

}  // namespace

void DrawOverlayItem(ItemRecord& record, int n, const Canvas& c) {
    const COverlayItem& item = *static_cast<const COverlayItem*>(record.payload);
    IScriptEnvironment* env = g_pScriptEnv ? g_pScriptEnv : c.env;
    uint8_t* const canvas = c.pixels;
    const int size = c.size, canvas_width = c.width, canvas_height = c.height;
    const VideoInfo& cvi = item.clip_format;
    if (!item.video_enabled || n < item.first_frame || n > item.last_frame) return;
    if (int64_t{n} - item.first_frame + 1 > int64_t{cvi.num_frames} - item.clip_first_frame) return;
    // Frames are used as they come and read as bottom-up 24-bit rows, RGB32 too; only a
    // format whose rows are shorter than w such pixels (YUY2, YV12) is skipped, since
    // reading it so would run past the frame.
    if (cvi.RowSize() < 3 * cvi.width) return;

    const PVideoFrame frame = GetPackedFrame(item.clip, n - item.first_frame + item.clip_first_frame, env);
    const int w = cvi.width, h = cvi.height, row_bytes = gfx::Rgb24RowBytes(w);
    const OverlayEffect& e = item.Effect();

    const uint8_t* pixels = frame->GetReadPtr();
    int pitch = frame->GetPitch();  // uncropped frames are read at their own pitch
    std::unique_ptr<uint8_t[]> packed;
    if (e.crop_enabled) {
        packed.reset(new (std::nothrow) uint8_t[static_cast<size_t>(row_bytes) * h]);
        if (!packed) return;
        const int row = std::min(frame->GetRowSize(), row_bytes);
        for (int y = 0; y < h; ++y)
            std::memcpy(packed.get() + static_cast<ptrdiff_t>(y) * row_bytes,
                        pixels + static_cast<ptrdiff_t>(y) * frame->GetPitch(), static_cast<size_t>(row));
        pixels = packed.get();
        pitch = row_bytes;
    }

    if (item.pass_through) {
        // Meant for a clip of the canvas's own size; a smaller one fills only what it
        // has, so its frame is never read past its end.
        const int64_t available = int64_t{pitch} * h;
        std::memcpy(canvas, pixels, static_cast<size_t>(std::min<int64_t>(size, available)));
        return;
    }

    gfx::Bitmap view = gfx::Bitmap::OverRgb24(const_cast<uint8_t*>(pixels), w, h, pitch);  // only read
    std::unique_ptr<gfx::Bitmap> keyed;
    if (e.placement.key_colour != kNoKeyColour) {
        keyed = KeyedPicture(view, e.placement.key_colour);
        if (!keyed) return;
    }
    const gfx::Bitmap& picture = keyed ? *keyed : view;

    if (const SlideEffect* slide = CoveringSlide(e, n)) {
        DrawThroughTransition(item, *slide, n, picture, canvas, canvas_width, canvas_height);
        return;
    }
    gfx::Bitmap target = gfx::Bitmap::OverRgb24(canvas, canvas_width, canvas_height, c.pitch);
    DrawWarpedImage(target, FrameRect{0, 0, canvas_width, canvas_height}, e.placement.corners, picture, StyleOf(item));
}
