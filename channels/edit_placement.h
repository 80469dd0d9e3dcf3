// Where and how an overlay or a picture show is laid over the frame: the part of their
// records that the edit window edits. Laid out as the host's 32-bit compiler lays it out.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gfx/point.h"

// A corner of the quadrilateral, in pixels of the reference size.
using OverlayCorner = gfx::PointF;

// Key colours are COLORREFs (0x00BBGGRR); this one keys nothing.
constexpr uint32_t kNoKeyColour = 0xFFFFFFFFu;

struct EditPlacement {
    OverlayCorner corners[4] = {};  // top-left, top-right, bottom-right, bottom-left
    int32_t reference_width = 0;    // the pixel space the corners are in
    int32_t reference_height = 0;
    int32_t opacity = 255;
    uint32_t key_colour = kNoKeyColour;  // 0x00BBGGRR
    int32_t outline_width = 2;
    uint32_t outline_colour = 0xFFC8C8C8u;  // ARGB
};

static_assert(sizeof(OverlayCorner) == 8);
static_assert(sizeof(EditPlacement) == 0x38);
static_assert(offsetof(EditPlacement, reference_width) == 0x20);
static_assert(offsetof(EditPlacement, reference_height) == 0x24);
static_assert(offsetof(EditPlacement, opacity) == 0x28);
static_assert(offsetof(EditPlacement, key_colour) == 0x2C);
static_assert(offsetof(EditPlacement, outline_width) == 0x30);
static_assert(offsetof(EditPlacement, outline_colour) == 0x34);

// Whether corners top-left, top-right, bottom-right, bottom-left form an axis-aligned
// rectangle to within a pixel; such a quadrilateral is drawn by the rectangle path.
bool CornersFormRectangle(const OverlayCorner* corners);
