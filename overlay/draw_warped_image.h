// Drawing an image into any four-corner quadrilateral of a target, with opacity and an
// outline: the platform's image drawing for an axis-aligned rectangle, our own
// edge-guided warp for every other shape.
#pragma once

#include <cstdint>

#include "gfx/bitmap.h"
#include "overlay/overlay_records.h"

// Left, top, right, bottom of the part of the target the warp may write.
struct FrameRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// Process-wide: nonzero samples nearest-neighbour (and draws rectangles without
// smoothing), 0 bilinear (and bicubic). Starts at 1; set by the host through SetQuickWarp.
extern int32_t g_quick_warp;

// corners: top-left, top-right, bottom-right, bottom-left in target pixels. `reserved`
// is always 0 and not read. Opacity scales the source alpha by opacity / 255.
void DrawWarpedImage(gfx::Bitmap& target, const FrameRect& frame, const OverlayCorner* corners,
                     const gfx::Bitmap& source, int32_t reserved, int32_t outline_width, int32_t opacity,
                     int32_t quick, int32_t rectangle, uint32_t outline_colour);
