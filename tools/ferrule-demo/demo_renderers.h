// The demo host's renderer objects: what an editor would supply for titles and slides.
#pragma once

#include <algorithm>
#include <cstring>

#include "channels/host_renderers.h"

namespace demo {

inline int Pitch(int width) { return ((width * 24 + 31) / 32) * 4; }

// Fills the frame with a vertical gradient whose hue the parameter picks; a background
// that shows the canvas has really been composed.
class GradientTitle : public TitleRenderer {
public:
    void HOST_THISCALL RenderTitle(const FrameRef* in, uint8_t** out, int32_t parameter, int32_t duration,
                                   int32_t position) override {
        const int pitch = Pitch(in->width);
        for (int y = 0; y < in->height; ++y) {  // y counts from the bottom row
            uint8_t* row = *out + y * pitch;
            const int v = 255 * y / std::max(1, in->height - 1);
            const int shift = 64 * position / std::max(1, duration);
            for (int x = 0; x < in->width; ++x) {
                row[3 * x + 0] = static_cast<uint8_t>((parameter & 1 ? v : 255 - v));
                row[3 * x + 1] = static_cast<uint8_t>((x + shift) * 255 / std::max(1, in->width + 64));
                row[3 * x + 2] = static_cast<uint8_t>(parameter & 2 ? v / 2 : 96);
            }
        }
    }
};

// A box that slides in from the left over the picture composed so far; the parameter
// is its colour as 0xRRGGBB.
class BoxTitle : public TitleRenderer {
public:
    void HOST_THISCALL RenderTitle(const FrameRef* in, uint8_t** out, int32_t parameter, int32_t duration,
                                   int32_t position) override {
        const int pitch = Pitch(in->width);
        std::memcpy(*out, in->pixels, static_cast<size_t>(pitch) * in->height);
        const int w = in->width / 3, h = in->height / 5;
        const int left = (in->width - w) * position / std::max(1, duration - 1);
        const int bottom = in->height / 8;
        for (int y = bottom; y < std::min(in->height, bottom + h); ++y) {
            uint8_t* p = *out + y * pitch + 3 * left;
            for (int x = 0; x < w && left + x < in->width; ++x, p += 3) {
                p[0] = static_cast<uint8_t>(parameter);
                p[1] = static_cast<uint8_t>(parameter >> 8);
                p[2] = static_cast<uint8_t>(parameter >> 16);
            }
        }
    }
};

// A cross-fade from the picture before the effect to the one composed beneath it.
class CrossFade : public SlideRenderer {
public:
    int32_t HOST_THISCALL DropsSnapshot() override { return 0; }
    void HOST_THISCALL RenderFrameTransition(const FrameRef* from, const FrameRef* to, uint8_t* out, int32_t size,
                                             int32_t, int32_t duration, int32_t position) override {
        const int a = 256 * (position + 1) / (duration + 1);
        for (int i = 0; i < size; ++i) out[i] = static_cast<uint8_t>((to->pixels[i] * a + from->pixels[i] * (256 - a)) >> 8);
    }
    void HOST_THISCALL RenderPictureTransition(const FrameRef* canvas, CPictureSource*, int32_t, int32_t, uint8_t* out,
                                               int32_t size, int32_t, int32_t, int32_t) override {
        std::memcpy(out, canvas->pixels, static_cast<size_t>(size));
    }
    void HOST_THISCALL RenderOverlayTransition(const FrameRef* canvas, HostBitmap*, int32_t, int32_t, uint8_t* out,
                                               int32_t size, int32_t, int32_t, int32_t) override {
        std::memcpy(out, canvas->pixels, static_cast<size_t>(size));
    }
};

}  // namespace demo
