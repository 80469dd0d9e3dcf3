// The edit window's hold on its item: which items it edits, what a write changes, and
// that a removed item is never found again.
#include <gtest/gtest.h>

#include <cstring>

#include "editwnd/edit_target.h"
#include "items/image_item.h"
#include "overlay/overlay_item.h"
#include "picture_files.h"
#include "plugin/exports.h"
#include "test_support.h"

namespace {

using editwnd::EditTarget;

EditPlacement Quad(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3) {
    EditPlacement p;
    p.corners[0] = {x0, y0}, p.corners[1] = {x1, y1}, p.corners[2] = {x2, y2}, p.corners[3] = {x3, y3};
    p.reference_width = 32, p.reference_height = 16, p.opacity = 90, p.key_colour = 0x123456;
    p.outline_width = 3, p.outline_colour = 0x80FF0000u;
    return p;
}

TEST(EditTarget, EditsOverlayAndImageItemsAndWritesOnlyTheirPlacement) {
    const test::EnvPtr env = test::NewEnv();
    test::PublishedManager published(env.get(), test::Rgb24Info(32, 16, 300));
    CMainChMgr& mgr = *published.mgr;
    test::PictureFolder files;

    const PClip clip = new test::PatternClip(test::Rgb24Info(8, 8, 300));
    const OverlayClipInfo info = test::OverlayInfo(clip, 7, 40, 60);
    OverlayEffect effect;
    effect.speed = 100, effect.placement = Quad(0, 0, 8, 0, 8, 8, 0, 8);
    AddOverlay(&info, &effect, 1, 0);

    ImageEffect show;
    show.pictures.PushBack(CString(files.Solid("a.png", 4, 4, 0xFF00FF00u).c_str()));
    show.id = 5, show.first_frame = 100, show.last_frame = 120, show.frames_per_picture = 5;
    show.placement = Quad(0, 0, 4, 0, 4, 4, 0, 4);
    AddImageEff(&show, 2, 0);
    const TitleEffect title{0, 0, 9, nullptr, 0, 500, 501};
    AddTitleEff(&title, 3, 0);

    EXPECT_FALSE(EditTarget::Find(mgr, 9)) << "a title is not edited";
    const auto overlay = EditTarget::Find(mgr, 7);
    const auto image = EditTarget::Find(mgr, 5);
    ASSERT_TRUE(overlay && image);

    const COverlayItem& o = *static_cast<COverlayItem*>(mgr.FindItem(7)->payload);
    CImageItem& im = *static_cast<CImageItem*>(mgr.FindItem(5)->payload);
    // Both were placed as rectangles; which corners form one is the overlay suite's rule.
    const EditPlacement skewed = Quad(1, 2, 30, 5, 29, 14, 2, 15);
    overlay->Write(editwnd::MakeReport(skewed, 32, 16));  // already at the item's size
    EXPECT_EQ(std::memcmp(&o.Effect().placement, &skewed, sizeof(EditPlacement)), 0);
    EXPECT_EQ(o.rectangle, 0);
    EXPECT_EQ(o.Effect().speed, 100) << "the rest of the effect stays";

    published.clip->GetFrame(101, env.get());  // prepares the show's picture
    ASSERT_EQ(im.cache.Count(), 1u);
    image->Write(editwnd::MakeReport(skewed, 32, 16));
    EXPECT_EQ(im.cache.Count(), 0u) << "prepared again with the new placement";
    EXPECT_EQ(std::memcmp(&im.placement, &skewed, sizeof(EditPlacement)), 0);
    EXPECT_EQ(im.rectangle, 0);

    EXPECT_TRUE(overlay->Refind(mgr));
    mgr.RemoveItem(7, 0);
    EXPECT_FALSE(overlay->Refind(mgr)) << "a removed item is not written";
    EXPECT_TRUE(image->Refind(mgr));
}

}  // namespace
