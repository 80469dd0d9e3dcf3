// Undo history and the edit window's event handling, fed as the window procedure
// feeds them, with the toolbar's edits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editwnd/overlay_edit_model.h"
#include "tests/edit_placements.h"

using namespace editwnd;

namespace {

EditPlacement At(float x) { return test::BoxPlacement(x, 0, x + 10, 10); }

TEST(EditHistory, KeepsFiftySnapshotsAndTheBase) {
    CEditHistory h;
    EXPECT_EQ(h.Undo(), nullptr);
    for (int i = 0; i < 60; ++i) h.Push(At(static_cast<float>(i)));
    EXPECT_EQ(h.UndoDepth(), 50u);
    for (int i = 58; i >= 10; --i) {
        const EditPlacement* shown = h.Undo();
        ASSERT_NE(shown, nullptr) << i;
        EXPECT_EQ(shown->corners[0].x, static_cast<float>(i));
    }
    EXPECT_FALSE(h.CanUndo());  // 49 steps back to the oldest kept, which is the base
    EXPECT_EQ(h.Undo(), nullptr);
    EXPECT_EQ(h.Redo()->corners[0].x, 11.0f);
    EXPECT_EQ(h.RedoDepth(), 48u);
    h.Push(At(99));
    EXPECT_FALSE(h.CanRedo());
    EXPECT_EQ(h.Redo(), nullptr);
    EXPECT_EQ(h.UndoDepth(), 3u);
}

class EditModel : public ::testing::Test {
protected:
    EditModel() : model_([this](const char* line) { lines_.push_back(line); }) {
        model_.Open(test::BoxPlacement(100, 100, 300, 200), 10, 10);  // in a 640 x 480 frame
        model_.OnSize(320, 240);
    }
    float X0() const { return model_.placement().corners[0].x; }

