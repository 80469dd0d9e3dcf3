// The edit window under wine64 on a virtual display, driven by real input: what the
// host hears (WM_EDITWND_CHANGED with the id and the placement) from a drag, and a key.
// Each handle's drag and each key's and menu entry's command are the portable model's;
// the menu, the toolbar's Undo and Redo and the "Pick Color" dialog are driven through
// the shipped DLL by the 32-bit host; the paint's pixels are the portable paint's.
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
    ASSERT_TRUE(win::PumpUntil([&] { return !reports_.empty(); }));
    EXPECT_EQ(reports_[0].first, 7);
    ExpectAt(reports_[0].second, 60, 40);
    ExpectAt(static_cast<COverlayItem*>(published_.mgr->FindItem(7)->payload)->Effect().placement, 60, 40);
    const auto& history = TheOverlayEditWnd().model().history();
    ASSERT_TRUE(win::PumpUntil([&] { return history.CanUndo(); }));
    win::PressKey('Z', VK_RCONTROL);  // taken back from the keyboard
    EXPECT_TRUE(win::PumpUntil([&] { return history.CanRedo(); }));

    reports_.clear();
    DestroyWindow(w);
    ASSERT_EQ(reports_.size(), 1u) << "destroy reports, synchronously";
    EXPECT_EQ(reports_[0].first, 7);
}

}  // namespace

#endif  // _WIN32
