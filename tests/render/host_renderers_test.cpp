// The host's title and slide renderers, pixel by pixel on tiny bottom-up frames.
#include <gtest/gtest.h>

#include <vector>

#include "gfx/bitmap.h"
#include "tests/support/error_of.h"
#include "tools/ferrule-render/text_title.h"
#include "tools/ferrule-render/transition.h"

namespace {

using render::TransitionKind;

// A bottom-up RGB24 frame; At() takes y from the top.
struct Frame {
    int w, h;
    std::vector<uint8_t> px;
    Frame(int width, int height, uint8_t fill = 0)
        : w(width), h(height), px(static_cast<size_t>(gfx::Rgb24RowBytes(width)) * height, fill) {}
    uint8_t* At(int x, int y_from_top) { return px.data() + (h - 1 - y_from_top) * gfx::Rgb24RowBytes(w) + 3 * x; }
    uint8_t* MemoryRow(int r) { return px.data() + r * gfx::Rgb24RowBytes(w); }
    FrameRef Ref() { return {px.data(), w, h}; }
};

// Every pixel's blue byte is its column, green its top-down row, red the tag.
Frame Labelled(int w, int h, uint8_t tag) {
    Frame f(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) f.At(x, y)[0] = uint8_t(x), f.At(x, y)[1] = uint8_t(y), f.At(x, y)[2] = tag;
    return f;
}

Frame Blended(TransitionKind kind, Frame from, Frame to, double t) {
    Frame out(from.w, from.h, 0xEE);
    render::Blend(kind, from.px.data(), to.px.data(), out.px.data(), from.w, from.h, t);
    return out;
}

TEST(Blend, CrossFadeRoundsAndZeroesRowPadding) {
    const Frame out = Blended(TransitionKind::kCrossFade, Frame(3, 2, 0), Frame(3, 2, 200), 0.5);
    for (size_t i = 0; i < out.px.size(); ++i) EXPECT_EQ(out.px[i], i % 12 < 9 ? 100 : 0) << i;
    EXPECT_EQ(render::TransitionProgress(0, 9), 0.1);
    EXPECT_EQ(render::TransitionProgress(8, 9), 0.9) << "the last of nine frames";
}

// Up reveals the picture's bottom rows, which come first in memory; down the top.
TEST(Blend, WipesUpAndDownTakePictureRows) {
    Frame up = Blended(TransitionKind::kWipeUp, Labelled(2, 4, 1), Labelled(2, 4, 2), 0.5);
    Frame down = Blended(TransitionKind::kWipeDown, Labelled(2, 4, 1), Labelled(2, 4, 2), 0.5);
    for (int r = 0; r < 4; ++r) {
        EXPECT_EQ(up.MemoryRow(r)[2], r < 2 ? 2 : 1) << r;
        EXPECT_EQ(down.MemoryRow(r)[2], r >= 2 ? 2 : 1) << r;
        EXPECT_EQ(down.MemoryRow(r)[1], 3 - r) << "rows stay in place";
    }
}

TEST(Blend, ZoomGrowsFromTheCentre) {
    Frame half = Blended(TransitionKind::kZoomIn, Frame(8, 8, 10), Frame(8, 8, 200), 0.5);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(half.At(x, y)[1], x >= 2 && x < 6 && y >= 2 && y < 6 ? 200 : 10);
    Frame to = Labelled(16, 12, 2);
    Frame nearly = Blended(TransitionKind::kZoomIn, Labelled(16, 12, 1), to, render::TransitionProgress(99, 100));
    EXPECT_EQ(nearly.px, to.px);
}

class Pictures final : public CPictureSource {
public:
    gfx::Bitmap* picture = nullptr;
    int asked = -1;
    HostBitmap* HOST_THISCALL GetPicture(int32_t index) override {
        asked = index;
        return reinterpret_cast<HostBitmap*>(picture);
    }
};

TEST(Transition, SlotsBlendFromTheCanvasToTheComposite) {
    render::Transition fade(TransitionKind::kCrossFade);
    SlideRenderer& slides = fade;
    Frame from(3, 2, 0), to(3, 2, 200), out(3, 2, 0xEE);
    FrameRef f = from.Ref(), t = to.Ref();
    slides.RenderFrameTransition(&f, &t, out.px.data(), int(out.px.size()), 0, 1, 0);
    EXPECT_EQ(out.At(2, 1)[1], 100);

    // Finished (position == duration): the overlay's top-left at (1, 0), the top row.
    Frame canvas(4, 3, 0);
    FrameRef c = canvas.Ref();
    auto red = gfx::Bitmap::Create(2, 2);
    for (int p = 0; p < 4; ++p) red->SetPixel(p % 2, p / 2, 0xFFFF0000u);
    red->Row(1)[4 + 3] = 0;  // transparent: the canvas shows
    out = Frame(4, 3, 0xEE);
    slides.RenderOverlayTransition(&c, reinterpret_cast<HostBitmap*>(red.get()), 1, 0, out.px.data(),
                                   int(out.px.size()) - 1, 0, 4, 4);
    EXPECT_EQ(out.px, Frame(4, 3, 0xEE).px) << "too small an output is not written";
    slides.RenderOverlayTransition(&c, reinterpret_cast<HostBitmap*>(red.get()), 1, 0, out.px.data(),
                                   int(out.px.size()), 0, 4, 4);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(out.At(x, y)[2], (y == 0 && (x == 1 || x == 2)) || (y == 1 && x == 1) ? 255 : 0) << x << y;
    EXPECT_EQ(out.MemoryRow(2)[3 * 1 + 2], 255) << "the top row is the last one in memory";

    Pictures pictures;
    slides.RenderPictureTransition(&c, &pictures, 0, 0, out.px.data(), int(out.px.size()), (3 << 16) | 25, 9, 9);
    EXPECT_EQ(pictures.asked, 3);
    EXPECT_EQ(out.px, canvas.px) << "no picture: the canvas";
    pictures.picture = red.get();
    slides.RenderPictureTransition(&c, &pictures, 0, 0, out.px.data(), int(out.px.size()), (1 << 16) | 25, 9, 4);
    EXPECT_EQ(out.At(0, 0)[2], 128) << "half way, at the top-left";
    EXPECT_EQ(out.At(2, 0)[2], 0);

}

// Renders onto a grey frame inside guard bytes, which it must not touch, nor its input.
void Draw(render::TextTitle& title, int w, int h, int duration, int position) {
    Frame in(w, h, 40);
    const Frame before = in;
    std::vector<uint8_t> buffer(in.px.size() + 64, 0xAB);
    uint8_t* out = buffer.data() + 32;
    FrameRef ref = in.Ref();
    static_cast<TitleRenderer&>(title).RenderTitle(&ref, &out, 0, duration, position);
    EXPECT_EQ(in.px, before.px);
    for (int i = 0; i < 32; ++i) EXPECT_TRUE(buffer[i] == 0xAB && buffer[buffer.size() - 1 - i] == 0xAB);
}

TEST(TextTitle, ClipsTextOffTheFrameAndNamesAMissingFont) {
    render::Title t;
    t.text = "Wide text\nover the edges", t.size = 40, t.scroll = 7;
    t.x = t.y = -3.0;
    auto title = render::TextTitle::Create(t);
    for (int p = 0; p < 30; p += 3) Draw(*title, 13, 9, 30, p);
    EXPECT_EQ(test::ErrorOf<std::runtime_error>([&] { render::TextTitle::Create(t, "/nonexistent/font.ttf"); }),
              "cannot load font \"/nonexistent/font.ttf\"");
}

}  // namespace
