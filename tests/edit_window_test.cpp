// The edit window under wine64 on a virtual display, driven by real input: what the
// host hears (WM_EDITWND_CHANGED with the id and the placement, WM_EDITWND_CLOSE),
// the keys, undo and redo, the screen against the portable paint, and an item removed
// while the window is open.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "editwnd/edit_cursor.h"
#include "editwnd/edit_messages.h"
#include "editwnd/edit_paint.h"
#include "editwnd/win32/overlay_edit_wnd.h"
#include "overlay/overlay_item.h"
#include "plugin/exports.h"
#include "test_support.h"
#include "tests/window_support.h"

namespace {

namespace win = test::win;
using editwnd::TheOverlayEditWnd;

constexpr int kW = 160, kH = 120;
constexpr POINT kHostOrigin{100, 100};

class EditWindow : public ::testing::Test {
protected:
    EditWindow() : env_(test::NewEnv()), published_(env_.get(), test::Rgb24Info(kW, kH, 100)) {
        for (int id : {7, 8}) Place(id, 40.0f + 60 * (id - 7));
        host_ = win::RecordingWindow::TopLevel(kW, kH, kHostOrigin, [this](HWND, UINT m, WPARAM w, LPARAM l) {
            // The placement is readable during the call only.
            if (m == editwnd::WM_EDITWND_CHANGED)
                reports_.emplace_back(static_cast<int>(w), *reinterpret_cast<const EditPlacement*>(l));
            return std::optional<LRESULT>();
        });
    }
    ~EditWindow() override {
        if (HWND w = TheOverlayEditWnd().hwnd()) DestroyWindow(w);
    }

    // Overlay `id`: a 20 x 40 grey clip at (left, 30), frames 10 to 50.
    void Place(int id, float left) {
        clips_.push_back(new test::PatternClip(test::Rgb24Info(20, 40, 100), 0x60 + id));
        OverlayClipInfo info;
        info.item_id = id, info.first_frame = 10, info.last_frame = 50, info.clip = &clips_.back();
        info.video_enabled = 1;
        OverlayEffect e;
        EditPlacement& p = e.placement;
        p.corners[0] = {left, 30}, p.corners[1] = {left + 20, 30}, p.corners[2] = {left + 20, 70};
        p.corners[3] = {left, 70};
        p.reference_width = kW, p.reference_height = kH, p.outline_width = 0;
        AddOverlay(&info, &e, 1, 0);
    }
    HWND Open(int id) {
        HWND w = CreateOverlayEditWnd(id, host_->hwnd());
        if (w) {
            MoveWindow(w, 0, 0, kW, kH, TRUE);
            win::PumpFor(100);
        }
        return w;
    }
    const EditPlacement& Stored(int id) {
        return static_cast<COverlayItem*>(published_.mgr->FindItem(id)->payload)->Effect().placement;
    }
    bool WaitForReports(size_t n) {
        return win::PumpUntil([&] { return reports_.size() >= n; });
    }
    void Drag(HWND w, POINT from, POINT to) {
        ASSERT_TRUE(win::MoveMouseTo(w, from));
        win::LeftDown();
        win::PumpFor(30);
        ASSERT_TRUE(win::MoveMouseTo(w, to));
        win::PumpFor(30);
        win::LeftUp();
    }

