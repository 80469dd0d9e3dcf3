// Drawing overlay items on a frame: timing, the key colour, pass-through, the hand-over
// to a slide renderer, and one overlay composed through the frame server.
#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <vector>

#include "gfx/bitmap.h"
#include "items/slide_item.h"
#include "overlay/overlay_item.h"
#include "plugin/exports.h"
#include "tests/fake_renderers.h"
#include "tests/support/clips.h"
#include "tests/support/frames.h"
#include "tests/test_support.h"

namespace {

gfx::Argb Expected(int x, int y, int n) {
    return 0xFF000000u | ((n + 1) & 0xFF) << 16 | (y & 0xFF) << 8 | (x & 0xFF);
}

// Frame n is Expected(x, y, n) at pixel (x, y), with y from the top.
class PictureClip : public test::PatternClip {
public:
    using PatternClip::PatternClip;
    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) override {
        const VideoInfo& vi = GetVideoInfo();
        PVideoFrame f = env->NewVideoFrame(vi, -4);
        gfx::Bitmap picture = gfx::Bitmap::OverRgb24(f->GetWritePtr(), vi.width, vi.height);
        for (int y = 0; y < vi.height; ++y)
            for (int x = 0; x < vi.width; ++x) picture.SetPixel(x, y, Expected(x, y, n));
        return ReturnInto(result, std::move(f));
    }
    using IClip::GetFrame;
};

using test::Rgb24Frame;

OverlayEffect Placed(float l, float t, float r, float b) {
    OverlayEffect e;
    test::PlaceRect(e.placement, l, t, r, b);
    return e;
}

class OverlayDrawing : public ::testing::Test {
protected:
    // An item showing clip frames 0.. on frames 10..19 of the main timeline.
    COverlayItem& Item(int w, int h, int frames, const OverlayEffect& e) {
        return Item(new PictureClip(test::Rgb24Info(w, h, frames)), e);
    }
    COverlayItem& Item(const PClip& clip, const OverlayEffect& e) {
        item_ = std::make_unique<COverlayItem>();
        item_->clip = clip;
        item_->clip_format = clip->GetVideoInfo();
        item_->video_enabled = 1;
        item_->first_frame = 10;
        item_->last_frame = 19;
        item_->SetEffect(e);
        item_->rectangle = IsRectangle(e);
        item_->pass_through = IsPassThrough(e);
        return *item_;
    }
    void Draw(int n, Rgb24Frame& c) {
        ItemRecord record(kItemOverlay, 0, item_.get(), nullptr);  // borrows the item
        DrawOverlayItem(record, n, c.AsCanvas(env.get()));
    }

    test::EnvPtr env = test::NewEnv();
    std::unique_ptr<COverlayItem> item_;
};

TEST_F(OverlayDrawing, DrawsTheClipFrameOfTheTimelineFrameOnlyInsideItsRange) {
    COverlayItem& item = Item(4, 3, 5, Placed(2, 1, 6, 4));
    item.clip_first_frame = 1;
    for (int n : {9, 10, 13, 14}) {
        Rgb24Frame c(8, 6, 0x22);
        Draw(n, c);
        // Frames 10..13 show clip frames 1..4; frame 14 would need a sixth clip frame.
        const bool drawn = n >= 10 && n <= 13;
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 8; ++x) {
                const bool in = x >= 2 && x < 6 && y >= 1 && y < 4;
                EXPECT_EQ(c.At(x, y), drawn && in ? Expected(x - 2, y - 1, n - 10 + 1) : 0xFF222222u)
                    << "n=" << n << " " << x << "," << y;
            }
    }
}

TEST_F(OverlayDrawing, KeyColourMakesExactlyThatColourTransparent) {
    OverlayEffect e = Placed(0, 0, 4, 3);
    e.placement.key_colour = 0x00020101u;  // pixel (2, 1) of frame 0, red unlike blue; neighbours differ by one
    Item(4, 3, 5, e);
    Rgb24Frame c(4, 3, 0x22);
    Draw(10, c);
    EXPECT_EQ((std::vector<gfx::Argb>{c.At(2, 1), c.At(1, 1), c.At(3, 1), c.At(2, 2)}),
              (std::vector<gfx::Argb>{0xFF222222u, Expected(1, 1, 0), Expected(3, 1, 0), Expected(2, 2, 0)}));
}

TEST_F(OverlayDrawing, PassThroughNeverReadsPastASmallClip) {
    // All-zero corners, opaque, no key: the clip's bytes are copied (as the next test
    // shows), here a third of the canvas's; the rest stays.
    Item(4, 2, 5, Placed(0, 0, 0, 0));
    ASSERT_TRUE(item_->pass_through);
    Rgb24Frame small(8, 6, 0x22);
    Draw(12, small);
    const size_t clip_bytes = gfx::Rgb24RowBytes(4) * 2;
    EXPECT_EQ(small.bytes[0], 0);  // blue 0 of the clip's bottom-left pixel
    for (size_t i = clip_bytes; i < small.bytes.size(); ++i) ASSERT_EQ(small.bytes[i], 0x22) << i;
}