    std::vector<std::string> lines_;
    COverlayEditModel model_;
};

TEST_F(EditModel, MoveUndoRedo) {
    test::ExpectCorners(model_.placement(), test::CornersOf(test::BoxPlacement(50, 50, 150, 100, 320, 240)));
    EXPECT_FALSE(model_.OnSize(0, 100));
    EXPECT_EQ(model_.placement().reference_width, 320);
    EXPECT_EQ(model_.history().UndoDepth(), 1u);

    EXPECT_TRUE(model_.OnButtonDown(100, 75).repaint);
    EXPECT_TRUE(model_.inside());
    EXPECT_TRUE(model_.OnMouseMove(110, 80).set_move_cursor);
    EXPECT_FALSE(model_.OnMouseMove(120, 80).set_move_cursor);
    test::ExpectCorners(model_.placement(), test::CornersOf(test::BoxPlacement(70, 55, 170, 105)));
    model_.OnSnapshotTimer();
    model_.OnSnapshotTimer();  // nothing changed since
    model_.OnMouseMove(125, 80);
    model_.OnSnapshotTimer();
    EXPECT_EQ(lines_, (std::vector<std::string>{"pos=70.000000\n", "pos=75.000000\n"}));
    EXPECT_EQ(model_.history().UndoDepth(), 3u);

    const EditResponse during = model_.OnKeyDown(kKeyZ, true);  // no undo while dragging
    EXPECT_FALSE(during.consumed || during.repaint);
    EXPECT_FALSE(model_.OnMouseLeave().report);
    EXPECT_TRUE(model_.OnButtonUp().report);
    EXPECT_FALSE(model_.button_down() || model_.inside());
    EXPECT_EQ(X0(), 75.0f);

    EXPECT_EQ(model_.Report(640, 480).placement.corners[0].x, 150.0f);

    const EditResponse undo = model_.OnKeyDown(kKeyZ, true);
    EXPECT_TRUE(undo.repaint && !undo.consumed);
    EXPECT_EQ(X0(), 70.0f);
    EXPECT_EQ(lines_.back(), "undo pos=70.000000\n");
    model_.OnCommand(kCommandUndo);
    EXPECT_EQ(X0(), 50.0f);
    EXPECT_FALSE(model_.IsCommandEnabled(kCommandUndo));
    EXPECT_FALSE(model_.OnCommand(kCommandUndo).repaint);
    EXPECT_FALSE(model_.changed());
    model_.OnKeyDown(kKeyY, true);
    EXPECT_EQ(X0(), 70.0f);

    model_.OnCommand(kCommandRotate180);  // a new change after an undo
    EXPECT_TRUE(model_.changed());
    model_.OnSnapshotTimer();
    EXPECT_FALSE(model_.IsCommandEnabled(kCommandRedo));
    EXPECT_TRUE(model_.OnCommand(kCommandClose).close);
}

TEST_F(EditModel, ArrowsNudgeWithoutAnUndoStep) {
    for (int i = 0; i < 5; ++i) {
        const EditResponse r = model_.OnKeyDown(kKeyRight, false);
        EXPECT_TRUE(r.consumed && r.repaint);
    }
    model_.OnKeyDown(kKeyUp, true);
    EXPECT_EQ(X0(), 55.0f);
    EXPECT_EQ(model_.placement().corners[0].y, 49.0f);
    EXPECT_FALSE(model_.changed());
    model_.OnSnapshotTimer();
    EXPECT_EQ(model_.history().UndoDepth(), 1u);
    EXPECT_EQ(model_.layout().warp[1], (EditRect{52, 46, 58, 52}));  // the handles follow
    EXPECT_TRUE(model_.OnMouseLeave().report);
}

TEST_F(EditModel, HandlesBeforeInside) {
    model_.OnButtonDown(52, 52);  // warp handle 1, over the inside of the overlay
    EXPECT_EQ(model_.hit(), (HandleHit{HandleFamily::kWarp, 1}));
    EXPECT_FALSE(model_.inside());
    EXPECT_TRUE(model_.OnMouseMove(40, 45).repaint);
    EXPECT_EQ(X0(), 40.0f);
    EXPECT_EQ(model_.placement().corners[0].y, 45.0f);
    EXPECT_TRUE(model_.changed());
    model_.OnButtonUp();

    model_.OnButtonDown(300, 200);  // on nothing
    EXPECT_EQ(model_.hit(), HandleHit{});
    EXPECT_FALSE(model_.OnMouseMove(310, 210).repaint);
    EXPECT_EQ(X0(), 40.0f);
    EXPECT_TRUE(model_.OnButtonUp().report);  // a click reports even when nothing changed
}

// The toolbar's edits reach the undo history through the model.
TEST_F(EditModel, AToolbarEditIsOneUndoStep) {
    const EditPlacement base = model_.placement();
    EXPECT_TRUE(model_.ApplyProperty(OutlineOpacityEdit(128)).repaint);
    EXPECT_TRUE(model_.changed());
    EXPECT_EQ(model_.placement().outline_colour, 0x80C8C8C8u);
    model_.OnSnapshotTimer();
    EXPECT_FALSE(model_.changed());
    EXPECT_EQ(model_.history().UndoDepth(), 2u);

    // Setting the value already held still counts, as any control's change does.
    model_.ApplyProperty(OutlineOpacityEdit(128));
    EXPECT_TRUE(model_.changed());
    model_.OnSnapshotTimer();
    EXPECT_EQ(model_.history().UndoDepth(), 3u);

    // A wider outline moves the outer box at once.
    const EditRect outer = model_.layout().outer_box;
    model_.ApplyProperty(OutlineWidthEdit(12));
    EXPECT_EQ(model_.layout().outer_box, outer.Inflated(10));
    model_.OnSnapshotTimer();

    EXPECT_TRUE(model_.OnCommand(kCommandUndo).repaint);
    EXPECT_EQ(model_.placement().outline_width, 2);
    EXPECT_EQ(model_.layout().outer_box, outer);
    model_.OnCommand(kCommandUndo);
    model_.OnCommand(kCommandUndo);
    test::ExpectSamePlacement(model_.placement(), base);
    EXPECT_FALSE(model_.changed());
}

}  // namespace
