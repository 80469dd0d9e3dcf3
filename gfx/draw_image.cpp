#include "gfx/draw_image.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "gfx/blend.h"

namespace gfx {

void DrawImageUnscaled(Bitmap& target, const Bitmap& src, int dx, int dy, int sx, int sy, int w, int h) {
    // Clip in 64 bits: callers may pass the far side of a huge rectangle.
    int64_t x0 = sx, y0 = sy, x1 = int64_t{sx} + w, y1 = int64_t{sy} + h;
    int64_t tx = dx, ty = dy;
    if (x0 < 0) { tx -= x0; x0 = 0; }
    if (y0 < 0) { ty -= y0; y0 = 0; }
    x1 = std::min<int64_t>(x1, src.Width());
    y1 = std::min<int64_t>(y1, src.Height());
    if (tx < 0) { x0 -= tx; tx = 0; }
    if (ty < 0) { y0 -= ty; ty = 0; }
    x1 = std::min<int64_t>(x1, x0 + (target.Width() - tx));
    y1 = std::min<int64_t>(y1, y0 + (target.Height() - ty));
    if (x0 >= x1 || y0 >= y1) return;

    const int cols = static_cast<int>(x1 - x0);
    const int sbpp = src.BytesPerPixel(), tbpp = target.BytesPerPixel();
    for (int64_t y = y0; y < y1; ++y) {
        const uint8_t* s = src.Row(static_cast<int>(y)) + x0 * sbpp;
        uint8_t* d = target.Row(static_cast<int>(ty + y - y0)) + tx * tbpp;
        if (src.Format() == PixelFormat::kRgb24) {
            if (target.Format() == PixelFormat::kRgb24) {
                std::memcpy(d, s, static_cast<size_t>(cols) * 3);
            } else {
                for (int x = 0; x < cols; ++x, s += 3, d += 4) {
                    d[0] = s[0];
                    d[1] = s[1];
                    d[2] = s[2];
                    d[3] = 255;
                }
            }
            continue;
        }
        if (target.Format() == PixelFormat::kRgb24) {
            for (int x = 0; x < cols; ++x, s += 4, d += 3) BlendOverRgb(d, LoadPixel(s, PixelFormat::kArgb32));
        } else {
            for (int x = 0; x < cols; ++x, s += 4, d += 4) BlendOverArgb(d, LoadPixel(s, PixelFormat::kArgb32));
        }
    }
}

}  // namespace gfx
