// The edit window's paint over a known background and picture: exact pixels in the
// stretched background, the keyed picture, the handles and the dashed boxes.
#include <gtest/gtest.h>

#include <vector>

#include "editwnd/edit_paint.h"
#include "edit_placements.h"

namespace {

constexpr gfx::Argb kBlue = 0xFF0000FFu, kYellow = 0xFFFFFF00u, kGreen = 0xFF00C000u, kWhite = 0xFFFFFFFFu;
// The handles' 0xC8FF0000 over blue and over green: (s*200 + d*55 + 127) / 255 a channel.
constexpr gfx::Argb kRedOverBlue = 0xFFC80037u, kRedOverGreen = 0xFFC82900u;

TEST(EditPaint, DrawsBackgroundKeyedPictureAndHandlesInTheirColours) {
    // A 32x24 background, blue on the left half and yellow on the right, stretched 2x.
    std::vector<uint8_t> frame(gfx::Rgb24RowBytes(32) * 24);
    gfx::Bitmap background = gfx::Bitmap::OverRgb24(frame.data(), 32, 24);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 32; ++x) background.SetPixel(x, y, x < 16 ? kBlue : kYellow);
    // A 24x16 green picture with one pixel of the key colour 0x00112233 (COLORREF).
    auto picture = gfx::Bitmap::Create(24, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x) picture->SetPixel(x, y, kGreen);
    picture->SetPixel(5, 5, 0xFF332211u);
    EditPlacement p = test::BoxPlacement(16, 12, 39, 27, 64, 48);  // the picture 1:1
    p.key_colour = 0x00112233u;
    p.outline_width = 0;

    auto target = gfx::Bitmap::Create(64, 48);
    const editwnd::HandleLayout layout = editwnd::LayoutHandles(p, 24, 16);
    editwnd::PaintEditWindow(*target, &background, picture.get(), p, layout);

    struct Probe {
        int x, y;
        gfx::Argb want;
        const char* what;
    };
    const Probe probes[] = {
        {60, 46, kYellow, "background stretched: its right half reaches the right edge"},
        {25, 20, kGreen, "picture"},
        {21, 18, kBlue, "the key colour's pixel (5, 5) shows the background (the warp's walk puts it on row 18)"},
        {17, 13, kRedOverGreen, "warp handle at corner 0"},
        {2, 5, kRedOverBlue, "rotation handle of corner 0, centred 15 px out at (4, 4)"},
        {12, 4, kWhite, "inner box (8, 4)-(47, 35): its second dash"},
        {9, 19, kRedOverBlue, "left inner edge handle (6, 17)-(11, 22): fill"},
    };
    for (const Probe& probe : probes)
        EXPECT_EQ(target->GetPixel(probe.x, probe.y), probe.want) << probe.what << " at " << probe.x << "," << probe.y;

    EXPECT_EQ(picture->GetPixel(5, 5), 0xFF332211u) << "the picture is keyed in a copy";
}

}  // namespace
