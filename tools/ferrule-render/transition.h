// The host's slide effects: one blend between two bottom-up RGB24 frames, which all
// three of the library's transition slots come down to.
#pragma once

#include <cstdint>

#include "channels/host_renderers.h"
#include "timeline.h"

namespace gfx {
class Bitmap;
}

namespace render {

// How far a transition has got at `position` of `duration` frames: (position + 1) /
// (duration + 1), so it never shows the pure "from" or "to" picture and the last frame
// is nearly all "to".
double TransitionProgress(int32_t position, int32_t duration);

// out = the transition from `from` to `to` at progress t in [0, 1]. All three are
// bottom-up RGB24 frames of the same size, rows gfx::Rgb24RowBytes(width) apart; the
// padding at the end of each output row is zeroed. Directions are in picture terms:
//   cross-fade  every byte from + (to - from) * t, with an integer weight round(256 * t);
//   wipe-left   the boundary moves leftward: `to` shows in the rightmost round(t * width) columns;
//   wipe-right  the boundary moves rightward: `to` shows in the leftmost columns;
//   wipe-up     the boundary moves upward: `to` shows in the bottom round(t * height) rows;
//   wipe-down   the boundary moves downward: `to` shows in the top rows;
//   push        `to` comes in from the right and pushes `from` left by round(t * width) columns;
//   zoom-in     `to` scaled by t about the centre (nearest neighbour), over `from`.
void Blend(TransitionKind kind, const uint8_t* from_bottom_up, const uint8_t* to_bottom_up,
           uint8_t* out_bottom_up, int width, int height, double t);

// Draws a top-down bitmap (ARGB, not premultiplied; RGB24 counts as opaque) source-over
// onto a bottom-up RGB24 frame with its top-left at (x, y_from_top), clipped to the frame.
void CompositeOver(const gfx::Bitmap& top_down, int x, int y_from_top, uint8_t* frame_bottom_up, int width,
                   int height);
// The same with the bitmap scaled, nearest neighbour, to sw x sh at (x, y_from_top).
void CompositeScaledOver(const gfx::Bitmap& top_down, int x, int y_from_top, int sw, int sh, uint8_t* frame_bottom_up,
                         int width, int height);

class Transition final : public SlideRenderer {
public:
    explicit Transition(TransitionKind kind) : kind_(kind) {}

    int32_t HOST_THISCALL DropsSnapshot() override { return 0; }
    void HOST_THISCALL RenderFrameTransition(const FrameRef* from, const FrameRef* to, uint8_t* output,
                                             int32_t output_size, int32_t parameter, int32_t duration,
                                             int32_t position) override;
    // The incoming picture's index is the high half of picture_and_frames (the low half
    // holds the frames each picture is shown for); it is drawn unscaled at the top-left.
    void HOST_THISCALL RenderPictureTransition(const FrameRef* canvas, CPictureSource* pictures, int32_t zero1,
                                               int32_t zero2, uint8_t* output, int32_t output_size,
                                               int32_t picture_and_frames, int32_t length,
                                               int32_t position) override;
    void HOST_THISCALL RenderOverlayTransition(const FrameRef* canvas, HostBitmap* overlay, int32_t x, int32_t y,
                                               uint8_t* output, int32_t output_size, int32_t parameter,
                                               int32_t duration, int32_t position) override;

private:
    TransitionKind kind_;
};

}  // namespace render
