// Picture shows through the exports: which picture each frame shows, the transition
// calls and what they are handed, the picture cache's rules, the key colour and the
// image item's picture for the host.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fake_renderers.h"
#include "items/image_item.h"
#include "picture_files.h"
#include "plugin/exports.h"
#include "support/frames.h"
#include "test_support.h"

namespace {

constexpr int kW = 32, kH = 16;
constexpr uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu;

class ImageItems : public ::testing::Test {
protected:
    // A show of solid pictures covering the frame, 25 frames each from frame 100.
    void Fill(ImageEffect& e, const std::vector<uint32_t>& colours, int w = kW, int h = kH) {
        for (size_t i = 0; i < colours.size(); ++i)
            e.pictures.PushBack(CString(files.Solid("p" + std::to_string(i) + ".png", w, h, colours[i]).c_str()));
        e.frames_per_picture = 25;
        e.first_frame = 100;
        e.last_frame = 199;
        Place(e, w, h);
    }
    // Item 5, its w x h picture placed at the canvas's top left.
    static void Place(ImageEffect& e, int w, int h) {
        e.id = 5;
        test::PlaceRect(e.placement, 0, 0, static_cast<float>(w), static_cast<float>(h));
        e.placement.reference_width = w, e.placement.reference_height = h;
    }
    CImageItem& Item() { return *static_cast<CImageItem*>(pm.mgr->FindItem(5)->payload); }
    // Colour of canvas pixel (x, y), y from the top, as 0xRRGGBB.
    uint32_t Pixel(int n, int x, int y) { return test::Rgb24Frame(pm.Frame(n)).At(x, y) & 0xFFFFFFu; }

    test::EnvPtr env = test::NewEnv();
    test::PublishedManager pm{env.get(), test::Rgb24Info(kW, kH, 300)};
    test::PictureFolder files;
};

TEST_F(ImageItems, EachPictureHoldsForItsFramesAndNothingShowsPastTheList) {
    ImageEffect e;
    Fill(e, {kRed, kGreen, kBlue});
    AddImageEff(&e, 1, 0);
    const std::pair<int, uint32_t> expected[] = {
        {99, 0}, {100, 0xFF0000}, {124, 0xFF0000}, {125, 0x00FF00}, {150, 0x0000FF}, {174, 0x0000FF}, {175, 0}};
    for (const auto& [n, colour] : expected) EXPECT_EQ(Pixel(n, kW - 1, kH - 1), colour) << n;
}

TEST_F(ImageItems, OneRendererOpensTheShowOrIntroducesEveryPicture) {
    test::FakeRenderer renderer = test::NewSlideRenderer(1);
    ImageEffect e;
    Fill(e, {kRed, kGreen});
    e.transition_length = 10;
    e.transitions.PushBack(renderer.AsSlide());
    AddImageEff(&e, 1, 0);
    for (int n = 99; n <= 130; ++n) Pixel(n, 0, 0);
    ASSERT_EQ(renderer.log.size(), 10u);
    for (int i = 0; i < 10; ++i) {
        const test::RendererCall& c = renderer.log[static_cast<size_t>(i)];
        ASSERT_EQ(test::Numbers(c), (std::vector<int>{0 * 65536 + 25, 10, i, test::CanvasBytes(kW, kH), 0, 0, kW, kH}));
        EXPECT_EQ(c.bitmap_pixels[0], kRed);  // the incoming picture, fetched by the renderer
    }
    EXPECT_EQ(Pixel(100, 3, 3), 0x010101u);  // the renderer's output: black canvas + 1
    EXPECT_EQ(Pixel(110, 3, 3), 0xFF0000u);

    // On every picture: the first frames of picture 1 get the renderer, over picture 0.
    pm.mgr->RemoveAllItems();
    renderer.log.clear();
    e.every_picture = 1;
    AddImageEff(&e, 1, 0);
    for (int n : {124, 125, 134, 135}) Pixel(n, 0, 0);
    ASSERT_EQ(renderer.log.size(), 2u);
    const test::RendererCall& first = renderer.log[0];
    ASSERT_EQ(test::Numbers(first), (std::vector<int>{1 * 65536 + 25, 10, 0, test::CanvasBytes(kW, kH), 0, 0, kW, kH}));
    EXPECT_EQ(renderer.log[1].position, 9);
    EXPECT_EQ(first.to[2], 0xFF);  // red byte of picture 0, drawn before the call
    EXPECT_EQ(first.bitmap_pixels[0], kGreen);
    EXPECT_EQ(Pixel(135, 0, 0), 0x00FF00u);
}

TEST_F(ImageItems, CacheKeepsTheLastTen) {
    ImageEffect e;
    Fill(e, std::vector<uint32_t>(12, kBlue), 4, 4);
    AddImageEff(&e, 1, 0);
    CPictureCache& cache = Item().cache;
    for (int i = 0; i < 12; ++i) ASSERT_NE(cache.Prepared(i), nullptr) << i;
    EXPECT_EQ(cache.FirstIndex(), 2);
    EXPECT_EQ(cache.Count(), 10u);
    EXPECT_EQ(cache.Prepared(12), nullptr);  // past the list
}

TEST_F(ImageItems, KeyColourClearsOnlyItsPixels) {
    ImageEffect keyed;
    const std::vector<uint32_t> pixels = {kGreen, 0x80FF0000u, kBlue, 0x8000FF00u, 0xFF00FE00u};
    keyed.pictures.PushBack(CString(files.WritePng("keyed.png", 5, 1, pixels).c_str()));
    keyed.last_frame = 10;
    Place(keyed, 5, 1);
    keyed.placement.key_colour = 0x0000FF00u;
    AddImageEff(&keyed, 1, 0);
    const gfx::Bitmap* prepared = Item().cache.Prepared(0);
    ASSERT_NE(prepared, nullptr);
    const uint32_t expected[] = {0, 0x80FF0000u, kBlue, 0, 0xFF00FE00u};
    for (int x = 0; x < 5; ++x) EXPECT_EQ(prepared->GetPixel(x, 0), expected[x]) << x;
}

TEST_F(ImageItems, HostGetsTheFirstPictureBottomRowFirstOrZerosOfTheFrameSize) {
    ImageEffect e;
    e.pictures.PushBack(CString(files.WritePng("two.png", 1, 2, {kRed, 0x400000FFu}).c_str()));
    e.id = 5;
    AddImageEff(&e, 1, 0);
    {
        test::HostBuffer out;
        GetFrameByID(0, 5, &out.p, &out.size, &out.width, &out.height, &out.bpp);
        ASSERT_NE(out.p, nullptr);
        EXPECT_EQ(out.Shape(), (std::vector<int32_t>{8, 1, 2, 32}));
        EXPECT_EQ(out.Bytes(), (std::vector<uint8_t>{0xFF, 0, 0, 0x40, 0, 0, 0xFF, 0xFF}));
    }
    std::filesystem::remove(std::string(e.pictures[0]));
    test::HostBuffer out;
    GetFrameByID(0, 5, &out.p, &out.size, &out.width, &out.height, &out.bpp);
    ASSERT_NE(out.p, nullptr);
    EXPECT_EQ(out.Shape(), (std::vector<int32_t>{kW * 4 * kH, kW, kH, 32}));
    EXPECT_EQ(out.Bytes(), std::vector<uint8_t>(static_cast<size_t>(out.size), 0));
}

}  // namespace
