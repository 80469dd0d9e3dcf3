#include "transition.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "gfx/bitmap.h"

namespace render {

namespace {

// round(t * n), kept within [0, n].
int Span(double t, int n) { return static_cast<int>(std::clamp<long>(std::lround(t * n), 0, n)); }

size_t FrameBytes(int width, int height) { return static_cast<size_t>(gfx::Rgb24RowBytes(width)) * height; }

bool Usable(const FrameRef* f) { return f && f->pixels && f->width > 0 && f->height > 0; }

void CrossFade(const uint8_t* from, const uint8_t* to, uint8_t* out, int width, int height, double t) {
    const int pitch = gfx::Rgb24RowBytes(width);
    const int a = static_cast<int>(std::lround(256 * t));
    for (int r = 0; r < height; ++r) {
        const uint8_t* f = from + static_cast<ptrdiff_t>(r) * pitch;
        const uint8_t* s = to + static_cast<ptrdiff_t>(r) * pitch;
        uint8_t* o = out + static_cast<ptrdiff_t>(r) * pitch;
        for (int i = 0; i < 3 * width; ++i) o[i] = static_cast<uint8_t>((f[i] * (256 - a) + s[i] * a + 128) >> 8);
    }
}

// Nearest neighbour: the destination pixel's centre mapped back into the source.
int SourceIndex(int offset, int full, int scaled) {
    return static_cast<int>((int64_t{2} * offset + 1) * full / (int64_t{2} * scaled));
}

void ZoomIn(const uint8_t* from, const uint8_t* to, uint8_t* out, int width, int height, double t) {
    const int pitch = gfx::Rgb24RowBytes(width);
    const int sw = Span(t, width), sh = Span(t, height);
    const int left = (width - sw) / 2, top = (height - sh) / 2;
    for (int y = 0; y < height; ++y) {  // y from the top; memory row height-1-y
        const ptrdiff_t r = height - 1 - y;
        uint8_t* o = out + r * pitch;
        std::memcpy(o, from + r * pitch, 3 * static_cast<size_t>(width));
        if (sw == 0 || y < top || y >= top + sh) continue;
        const uint8_t* src = to + static_cast<ptrdiff_t>(height - 1 - SourceIndex(y - top, height, sh)) * pitch;
        for (int x = left; x < left + sw; ++x) std::memcpy(o + 3 * x, src + 3 * SourceIndex(x - left, width, sw), 3);
    }
}

// A rectangle of the frame, y from the top, right and bottom exclusive.
struct Box {
    int x0, y0, x1, y1;
    bool Empty() const { return x1 <= x0 || y1 <= y0; }
};

Box ClipToFrame(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int width, int height) {
    const auto clip = [](int64_t v, int n) { return static_cast<int>(std::clamp<int64_t>(v, 0, n)); };
    return {clip(x0, width), clip(y0, height), clip(x1, width), clip(y1, height)};
}

// The smallest box holding the bitmap's pixels that are not fully transparent.
Box VisibleBox(const gfx::Bitmap& b, int x, int y_from_top, int width, int height) {
    if (b.BytesPerPixel() != 4)
        return ClipToFrame(x, y_from_top, int64_t{x} + b.Width(), int64_t{y_from_top} + b.Height(), width, height);
    int x0 = b.Width(), y0 = b.Height(), x1 = 0, y1 = 0;
    for (int r = 0; r < b.Height(); ++r) {
        const uint8_t* p = b.Row(r);
        for (int c = 0; c < b.Width(); ++c)
            if (p[4 * c + 3]) x0 = std::min(x0, c), x1 = std::max(x1, c + 1), y0 = std::min(y0, r), y1 = std::max(y1, r + 1);
    }
    if (x1 <= x0) return {0, 0, 0, 0};
    return ClipToFrame(int64_t{x} + x0, int64_t{y_from_top} + y0, int64_t{x} + x1, int64_t{y_from_top} + y1, width,
                       height);
}

// out = from, except inside `box`, where the transition plays as if the box were the
// whole frame: what moves (a push, a zoom) moves within the box and nothing outside it.
void BlendWithin(TransitionKind kind, const uint8_t* from, const uint8_t* to, uint8_t* out, int width, int height,
                 Box box, double t) {
    const size_t bytes = FrameBytes(width, height);
    if (out != from) std::memmove(out, from, bytes);
    if (box.Empty()) return;
    const int pitch = gfx::Rgb24RowBytes(width);
    const int bw = box.x1 - box.x0, bh = box.y1 - box.y0, sub_pitch = gfx::Rgb24RowBytes(bw);
    const size_t sub_bytes = static_cast<size_t>(sub_pitch) * bh, line = 3 * static_cast<size_t>(bw);
    std::vector<uint8_t> sub(3 * sub_bytes);
    uint8_t *sub_from = sub.data(), *sub_to = sub_from + sub_bytes, *sub_out = sub_to + sub_bytes;
    // Picture row y is memory row height - 1 - y of the frame and bh - 1 - (y - y0) of the box.
    const auto frame_at = [&](auto* frame, int y) { return frame + static_cast<ptrdiff_t>(height - 1 - y) * pitch + 3 * box.x0; };
    const auto box_at = [&](uint8_t* b, int y) { return b + static_cast<ptrdiff_t>(bh - 1 - (y - box.y0)) * sub_pitch; };
    for (int y = box.y0; y < box.y1; ++y) {
        std::memcpy(box_at(sub_from, y), frame_at(from, y), line);
        std::memcpy(box_at(sub_to, y), frame_at(to, y), line);
    }
    Blend(kind, sub_from, sub_to, sub_out, bw, bh, t);
    for (int y = box.y0; y < box.y1; ++y) std::memcpy(frame_at(out, y), box_at(sub_out, y), line);
}

// From the canvas to the canvas with `bitmap` drawn at (x, y_from_top), within `box`.
void BlendToComposite(TransitionKind kind, const FrameRef* canvas, const gfx::Bitmap* bitmap, int x, int y_from_top,
                      Box box, uint8_t* output, int32_t output_size, int32_t duration, int32_t position) {
    if (!Usable(canvas) || !output) return;
    const size_t bytes = FrameBytes(canvas->width, canvas->height);
    if (static_cast<size_t>(std::max(0, output_size)) < bytes) return;
    if (!bitmap) {
        if (output != canvas->pixels) std::memcpy(output, canvas->pixels, bytes);
        return;
    }
    std::vector<uint8_t> to(canvas->pixels, canvas->pixels + bytes);
    CompositeOver(*bitmap, x, y_from_top, to.data(), canvas->width, canvas->height);
    BlendWithin(kind, canvas->pixels, to.data(), output, canvas->width, canvas->height, box,
                TransitionProgress(position, duration));
}

}  // namespace

double TransitionProgress(int32_t position, int32_t duration) {
    if (duration < 0) return 1;
    return std::clamp((position + 1.0) / (duration + 1.0), 0.0, 1.0);
}

void Blend(TransitionKind kind, const uint8_t* from, const uint8_t* to, uint8_t* out, int width, int height,
           double t) {
    if (width <= 0 || height <= 0) return;
    t = std::isnan(t) ? 0 : std::clamp(t, 0.0, 1.0);
    const int pitch = gfx::Rgb24RowBytes(width);
    const size_t line = 3 * static_cast<size_t>(width);
    auto row = [pitch](auto* frame, int r) { return frame + static_cast<ptrdiff_t>(r) * pitch; };
    switch (kind) {
        case TransitionKind::kCrossFade:
            CrossFade(from, to, out, width, height, t);
            break;
        case TransitionKind::kWipeLeft:
        case TransitionKind::kWipeRight: {
            const int n = Span(t, width);
            const int split = kind == TransitionKind::kWipeLeft ? width - n : n;  // first column of the right part
            const uint8_t* left_part = kind == TransitionKind::kWipeLeft ? from : to;
            const uint8_t* right_part = kind == TransitionKind::kWipeLeft ? to : from;
            for (int r = 0; r < height; ++r) {
                std::memcpy(row(out, r), row(left_part, r), 3 * static_cast<size_t>(split));
                std::memcpy(row(out, r) + 3 * split, row(right_part, r) + 3 * split, 3 * static_cast<size_t>(width - split));
            }
            break;
        }
        case TransitionKind::kWipeUp:
        case TransitionKind::kWipeDown: {
            // Memory rows count from the bottom: `to` rises from row 0 on a wipe up and
            // comes down from the last row on a wipe down.
            const int n = Span(t, height);
            for (int r = 0; r < height; ++r) {
                const bool shows_to = kind == TransitionKind::kWipeUp ? r < n : r >= height - n;
                std::memcpy(row(out, r), row(shows_to ? to : from, r), line);
            }
            break;
        }
        case TransitionKind::kPush: {
            const int s = Span(t, width);
            for (int r = 0; r < height; ++r) {
                std::memcpy(row(out, r), row(from, r) + 3 * s, 3 * static_cast<size_t>(width - s));
                std::memcpy(row(out, r) + 3 * (width - s), row(to, r), 3 * static_cast<size_t>(s));
            }
            break;
        }
        case TransitionKind::kZoomIn:
            ZoomIn(from, to, out, width, height, t);
            break;
    }
    for (int r = 0; r < height; ++r) std::memset(row(out, r) + line, 0, pitch - line);
}

void CompositeScaledOver(const gfx::Bitmap& b, int x, int y_from_top, int sw, int sh, uint8_t* frame, int width,
                         int height) {
    if (sw <= 0 || sh <= 0) return;
    const int pitch = gfx::Rgb24RowBytes(width);
    const int bpp = b.BytesPerPixel();
    const int x0 = std::max(0, x), y0 = std::max(0, y_from_top);
    const int x1 = static_cast<int>(std::min<int64_t>(width, int64_t{x} + sw));
    const int y1 = static_cast<int>(std::min<int64_t>(height, int64_t{y_from_top} + sh));
    const bool unscaled = sw == b.Width() && sh == b.Height();
    for (int y = y0; y < y1; ++y) {
        const uint8_t* row = b.Row(unscaled ? y - y_from_top : SourceIndex(y - y_from_top, b.Height(), sh));
        uint8_t* d = frame + static_cast<ptrdiff_t>(height - 1 - y) * pitch + 3 * x0;
        for (int i = x0; i < x1; ++i, d += 3) {
            const int sx = unscaled ? i - x : SourceIndex(i - x, b.Width(), sw);
            const uint8_t* s = row + static_cast<ptrdiff_t>(sx) * bpp;
            const int a = bpp == 4 ? s[3] : 255;
            if (a == 0) continue;
            for (int c = 0; c < 3; ++c) d[c] = static_cast<uint8_t>((s[c] * a + d[c] * (255 - a) + 127) / 255);
        }
    }
}

void CompositeOver(const gfx::Bitmap& b, int x, int y_from_top, uint8_t* frame, int width, int height) {
    CompositeScaledOver(b, x, y_from_top, b.Width(), b.Height(), frame, width, height);
}

void Transition::RenderFrameTransition(const FrameRef* from, const FrameRef* to, uint8_t* output,
                                       int32_t output_size, int32_t, int32_t duration, int32_t position) {
    if (!Usable(to) || !output || static_cast<size_t>(std::max(0, output_size)) < FrameBytes(to->width, to->height)) return;
    const size_t bytes = FrameBytes(to->width, to->height);
    if (!Usable(from) || from->width != to->width || from->height != to->height) {
        if (output != to->pixels) std::memcpy(output, to->pixels, bytes);
        return;
    }
    const double t = TransitionProgress(position, duration);
    if (output != from->pixels && output != to->pixels) {
        Blend(kind_, from->pixels, to->pixels, output, to->width, to->height, t);
        return;
    }
    // Written over one of its inputs: the blend reads rows it has already replaced.
    std::vector<uint8_t> scratch(bytes);
    Blend(kind_, from->pixels, to->pixels, scratch.data(), to->width, to->height, t);
    std::memcpy(output, scratch.data(), bytes);
}

void Transition::RenderPictureTransition(const FrameRef* canvas, CPictureSource* pictures, int32_t, int32_t,
                                         uint8_t* output, int32_t output_size, int32_t picture_and_frames,
                                         int32_t length, int32_t position) {
    const int32_t index = static_cast<int32_t>(static_cast<uint32_t>(picture_and_frames) >> 16);
    HostBitmap* picture = pictures ? pictures->GetPicture(index) : nullptr;
    // On Linux the library's host bitmaps are our raster layer's.
    const auto* bitmap = reinterpret_cast<const gfx::Bitmap*>(picture);
    // The picture is frame-sized and transparent around what shows: the transition
    // plays over that area alone.
    const Box area = bitmap && Usable(canvas) ? VisibleBox(*bitmap, 0, 0, canvas->width, canvas->height) : Box{};
    BlendToComposite(kind_, canvas, bitmap, 0, 0, area, output, output_size, length, position);
}

void Transition::RenderOverlayTransition(const FrameRef* canvas, HostBitmap* overlay, int32_t x, int32_t y,
                                         uint8_t* output, int32_t output_size, int32_t, int32_t duration,
                                         int32_t position) {
    const auto* bitmap = reinterpret_cast<const gfx::Bitmap*>(overlay);
    if (kind_ == TransitionKind::kZoomIn && bitmap && Usable(canvas) && output &&
        static_cast<size_t>(std::max(0, output_size)) >= FrameBytes(canvas->width, canvas->height)) {
        // An overlay grows about its own centre; zooming the whole frame would pull the
        // picture beneath it along.
        const double t = TransitionProgress(position, duration);
        const int sw = Span(t, bitmap->Width()), sh = Span(t, bitmap->Height());
        if (output != canvas->pixels) std::memmove(output, canvas->pixels, FrameBytes(canvas->width, canvas->height));
        CompositeScaledOver(*bitmap, x + (bitmap->Width() - sw) / 2, y + (bitmap->Height() - sh) / 2, sw, sh, output,
                            canvas->width, canvas->height);
        return;
    }
    // The overlay's own box: a push or a wipe crosses it, not the frame.
    const Box box = bitmap && Usable(canvas) ? ClipToFrame(x, y, int64_t{x} + bitmap->Width(), int64_t{y} + bitmap->Height(),
                                                           canvas->width, canvas->height)
                                             : Box{};
    BlendToComposite(kind_, canvas, bitmap, x, y, box, output, output_size, duration, position);
}

}  // namespace render
