// Picture shows through the shipped DLL: a picture file read by the library lands in the
// composed frame pixel for pixel, and a host's picture transition fetches the prepared
// picture as a GDI+ bitmap that the system's 32-bit GDI+ reads.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/host32/host32.h"
#include "tests/host32/scenarios.h"

// How the host reads a GDI+ bitmap it is handed: through the system's GDI+, which it
// started (tests/host_bitmap_reader.cpp).
class HostBitmap;
namespace test {
bool ReadHostBitmap(HostBitmap* bitmap, int* width, int* height, std::vector<uint32_t>* pixels);
}

namespace host32 {

namespace {

// The pictures scripts/dll32_tests.sh makes with FFmpeg: one 37 x 23 test pattern as
// PNG, BMP and TIFF, and its pixels as raw top-down BGR.
constexpr int kPictureW = 37, kPictureH = 23, kLeft = 5, kTop = 7, kW = 64, kH = 48;
constexpr uint8_t kBlack[3] = {};

// A picture transition that draws the incoming picture, read through GDI+, over the
// canvas where it is opaque: so its frames must equal the plain ones.
struct GdiplusTransition {
    FerruleSlideRenderer base;
    int calls = 0;
    bool read = true;  // every picture it was handed was a GDI+ bitmap of the prepared size
};

void FERRULE_THISCALL RenderWithGdiplus(FerruleSlideRenderer* self, const FerruleFrameRef* canvas,
                                        FerrulePictureSource* pictures, int32_t, int32_t, uint8_t* output,
                                        int32_t output_size, int32_t picture_and_frames, int32_t, int32_t) {
    auto* t = reinterpret_cast<GdiplusTransition*>(self);
    ++t->calls;
    FerruleHostBitmap* picture = pictures->slots->get_picture(pictures, picture_and_frames >> 16);
    int w = 0, h = 0;
    std::vector<uint32_t> argb;
    t->read = t->read && picture && test::ReadHostBitmap(reinterpret_cast<HostBitmap*>(picture), &w, &h, &argb) &&
              w == canvas->width && h == canvas->height;
    std::memcpy(output, canvas->pixels, static_cast<size_t>(output_size));
    const int pitch = (canvas->width * 3 + 3) & ~3;
    for (int y = 0; y < h && t->read; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t c = argb[static_cast<size_t>(y) * w + x];
            uint8_t* p = output + static_cast<size_t>(h - 1 - y) * pitch + x * 3;
            if (c >> 24 == 0xFF) p[0] = c & 0xFF, p[1] = c >> 8 & 0xFF, p[2] = c >> 16 & 0xFF;
        }
}

}  // namespace

void PictureShowsThroughGdiplus() {
    Server server;
    const PClip main = server.Main(kW, kH);
    FERRULE_EXPORT(InsertChannel)(1);
    const std::vector<uint8_t> raw = FileBytes("host32-media\\pattern.bgr");
    if (!Check(raw.size() == 3u * kPictureW * kPictureH, "the pattern's raw pixels are there")) return;

    // Each lossless file composes to the pattern itself.
    for (const char* file : {"host32-media\\pattern.png", "host32-media\\pattern.bmp", "host32-media\\pattern.tiff"}) {
        GdiplusTransition transition = {};
        static const FerruleSlideRendererSlots slots = {{}, nullptr, nullptr, nullptr, &RenderWithGdiplus, nullptr};
        transition.base.slots = &slots;
        FerruleSlideRenderer* renderers[1] = {&transition.base};
        scenario::HostText name(file);
        FerruleCString names[1] = {name.String()};
        FerruleImageEffect e = {};
        e.pictures.first = names, e.pictures.last = e.pictures.end = names + 1;
        e.id = 5, e.frames_per_picture = 10, e.first_frame = 0, e.last_frame = 9;
        const FerruleCorner corners[4] = {{kLeft, kTop},
                                          {kLeft + kPictureW, kTop},
                                          {kLeft + kPictureW, kTop + kPictureH},
                                          {kLeft, kTop + kPictureH}};
        std::memcpy(e.placement.corners, corners, sizeof corners);
        e.placement.reference_width = kW, e.placement.reference_height = kH;
        e.placement.opacity = 255, e.placement.key_colour = FERRULE_NO_KEY_COLOUR;
        e.transition_length = 2;  // frames 0 and 1 are the renderer's
        e.transitions.first = renderers, e.transitions.last = e.transitions.end = renderers + 1;
        FERRULE_EXPORT(AddImageEff)(&e, 1, 0);

        for (int n : {0, 2}) {
            const HostFrame f = FetchFrame(n);
            int wrong = f.width == kW && f.height == kH ? 0 : -1;
            for (int y = 0; y < kH && wrong >= 0; ++y)
                for (int x = 0; x < kW; ++x) {
                    const bool inside = x >= kLeft && x < kLeft + kPictureW && y >= kTop && y < kTop + kPictureH;
                    const uint8_t* want = inside ? &raw[((y - kTop) * kPictureW + x - kLeft) * 3] : kBlack;
                    wrong += std::memcmp(f.PixelTopDown(x, y), want, 3) != 0;
                }
            Check(wrong == 0, std::string(file) + ", frame " + std::to_string(n) + ": " +
                                  std::to_string(wrong) + " pixels differ from the picture");
        }
        Check(transition.calls == 1 && transition.read,
              std::string(file) + ": the transition read the prepared picture through GDI+");
        FERRULE_EXPORT(RemoveItem)(5, 1);
    }
    FERRULE_EXPORT(RemoveAllItems)();
}

}  // namespace host32
