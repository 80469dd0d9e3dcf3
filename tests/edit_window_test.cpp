// The edit window under wine64 on a virtual display, driven by real input, one case a
// wiring path: what the host hears (WM_EDITWND_CHANGED with the id and the placement),
// each handle, a key and the menu. Undo and redo go through the toolbar's buttons; the
// paint's pixels are the portable paint's.
#ifdef _WIN32

#include <gtest/gtest.h>

#include "overlay/overlay_item.h"
#include "tests/edit_window_host.h"

namespace {

namespace win = test::win;
using editwnd::TheOverlayEditWnd;

class EditWindow : public win::EditWindowHost {
protected:
    EditWindow() {
        EditPlacement p;
        test::PlaceRect(p, 40, 30, 60, 70);  // overlay 7, 20 x 40
        Place(7, p);
    }
    HWND Open(int id) { return EditWindowHost::Open(id, 100); }
    const EditPlacement& Stored(int id) {
        return static_cast<COverlayItem*>(published_.mgr->FindItem(id)->payload)->Effect().placement;
    }
    bool WaitForReports(size_t n) {
        return win::PumpUntil([&] { return reports_.size() >= n; });
    }
};

void ExpectAt(const EditPlacement& p, float left, float top) {
    const float want[4][2] = {{left, top}, {left + 20, top}, {left + 20, top + 40}, {left, top + 40}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(p.corners[k].x, want[k][0]) << "corner " << k;
        EXPECT_EQ(p.corners[k].y, want[k][1]) << "corner " << k;
    }
}

TEST_F(EditWindow, DragAndDestroyEachReportTheItemsPlacement) {
    HWND w = Open(7);
    Drag(w, {50, 50}, {70, 60});  // inside the overlay: moves it by (20, 10)
    ASSERT_TRUE(WaitForReports(1));
    EXPECT_EQ(reports_[0].first, 7);
    ExpectAt(reports_[0].second, 60, 40);
    ExpectAt(Stored(7), 60, 40);

    reports_.clear();
    DestroyWindow(w);
    ASSERT_EQ(reports_.size(), 1u) << "destroy reports, synchronously";
    EXPECT_EQ(reports_[0].first, 7);
}

// Each handle kind once through real input; a copy of the window's model, fed the same
// points, says where the drag must end. Overlay 9 has an outline, so that its outer edge
// handles lie apart from the inner ones.
TEST_F(EditWindow, EachHandleKindDragsAsTheModelDoes) {
    EditPlacement p;
    test::PlaceRect(p, 40, 30, 60, 70);
    p.outline_width = 3;
    Place(9, p);
    HWND w = Open(9);
    using F = editwnd::HandleFamily;
    using L = editwnd::HandleLayout;
    const struct {
        F family;
        editwnd::EditRect (*handle)(const L&);
        POINT to;
    } drags[] = {
        {F::kInnerEdge, [](const L& l) { return l.inner_edge[2]; }, {80, 50}},
        {F::kOuterEdge, [](const L& l) { return l.outer_edge[3]; }, {50, 105}},
        {F::kRotation, [](const L& l) { return l.rotation[2]; }, {20, 100}},
        {F::kWarp, [](const L& l) { return l.warp[5]; }, {75, 85}},
    };
    for (const auto& d : drags) {
        editwnd::COverlayEditModel want = TheOverlayEditWnd().model();
        const editwnd::EditPoint from = d.handle(want.layout()).Centre();
        want.OnButtonDown(from.x, from.y);
        ASSERT_EQ(want.hit().family, d.family);
        want.OnMouseMove(d.to.x, d.to.y);
        want.OnButtonUp();
        Drag(w, {from.x, from.y}, d.to);
        win::PumpFor(50);
        const EditPlacement& got = TheOverlayEditWnd().model().placement();
        for (int k = 0; k < 4; ++k) {  // near: a move event more at the press point may turn by a rounding
            EXPECT_NEAR(got.corners[k].x, want.placement().corners[k].x, 1e-3) << static_cast<int>(d.family);
            EXPECT_NEAR(got.corners[k].y, want.placement().corners[k].y, 1e-3) << static_cast<int>(d.family);
        }
        EXPECT_EQ(got.outline_width, want.placement().outline_width);
    }
    win::PressKey('Z', VK_RCONTROL);  // the last drag taken back from the keyboard
    EXPECT_TRUE(win::PumpUntil([] { return TheOverlayEditWnd().model().history().CanRedo(); }));
}

TEST_F(EditWindow, ArrowsNudgeWithoutAnUndoStepAndReachTheHostAtMouseLeave) {
    HWND w = Open(7);
    ASSERT_TRUE(win::MoveMouseTo(w, {30, 100}));  // outside the overlay, inside the window
    win::LeftDown();
    win::LeftUp();  // takes the focus
    ASSERT_TRUE(WaitForReports(1));
    reports_.clear();
    for (int i = 0; i < 5; ++i) win::PressKey(VK_RIGHT);
    win::PumpFor(150);
    ExpectAt(TheOverlayEditWnd().model().placement(), 45, 30);
    EXPECT_FALSE(TheOverlayEditWnd().model().history().CanUndo());
    ASSERT_TRUE(win::MoveMouseToScreen({kHostOrigin.x + kW + 50, kHostOrigin.y + kH + 50}));
    ASSERT_TRUE(WaitForReports(1));
    ExpectAt(reports_[0].second, 45, 30);
}

TEST_F(EditWindow, TheContextMenuRunsItsCommandsInOrder) {
    HWND w = Open(7);
    ASSERT_TRUE(win::MoveMouseTo(w, {100, 100}));
    win::SendMouse(MOUSEEVENTF_RIGHTDOWN);
    win::SendMouse(MOUSEEVENTF_RIGHTUP);
    // Queued before the menu's own loop reads them: the fourth entry past the
    // separator is "Enlarge to Full Screen".
    for (int i = 0; i < 4; ++i) win::PressKey(VK_DOWN);
    win::PressKey(VK_RETURN);
    ASSERT_TRUE(win::PumpUntil([] { return TheOverlayEditWnd().model().placement().corners[2].x == kW; }));
    const EditPlacement& p = TheOverlayEditWnd().model().placement();
    EXPECT_EQ(p.corners[0].x, 0.0f);
    EXPECT_EQ(p.corners[0].y, 0.0f);
    EXPECT_EQ(p.corners[2].y, static_cast<float>(kH));
}

}  // namespace

#endif  // _WIN32