    test::EnvPtr env_;
    test::PublishedManager published_;
    std::vector<PClip> clips_;
    std::unique_ptr<win::RecordingWindow> host_;
    std::vector<std::pair<int, EditPlacement>> reports_;
};

void ExpectAt(const EditPlacement& p, float left, float top) {
    const float want[4][2] = {{left, top}, {left + 20, top}, {left + 20, top + 40}, {left, top + 40}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(p.corners[k].x, want[k][0]) << "corner " << k;
        EXPECT_EQ(p.corners[k].y, want[k][1]) << "corner " << k;
    }
}

TEST_F(EditWindow, NoWindowForAnIdWithoutAnOverlayOrImageItem) {
    EXPECT_EQ(CreateOverlayEditWnd(42, host_->hwnd()), nullptr);
    EXPECT_EQ(TheOverlayEditWnd().hwnd(), nullptr);
}

TEST_F(EditWindow, DragClickAndDestroyEachReportTheItemsPlacement) {
    HWND w = Open(7);
    ASSERT_NE(w, nullptr);
    Drag(w, {50, 50}, {70, 60});  // inside the overlay: moves it by (20, 10)
    ASSERT_TRUE(WaitForReports(1));
    EXPECT_EQ(reports_[0].first, 7);
    ExpectAt(reports_[0].second, 60, 40);
    ExpectAt(Stored(7), 60, 40);
    ExpectAt(TheOverlayEditWnd().model().placement(), 60, 40);

    reports_.clear();
    ASSERT_TRUE(win::MoveMouseTo(w, {70, 60}));
    win::LeftDown();
    win::LeftUp();  // a click that changes nothing still reports
    ASSERT_TRUE(WaitForReports(1));
    ExpectAt(reports_[0].second, 60, 40);

    reports_.clear();
    DestroyWindow(w);
    ASSERT_EQ(reports_.size(), 1u) << "destroy reports, synchronously";
    EXPECT_EQ(reports_[0].first, 7);
}

TEST_F(EditWindow, OpeningASecondItemFirstReportsTheFirst) {
    ASSERT_NE(Open(7), nullptr);
    reports_.clear();
    HWND second = CreateOverlayEditWnd(8, host_->hwnd());
    ASSERT_NE(second, nullptr);
    ASSERT_FALSE(reports_.empty());
    EXPECT_EQ(reports_[0].first, 7);
    EXPECT_EQ(TheOverlayEditWnd().hwnd(), second);
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
    EXPECT_TRUE(reports_.empty());
    EXPECT_FALSE(TheOverlayEditWnd().model().history().CanUndo());
    ASSERT_TRUE(win::MoveMouseToScreen({kHostOrigin.x + kW + 50, kHostOrigin.y + kH + 50}));
    ASSERT_TRUE(WaitForReports(1));
    ExpectAt(reports_[0].second, 45, 30);
}

TEST_F(EditWindow, UndoAndRedoThroughCommandsAndKeysButNotWhileDragging) {
    HWND w = Open(7);
    Drag(w, {50, 50}, {70, 60});
    win::PumpFor(150);  // the snapshot timer records the drag
    ASSERT_TRUE(TheOverlayEditWnd().model().history().CanUndo());

    ASSERT_TRUE(win::MoveMouseTo(w, {70, 60}));
    win::LeftDown();
    win::PumpFor(30);
    win::PressKey('Z', {VK_CONTROL});
    win::PumpFor(50);
    ExpectAt(TheOverlayEditWnd().model().placement(), 60, 40);  // no undo mid-drag
    win::LeftUp();
    win::PumpFor(30);

    win::PressKey('Z', {VK_RCONTROL});
    win::PumpFor(50);
    ExpectAt(TheOverlayEditWnd().model().placement(), 40, 30);
    EXPECT_FALSE(TheOverlayEditWnd().model().history().CanUndo()) << "the base is not undone";
    SendMessageA(w, WM_COMMAND, editwnd::kCommandRedo, 0);
    ExpectAt(TheOverlayEditWnd().model().placement(), 60, 40);
    SendMessageA(w, WM_COMMAND, editwnd::kCommandUndo, 0);
    ExpectAt(TheOverlayEditWnd().model().placement(), 40, 30);
}

TEST_F(EditWindow, TheContextMenuRunsItsCommandsInOrder) {
    HWND w = Open(7);
    ASSERT_TRUE(win::MoveMouseTo(w, {100, 100}));
    win::RightDown();
    win::RightUp();
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

TEST_F(EditWindow, CursorsFollowWhatLiesUnderThePointer) {
    HWND w = Open(7);
    struct Case {
        POINT at;
        HCURSOR want;
        const char* what;
    };
    const HCURSOR library = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(editwnd::kLibraryCursorId));
    const Case cases[] = {
        {{50, 50}, LoadCursor(nullptr, IDC_SIZEALL), "inside"},
        {{38, 28}, library, "warp handle at corner 0, outside the quadrilateral"},
        {{30, 50}, LoadCursor(nullptr, IDC_SIZEWE), "left inner edge handle"},
        {{150, 110}, LoadCursor(nullptr, IDC_ARROW), "nothing"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(win::MoveMouseTo(w, c.at));
        CURSORINFO info{};
        info.cbSize = sizeof info;
        ASSERT_TRUE(win::PumpUntil([&] { return GetCursorInfo(&info) && info.hCursor == c.want; }, 500)) << c.what;
    }
}

TEST_F(EditWindow, ClosePostsTheCloseMessageAndLeavesTheWindow) {
    HWND w = Open(7);
    SendMessageA(w, WM_COMMAND, editwnd::kCommandClose, 0);
    ASSERT_TRUE(win::PumpUntil([&] { return host_->Count(editwnd::WM_EDITWND_CLOSE) == 1; }));
    const win::Message m = host_->Messages(editwnd::WM_EDITWND_CLOSE)[0];
    EXPECT_EQ(m.wParam, 0u);
    EXPECT_EQ(m.lParam, 0);
    EXPECT_TRUE(IsWindow(w));
}

TEST_F(EditWindow, TheScreenShowsThePortablePaint) {
    HWND w = Open(7);
    SendMessageA(w, WM_COMMAND, editwnd::kCommandRotate90Clockwise, 0);  // something to draw beyond a box
    win::PumpFor(100);
    const win::Capture shot = win::CaptureClient(w);
    win::SavePng(shot, "edit-window");

    uint8_t* buffer = nullptr;
    int32_t size = 0, width = 0, height = 0, bpp = 0;
    GetFrame(10, 7, &buffer, &size, &width, &height);
    std::vector<uint8_t> background(buffer, buffer + size);
    ::operator delete(buffer);
    GetFrameByID(10, 7, &buffer, &size, &width, &height, &bpp);
    std::vector<uint8_t> picture(buffer, buffer + size);
    ::operator delete(buffer);
    const gfx::Bitmap back = gfx::Bitmap::OverRgb24(background.data(), kW, kH);
    const gfx::Bitmap pic = gfx::Bitmap::OverRgb24(picture.data(), width, height);
    const auto want = gfx::Bitmap::Create(kW, kH);
    const auto& model = TheOverlayEditWnd().model();
    editwnd::PaintEditWindow(*want, &back, &pic, model.placement(), model.layout());

    ASSERT_EQ(shot.width, kW);
    ASSERT_EQ(shot.height, kH);
    int differ = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) differ += shot.At(x, y) != (want->GetPixel(x, y) & 0xFFFFFFu);
    EXPECT_EQ(differ, 0);
}

TEST_F(EditWindow, AnItemRemovedWhileOpenIsNeitherWrittenNorReported) {
    HWND w = Open(7);
    RemoveItem(7, 1);
    Drag(w, {50, 50}, {70, 60});
    win::PumpFor(100);
    DestroyWindow(w);
    EXPECT_TRUE(reports_.empty());
}

}  // namespace

#endif  // _WIN32
