// Pictures the drawing suites share: an RGB24 frame in the canvas layout with a view
// over it, and the small ARGB picture the warp is checked with.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "avs/avisynth.h"
#include "channels/item_kind.h"
#include "gfx/bitmap.h"

namespace test {

// A w x h RGB24 frame: rows bottom-up, 4-byte aligned, as composition lays them out;
// At counts y from the top. Not copyable, since the view points into the bytes.
struct Rgb24Frame {
    int w, h;
    std::vector<uint8_t> bytes;
    gfx::Bitmap bitmap;

    Rgb24Frame(int w_, int h_, std::vector<uint8_t> b)
        : w(w_), h(h_), bytes(std::move(b)), bitmap(gfx::Bitmap::OverRgb24(bytes.data(), w_, h_)) {}
    Rgb24Frame(int w_, int h_, uint8_t fill)
        : Rgb24Frame(w_, h_, std::vector<uint8_t>(static_cast<size_t>(gfx::Rgb24RowBytes(w_)) * h_, fill)) {}
    explicit Rgb24Frame(const PVideoFrame& f)  // a copy of a packed frame
        : Rgb24Frame(f->GetRowSize() / 3, f->GetHeight(),
                     std::vector<uint8_t>(f->GetReadPtr(), f->GetReadPtr() + f->GetPitch() * f->GetHeight())) {}
    Rgb24Frame(const Rgb24Frame&) = delete;

    gfx::Argb At(int x, int y) const { return bitmap.GetPixel(x, y); }
    int Size() const { return static_cast<int>(bytes.size()); }
    bool Filled(uint8_t v) const {
        return std::all_of(bytes.begin(), bytes.end(), [v](uint8_t b) { return b == v; });
    }
    ::Canvas AsCanvas(IScriptEnvironment* env) {
        return ::Canvas{bytes.data(), gfx::Rgb24RowBytes(w), w, h, Size(), env};
    }
};

// A 4 x 3 ARGB picture: pixel (x, y) has blue x * 10 + 10 and green y, and is opaque
// except (3, 2), whose alpha is 0x80.
struct Picture4x3 {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(4 * 4 * 3);
    gfx::Bitmap bitmap = gfx::Bitmap::OverArgb(bytes.data(), 4, 3, 16);
    Picture4x3() {
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x) bitmap.SetPixel(x, y, Pixel(x, y));
    }
    Picture4x3(const Picture4x3&) = delete;
    static gfx::Argb Pixel(int x, int y) {
        return (x == 3 && y == 2 ? 0x80000000u : 0xFF000000u) | (y << 8) | (x * 10 + 10);
    }
};

}  // namespace test
