// DrawWarpedImage over arbitrary corners (raw float bits: NaN, infinities, huge
// values), picture and target sizes, frame rectangles, flags, opacity and outline;
// every kernel must draw the reference kernel's bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "gfx/bitmap.h"
#include "warp/draw_warped_image.h"

namespace {

struct Reader {
    const uint8_t* p;
    size_t n;
    template <class T>
    T Take() {
        T v{};
        const size_t k = n < sizeof(T) ? n : sizeof(T);
        std::memcpy(&v, p, k);
        p += k;
        n -= k;
        return v;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader r{data, size};
    gfx::PointF corners[4];
    for (auto& c : corners) {
        c.x = r.Take<float>();
        c.y = r.Take<float>();
    }
    const int src_w = r.Take<uint8_t>() % 40 + 1, src_h = r.Take<uint8_t>() % 40 + 1;
    const int dst_w = r.Take<uint8_t>() % 64 + 1, dst_h = r.Take<uint8_t>() % 64 + 1;
    const uint8_t flags = r.Take<uint8_t>();
    const int32_t opacity = r.Take<int32_t>();
    const int32_t outline = r.Take<int8_t>() % 9;
    FrameRect frame{r.Take<int8_t>(), r.Take<int8_t>(), r.Take<int16_t>() % 200, r.Take<int16_t>() % 200};

    std::unique_ptr<gfx::Bitmap> argb_src = gfx::Bitmap::Create(src_w, src_h);
    std::vector<uint8_t> rgb_src(static_cast<size_t>(gfx::Rgb24RowBytes(src_w)) * src_h);
    for (size_t i = 0; i < rgb_src.size(); ++i) rgb_src[i] = static_cast<uint8_t>(i * 37);
    for (int y = 0; y < src_h; ++y)
        for (int x = 0; x < src_w; ++x) argb_src->SetPixel(x, y, 0x9F000000u * (x & 1) + 0x61000000u + x * 977 + y);
    const int pitch = gfx::Rgb24RowBytes(src_w);
    const gfx::Bitmap rgb_view =
        (flags & 16) ? gfx::Bitmap::OverRgb24(rgb_src.data() + (src_h - 1) * pitch, src_w, src_h, -pitch)  // top-down
                     : gfx::Bitmap::OverRgb24(rgb_src.data(), src_w, src_h);
    const gfx::Bitmap& source = (flags & 4) ? rgb_view : *argb_src;

    const WarpStyle style{.opacity = opacity,
                          .outline_width = outline,
                          .outline_colour = 0xFFC8C8C8u,
                          .sampling = SamplingFor(flags & 1),
                          .path = (flags >> 1) & 1 ? WarpPath::kRectangle : WarpPath::kWarp};
    std::vector<uint8_t> want;
    for (WarpKernel kernel : {WarpKernel::kReference, WarpKernel::kSse2, WarpKernel::kAvx2}) {
        std::vector<uint8_t> canvas(static_cast<size_t>(gfx::Rgb24RowBytes(dst_w)) * dst_h, 0x55);
        std::unique_ptr<gfx::Bitmap> argb_dst = gfx::Bitmap::Create(dst_w, dst_h);
        gfx::Bitmap rgb_dst = gfx::Bitmap::OverRgb24(canvas.data(), dst_w, dst_h);
        gfx::Bitmap& target = (flags & 8) ? *argb_dst : rgb_dst;
        DrawWarpedImageWith(target, frame, corners, source, style, kernel);
        if (flags & 8) {
            canvas.clear();
            for (int y = 0; y < dst_h; ++y) {
                const uint8_t* row = argb_dst->Row(y);
                canvas.insert(canvas.end(), row, row + 4 * dst_w);
            }
        }
        if (kernel == WarpKernel::kReference)
            want = canvas;
        else if (canvas != want)
            std::abort();  // a kernel drew other bytes than the reference
    }
    return 0;
}