TEST_F(OverlayDrawing, ClipFramesAreReadAsTheyComeAsBottomUp24BitRows) {
    // Memory row r of a 4x2 clip frame holds bytes 16r + b; 24-bit rows of 4 pixels are 12
    // bytes. A pass-through copies an RGB32 frame's first 24 bytes or, cropped (so
    // repacked), the first 12 of each row; RGB24 rows come packed; YUY2 rows (8 bytes) are
    // too short to read so and are not drawn.
    std::vector<uint8_t> first(24), each(24);
    for (int i = 0; i < 24; ++i) first[i] = static_cast<uint8_t>(i), each[i] = static_cast<uint8_t>(i < 12 ? i : i + 4);
    for (const auto& [type, crop, bytes] :
         {std::tuple{VideoInfo::CS_BGR32, 0, first}, std::tuple{VideoInfo::CS_BGR32, 1, each},
          std::tuple{VideoInfo::CS_BGR24, 0, each}, std::tuple{VideoInfo::CS_YUY2, 0, std::vector<uint8_t>(24, 0x22)}}) {
        OverlayEffect e = Placed(0, 0, 0, 0);
        e.crop_enabled = crop;
        Item(new test::GradientClip(test::VideoFormat(type, 4, 2), env.get()), e);
        Rgb24Frame canvas(4, 2, 0x22);
        Draw(10, canvas);
        EXPECT_EQ(canvas.bytes, bytes) << type << " crop " << crop;
    }

    // Drawn in place, RGB32 rows are read at their own pitch: the top row is memory row 1.
    Item(new test::GradientClip(test::VideoFormat(VideoInfo::CS_BGR32, 4, 2), env.get()), Placed(1, 0, 5, 2));
    Rgb24Frame canvas(6, 2, 0x22);
    Draw(10, canvas);
    EXPECT_EQ(canvas.At(4, 0), 0xFF1B1A19u);  // bytes 9..11 of memory row 1
    EXPECT_EQ(canvas.At(1, 1), 0xFF020100u);  // bytes 0..2 of memory row 0
}

TEST_F(OverlayDrawing, ACoveringSlideHandsTheRendererTheOverlaysOwnBoxAndItsCanvas) {
    test::FakeRenderer first = test::NewSlideRenderer(3), second = test::NewSlideRenderer(5);
    SlideEffect a{0, 1, first.AsSlide(), 0, 77, 12, 15}, b{0, 2, second.AsSlide(), 0, 88, 11, 16};
    SlideEffect* list[] = {&a, &b};
    OverlayEffect e = Placed(10, 5, 30, 20);
    e.placement.outline_width = 2;
    e.slides = {nullptr, list, list + 2, list + 2};
    Item(20, 15, 10, e);

    Rgb24Frame c(40, 30, 0x22), d(40, 30, 0x22);
    Draw(16, c);  // only the second record covers frame 16, its last: it draws, and nothing else
    Draw(13, d);  // both cover 13: the first in the list wins
    ASSERT_EQ(first.log.size(), 1u);
    EXPECT_EQ(second.log.size(), 1u);
    const test::RendererCall& call = first.log[0];
    // The box of the corners widened by the outline: (8, 3) to (32, 22).
    ASSERT_EQ(test::Numbers(call), (std::vector<int>{77, 4, 1, d.Size(), 8, 3, 24, 19}));
    EXPECT_EQ(call.to, std::vector<uint8_t>(d.bytes.size(), 0x22));  // the canvas as it was
    EXPECT_TRUE(d.Filled(0x25));                                     // the renderer's frame
    // Inside clear of the outline, outside it, and on its top edge.
    const auto& seen = call.bitmap_pixels;
    EXPECT_EQ((std::vector<uint32_t>{seen[7 * 24 + 7], seen[0], seen[2 * 24 + 12]}),
              (std::vector<uint32_t>{Expected(5, 5, 3), 0u, 0xFFC8C8C8u}));
}

TEST(OverlayComposition, AnOverlayOnChannelTwoShowsItsFrameThroughTheFrameServer) {
    test::EnvPtr env = test::NewEnv();
    test::PublishedManager published(env.get(), test::Rgb24Info(640, 480, 200));
    PClip clip = new PictureClip(test::Rgb24Info(320, 240, 25));
    const OverlayClipInfo info = test::OverlayInfo(clip, 4, 90, 114);
    OverlayEffect e = Placed(100, 50, 420, 290);
    AddOverlay(&info, &e, 2, 0);
    const Rgb24Frame canvas(published.Frame(100));
    EXPECT_EQ(canvas.At(100 + 319, 50 + 239), Expected(319, 239, 10));
    EXPECT_EQ(canvas.At(420, 290), 0xFF000000u);

    EXPECT_EQ(SetQuickWarp(0), 0);
    EXPECT_EQ(g_quick_warp, 0);
    EXPECT_EQ(SetQuickWarp(1), 1);
}

}  // namespace
