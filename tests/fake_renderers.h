// Host renderer objects as a host built by another compiler lays them out: a pointer
// to a table of plain function pointers, then the host's own fields. Nothing here is
// a C++ class with virtuals, so a wrong slot number in the library calls a trap.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "channels/host_renderers.h"

namespace test {

inline int CanvasBytes(int width, int height) { return ((width * 24 + 31) / 32) * 4 * height; }

struct RendererCall {
    int slot = -1;
    int32_t parameter = 0, duration = 0, position = 0, output_size = 0;
    std::vector<uint8_t> from = {};  // the from-frame of a slide; empty for titles
    std::vector<uint8_t> to = {};    // the canvas as handed in
    int32_t x = 0, y = 0;       // where an overlay's bitmap belongs
    int bitmap_width = 0, bitmap_height = 0;
    std::vector<uint32_t> bitmap_pixels = {};  // ARGB, top-down, as the host reads them
};

struct FakeRenderer {
    void* const* vtable = nullptr;
    std::vector<RendererCall> log;
    uint8_t add = 1;             // output = input + add, byte by byte
    int32_t drops_snapshot = 0;  // what slot 6 answers

    TitleRenderer* AsTitle() { return reinterpret_cast<TitleRenderer*>(this); }
    SlideRenderer* AsSlide() { return reinterpret_cast<SlideRenderer*>(this); }
};

[[noreturn]] inline void HOST_THISCALL Trap(FakeRenderer*) {
    std::fprintf(stderr, "renderer: a slot the library must not call was called\n");
    std::abort();
}

// Parameter, duration, position, output size, x, y, bitmap width and height of a call.
inline std::vector<int> Numbers(const RendererCall& c) {
    return {c.parameter, c.duration, c.position, c.output_size, c.x, c.y, c.bitmap_width, c.bitmap_height};
}

// "count x value" of a uniform picture, "count x ?" of any other.
inline std::string Fill(const std::vector<uint8_t>& f) {
    const bool uniform = !f.empty() && std::all_of(f.begin(), f.end(), [&](uint8_t b) { return b == f[0]; });
    return std::to_string(f.size()) + "x" + (uniform ? std::to_string(f[0]) : "?");
}

// The calls, "; " between them: the slot, then for a drawing call "parameter duration
// position", the output size of a transition, its from-frame, and the canvas handed in.
inline std::string Log(const FakeRenderer& r) {
    std::string s;
    for (const RendererCall& c : r.log) {
        s += (s.empty() ? "" : "; ") + std::to_string(c.slot);
        if (c.slot == 6) continue;
        s += " " + std::to_string(c.parameter) + " " + std::to_string(c.duration) + " " + std::to_string(c.position);
        if (c.slot != 5) s += " " + std::to_string(c.output_size) + " from " + Fill(c.from);
        s += " to " + Fill(c.to);
    }
    return s;
}

inline std::vector<uint8_t> Capture(const FrameRef* f) {
    return std::vector<uint8_t>(f->pixels, f->pixels + CanvasBytes(f->width, f->height));
}

// Every renderer's output: the canvas it was handed plus `add`, byte by byte.
inline void Finish(FakeRenderer* self, RendererCall call, const FrameRef* canvas, uint8_t* output) {
    call.to = Capture(canvas);
    for (size_t i = 0; i < call.to.size(); ++i) output[i] = static_cast<uint8_t>(call.to[i] + self->add);
    self->log.push_back(std::move(call));
}

inline void HOST_THISCALL FakeRenderTitle(FakeRenderer* self, const FrameRef* input, uint8_t** output,
                                          int32_t parameter, int32_t duration, int32_t position) {
    Finish(self, {.slot = 5, .parameter = parameter, .duration = duration, .position = position}, input, *output);
}

inline int32_t HOST_THISCALL FakeDropsSnapshot(FakeRenderer* self) {
    self->log.push_back({.slot = 6});
    return self->drops_snapshot;
}

inline void HOST_THISCALL FakeRenderFrameTransition(FakeRenderer* self, const FrameRef* from, const FrameRef* to,
                                                    uint8_t* output, int32_t output_size, int32_t parameter,
                                                    int32_t duration, int32_t position) {
    RendererCall call{.slot = 8, .parameter = parameter, .duration = duration, .position = position,
                      .output_size = output_size};
    call.from = Capture(from);
    Finish(self, std::move(call), to, output);
}

// How a host reads the overlay bitmap it is handed: on Linux it is our own bitmap type;
// on Windows a GDI+ bitmap, read through GDI+ (tests define it beside the suite).
bool ReadHostBitmap(HostBitmap* bitmap, int* width, int* height, std::vector<uint32_t>* pixels);

inline void HOST_THISCALL FakeRenderOverlayTransition(FakeRenderer* self, const FrameRef* canvas, HostBitmap* overlay,
                                                      int32_t x, int32_t y, uint8_t* output, int32_t output_size,
                                                      int32_t parameter, int32_t duration, int32_t position) {
    RendererCall call{.slot = 10, .parameter = parameter, .duration = duration, .position = position,
                      .output_size = output_size, .x = x, .y = y};
    ReadHostBitmap(overlay, &call.bitmap_width, &call.bitmap_height, &call.bitmap_pixels);
    Finish(self, std::move(call), canvas, output);
}

// Fetches the incoming picture through slot 0 of the source's table, as a host's code
// calls it, and keeps what it reads in bitmap_pixels.
inline void HOST_THISCALL FakeRenderPictureTransition(FakeRenderer* self, const FrameRef* canvas,
                                                      CPictureSource* pictures, int32_t zero1, int32_t zero2,
                                                      uint8_t* output, int32_t output_size,
                                                      int32_t picture_and_frames, int32_t length, int32_t position) {
    RendererCall call{.slot = 9, .parameter = picture_and_frames, .duration = length, .position = position,
                      .output_size = output_size, .x = zero1, .y = zero2};
    using GetPictureSlot = HostBitmap*(HOST_THISCALL*)(CPictureSource*, int32_t);
    const auto get_picture = reinterpret_cast<GetPictureSlot>((*reinterpret_cast<void* const* const*>(pictures))[0]);
    HostBitmap* picture = get_picture(pictures, picture_and_frames >> 16);
    if (picture) ReadHostBitmap(picture, &call.bitmap_width, &call.bitmap_height, &call.bitmap_pixels);
    Finish(self, std::move(call), canvas, output);
}

template <class F>
void* Slot(F f) {
    return reinterpret_cast<void*>(f);
}

inline void* const kTitleTable[] = {
    Slot(&Trap), Slot(&Trap), Slot(&Trap), Slot(&Trap), Slot(&Trap), Slot(&FakeRenderTitle),
    Slot(&Trap), Slot(&Trap), Slot(&Trap), Slot(&Trap), Slot(&Trap),
};

inline void* const kSlideTable[] = {
    Slot(&Trap), Slot(&Trap), Slot(&Trap), Slot(&Trap), Slot(&Trap),
    Slot(&Trap), Slot(&FakeDropsSnapshot), Slot(&Trap), Slot(&FakeRenderFrameTransition),
    Slot(&FakeRenderPictureTransition), Slot(&FakeRenderOverlayTransition),
};

inline FakeRenderer NewTitleRenderer(uint8_t add = 1) {
    FakeRenderer r;
    r.vtable = kTitleTable, r.add = add;
    return r;
}

inline FakeRenderer NewSlideRenderer(uint8_t add = 1, int32_t drops = 0) {
    FakeRenderer r = NewTitleRenderer(add);
    r.vtable = kSlideTable, r.drops_snapshot = drops;
    return r;
}

}  // namespace test
