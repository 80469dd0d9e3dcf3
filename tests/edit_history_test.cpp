// Undo history and the edit window's event handling, fed as the window procedure
// feeds them, with the toolbar's edits.
#include <gtest/gtest.h>

#include "editwnd/overlay_edit_model.h"
#include "tests/edit_placements.h"

using namespace editwnd;

namespace {

EditPlacement At(float x) { return test::BoxPlacement(x, 0, x + 10, 10); }

TEST(EditHistory, KeepsFiftySnapshotsAndTheBase) {
    CEditHistory h;
    for (int i = 0; i < 60; ++i) h.Push(At(static_cast<float>(i)));
    EXPECT_EQ(h.UndoDepth(), 50u);
    for (int i = 58; i >= 10; --i) {
        const EditPlacement* shown = h.Undo();
        ASSERT_NE(shown, nullptr) << i;
        EXPECT_EQ(shown->corners[0].x, static_cast<float>(i));
    }
    EXPECT_EQ(h.Undo(), nullptr);  // 49 steps back to the oldest kept, which is the base
    EXPECT_EQ(h.Redo()->corners[0].x, 11.0f);
    h.Push(At(99));
    EXPECT_EQ(h.Redo(), nullptr);
}

class EditModel : public ::testing::Test {
protected:
    EditModel() {
        model_.Open(test::BoxPlacement(100, 100, 300, 200), 10, 10);  // in a 640 x 480 frame
        model_.OnSize(320, 240);
    }
    float X0() const { return model_.placement().corners[0].x; }

    COverlayEditModel model_;
};

TEST_F(EditModel, MoveUndoRedo) {
    test::ExpectCorners(model_.placement(), test::CornersOf(test::BoxPlacement(50, 50, 150, 100, 320, 240)));

    EXPECT_TRUE(model_.OnButtonDown(100, 75).repaint);
    EXPECT_TRUE(model_.OnMouseMove(110, 80).set_move_cursor);
    EXPECT_FALSE(model_.OnMouseMove(120, 80).set_move_cursor);
    test::ExpectCorners(model_.placement(), test::CornersOf(test::BoxPlacement(70, 55, 170, 105)));
    model_.OnSnapshotTimer();
    model_.OnSnapshotTimer();  // nothing changed since
    model_.OnMouseMove(125, 80);
    model_.OnSnapshotTimer();

    const EditResponse during = model_.OnKeyDown(kKeyZ, true);  // no undo while dragging
    EXPECT_FALSE(during.consumed || during.repaint);
    EXPECT_FALSE(model_.OnMouseLeave().report);
    EXPECT_TRUE(model_.OnButtonUp().report);
    EXPECT_EQ(X0(), 75.0f);

    EXPECT_EQ(model_.Report(640, 480).placement.corners[0].x, 150.0f);

    const EditResponse undo = model_.OnKeyDown(kKeyZ, true);
    EXPECT_TRUE(undo.repaint && !undo.consumed);
    EXPECT_EQ(X0(), 70.0f);
    model_.OnCommand(kCommandUndo);
    EXPECT_EQ(X0(), 50.0f);
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

// A toolbar edit is one undo step (the window suite counts them); a wider outline moves
// the outer box at once, and undo takes it back.
TEST_F(EditModel, AToolbarEditMovesTheHandlesAndUndoes) {
    const EditPlacement base = model_.placement();
    const EditRect outer = model_.layout().outer_box;
    EXPECT_TRUE(model_.ApplyProperty(OutlineWidthEdit(12)).repaint);
    EXPECT_EQ(model_.layout().outer_box, outer.Inflated(10));
    model_.OnSnapshotTimer();
    model_.OnCommand(kCommandUndo);
    EXPECT_EQ(model_.layout().outer_box, outer);
    test::ExpectSamePlacement(model_.placement(), base);
    EXPECT_FALSE(model_.changed());
}

}  // namespace
