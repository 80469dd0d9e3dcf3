// Drawing an image into any four-corner quadrilateral of a target, with opacity and an
// outline: the platform's image drawing for an axis-aligned rectangle, our own
// edge-guided warp for every other shape.
#pragma once

#include <cstdint>
#include <string>

#include "gfx/bitmap.h"
#include "gfx/point.h"

// Left, top, right, bottom of the part of the target the warp may write.
struct FrameRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

enum class WarpSampling {
    kSmooth,   // bilinear warp; bicubic rectangles
    kNearest,  // nearest-neighbour warp and rectangles (the quick warp)
};

enum class WarpPath {
    kWarp,       // any quadrilateral
    kRectangle,  // corners known to form an axis-aligned rectangle
};

// How the warp computes its pixels. kReference walks each span and samples one pixel
// at a time; every other kernel gives the same bytes faster.
enum class WarpKernel {
    kReference,
    kSse2,  // the walk written ahead, four pixels sampled a step
    kAvx2,  // the same eight pixels a step; kSse2 where the processor lacks AVX2
};

// The environment variable that picks the kernel, and the kernel a value of it names:
// "sse2" keeps to SSE2 where the processor has AVX2 too (the same bytes, for checking
// that path on such a machine); any other value, or none, takes the fastest one.
constexpr char kWarpKernelVariable[] = "FERRULE_WARP_KERNEL";
WarpKernel WarpKernelNamed(const std::string& name);

struct WarpStyle {
    int32_t opacity = 255;  // scales the source alpha by opacity / 255; clamped to 0..255
    int32_t outline_width = 0;
    uint32_t outline_colour = 0;  // ARGB
    WarpSampling sampling = WarpSampling::kSmooth;
    WarpPath path = WarpPath::kWarp;
    WarpKernel kernel = WarpKernel::kAvx2;
};

// The sampling the process-wide quick warp flag asks for.
constexpr WarpSampling SamplingFor(int32_t quick_warp) {
    return quick_warp ? WarpSampling::kNearest : WarpSampling::kSmooth;
}

// corners: top-left, top-right, bottom-right, bottom-left in target pixels.
void DrawWarpedImage(gfx::Bitmap& target, const FrameRect& frame, const gfx::PointF* corners,
                     const gfx::Bitmap& source, const WarpStyle& style);

// DrawWarpedImage with another kernel than the style's, for comparing kernels.
void DrawWarpedImageWith(gfx::Bitmap& target, const FrameRect& frame, const gfx::PointF* corners,
                         const gfx::Bitmap& source, const WarpStyle& style, WarpKernel kernel);
