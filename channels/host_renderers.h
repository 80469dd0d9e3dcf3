// The host's renderer objects, called through fixed slots of their virtual tables.
// A host built with another compiler lays these tables out, so the classes have no
// virtual destructor and fill every slot the library does not call.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__i386__)
#define HOST_THISCALL __attribute__((thiscall))
#else
#define HOST_THISCALL
#endif

// A frame as renderers see it: bottom-up RGB24 rows at the 4-byte-aligned pitch.
struct FrameRef {
    uint8_t* pixels;
    int32_t width;
    int32_t height;
};

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(FrameRef) == 12);
static_assert(offsetof(FrameRef, width) == 4 && offsetof(FrameRef, height) == 8);
#endif

class HostBitmap;  // the host's 32-bit ARGB bitmap type

// What a picture transition is handed so that it can fetch pictures itself. The
// bitmaps stay the source's.
class CPictureSource {
public:
    // Slot 0: the prepared picture of that index, or null.
    virtual HostBitmap* HOST_THISCALL GetPicture(int32_t index) = 0;

protected:
    ~CPictureSource() = default;
};

class TitleRenderer {
public:
    virtual void HOST_THISCALL Slot0() {}
    virtual void HOST_THISCALL Slot1() {}
    virtual void HOST_THISCALL Slot2() {}
    virtual void HOST_THISCALL Slot3() {}
    virtual void HOST_THISCALL Slot4() {}
    // Slot 5. *output holds the address of a canvas-size buffer to fill with the frame.
    virtual void HOST_THISCALL RenderTitle(const FrameRef* input, uint8_t** output, int32_t parameter,
                                           int32_t duration, int32_t position) = 0;

protected:
    ~TitleRenderer() = default;
};

class SlideRenderer {
public:
    virtual void HOST_THISCALL Slot0() {}
    virtual void HOST_THISCALL Slot1() {}
    virtual void HOST_THISCALL Slot2() {}
    virtual void HOST_THISCALL Slot3() {}
    virtual void HOST_THISCALL Slot4() {}
    virtual void HOST_THISCALL Slot5() {}
    // Slot 6: non-zero when the effect does not use the picture from before it starts.
    virtual int32_t HOST_THISCALL DropsSnapshot() = 0;
    virtual void HOST_THISCALL Slot7() {}
    // Slot 8.
    virtual void HOST_THISCALL RenderFrameTransition(const FrameRef* from, const FrameRef* to, uint8_t* output,
                                                     int32_t output_size, int32_t parameter, int32_t duration,
                                                     int32_t position) = 0;
    // Slot 9.
    virtual void HOST_THISCALL RenderPictureTransition(const FrameRef* canvas, CPictureSource* pictures,
                                                       int32_t zero1, int32_t zero2, uint8_t* output,
                                                       int32_t output_size, int32_t picture_and_frames,
                                                       int32_t length, int32_t position) = 0;
    // Slot 10: the bitmap's top-left belongs at (x, y) of the canvas, y downward.
    virtual void HOST_THISCALL RenderOverlayTransition(const FrameRef* canvas, HostBitmap* overlay, int32_t x,
                                                       int32_t y, uint8_t* output, int32_t output_size,
                                                       int32_t parameter, int32_t duration,
                                                       int32_t position) = 0;

protected:
    ~SlideRenderer() = default;
};
