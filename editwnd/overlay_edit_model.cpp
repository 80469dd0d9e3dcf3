#include "editwnd/overlay_edit_model.h"

#include <cstdio>

#include "editwnd/edit_commands.h"
#include "editwnd/edit_drags.h"
#include "editwnd/edit_geometry.h"

namespace editwnd {

void COverlayEditModel::Open(const EditPlacement& placement, int picture_width, int picture_height) {
    placement_ = placement;
    picture_width_ = picture_width;
    picture_height_ = picture_height;
    hit_ = {};
    button_down_ = cursor_set_ = inside_ = false;
    initial_snapshot_taken_ = false;
    changed_ = false;
    history_.Clear();
    Relayout();
}

bool COverlayEditModel::OnSize(int cx, int cy) {
    if (cx == 0) return false;
    RescalePlacement(placement_, cx, cy);
    if (!initial_snapshot_taken_) {
        history_.Push(placement_);
        initial_snapshot_taken_ = true;
    }
    Relayout();
    return true;
}

EditCursor COverlayEditModel::OnSetCursor(int x, int y) const { return ChooseCursor(placement_, layout_, x, y); }

EditResponse COverlayEditModel::OnButtonDown(int x, int y) {
    button_down_ = true;
    cursor_set_ = false;
    last_x_ = x;
    last_y_ = y;
    hit_ = HitTestHandles(layout_, x, y);
    inside_ = hit_.family == HandleFamily::kNone && IsInsideOverlay(placement_, x, y);
    return {.repaint = true};
}

EditResponse COverlayEditModel::OnMouseMove(int x, int y) {
    EditResponse response;
    if (!button_down_) return response;
    if (hit_.family != HandleFamily::kNone) {
        if (ApplyHandleDrag(x, y)) changed_ = true;
    } else if (inside_) {
        response.set_move_cursor = !cursor_set_;
        cursor_set_ = true;
        if (MoveOverlay(placement_, static_cast<float>(x - last_x_), static_cast<float>(y - last_y_))) changed_ = true;
        last_x_ = x;
        last_y_ = y;
    } else {
        return response;
    }
    Relayout();
    response.repaint = true;
    return response;
}

EditResponse COverlayEditModel::OnButtonUp() {
    button_down_ = false;
    inside_ = false;
    return {.report = true};
}

EditResponse COverlayEditModel::OnMouseLeave() const { return {.report = !button_down_}; }

EditResponse COverlayEditModel::OnKeyDown(unsigned virtual_key, bool ctrl) {
    constexpr struct {
        unsigned key;
        NudgeDirection direction;
    } kArrows[] = {{kKeyLeft, NudgeDirection::kLeft},
                   {kKeyUp, NudgeDirection::kUp},
                   {kKeyRight, NudgeDirection::kRight},
                   {kKeyDown, NudgeDirection::kDown}};
    for (const auto& arrow : kArrows) {
        if (virtual_key != arrow.key) continue;
        // A nudge is no undo step of its own; the host hears of it with the next report.
        NudgeOverlay(placement_, arrow.direction);
        Relayout();
        return {.repaint = true, .consumed = true};
    }
    if (!ctrl || button_down_) return {};
    if (virtual_key == kKeyZ && history_.CanUndo()) return OnCommand(kCommandUndo);
    if (virtual_key == kKeyY && history_.CanRedo()) return OnCommand(kCommandRedo);
    return {};
}

bool COverlayEditModel::IsCommandEnabled(int id) const {
    switch (id) {
        case kCommandUndo: return history_.CanUndo();
        case kCommandRedo: return history_.CanRedo();
        default: return true;
    }
}

EditResponse COverlayEditModel::OnCommand(int id) {
    switch (id) {
        case kCommandClose: return {.close = true};
        case kCommandUndo:
            if (const EditPlacement* shown = history_.Undo()) {
                Show(*shown);
                Debug("undo pos=%f\n", placement_.corners[0].x);
                return {.repaint = true};
            }
            return {};
        case kCommandRedo:
            if (const EditPlacement* shown = history_.Redo()) {
                Show(*shown);
                return {.repaint = true};
            }
            return {};
        default:
            if (ApplyCommand(id)) changed_ = true;
            Relayout();
            return {.repaint = true};
    }
}

EditResponse COverlayEditModel::ApplyProperty(const PropertyEdit& edit) {
    ApplyPropertyEdit(placement_, edit);
    changed_ = true;
    Relayout();  // the outline width moves the outer box
    return {.repaint = true};
}

void COverlayEditModel::OnSnapshotTimer() {
    if (!changed_) return;
    changed_ = false;
    Debug("pos=%f\n", placement_.corners[0].x);
    history_.Push(placement_);
}

EditResponse COverlayEditModel::OnDestroy() {
    history_.Clear();
    return {.report = true};
}

bool COverlayEditModel::ApplyHandleDrag(int x, int y) {
    const int i = hit_.index;
    switch (hit_.family) {
        case HandleFamily::kInnerEdge: return DragInnerEdge(placement_, i, x, y);
        case HandleFamily::kOuterEdge: DragOuterEdge(placement_, i, x, y); return true;
        case HandleFamily::kRotation: return DragRotation(placement_, layout_.rotation[i], x, y);
        case HandleFamily::kWarp: return DragWarpHandle(placement_, i, layout_.warp[i], x, y);
        case HandleFamily::kNone: break;
    }
    return false;
}

bool COverlayEditModel::ApplyCommand(int id) {
    const int w = placement_.reference_width, h = placement_.reference_height;
    switch (id) {
        case kCommandRotate180: return RotateOverlay(placement_, QuarterTurns::kHalf);
        case kCommandRotate90Clockwise: return RotateOverlay(placement_, QuarterTurns::kClockwise);
        case kCommandRotate90CounterClockwise: return RotateOverlay(placement_, QuarterTurns::kCounterClockwise);
        case kCommandEnlarge: return EnlargeToFullScreen(placement_, w, h);
        case kCommandEnlargeKeepAspect: return EnlargeKeepingAspect(placement_, w, h);
        default: return false;
    }
}

// Undo and redo change what is shown without counting as a change.
void COverlayEditModel::Show(const EditPlacement& placement) {
    placement_ = placement;
    Relayout();
}

void COverlayEditModel::Relayout() { layout_ = LayoutHandles(placement_, picture_width_, picture_height_); }

void COverlayEditModel::Debug(const char* format, float value) const {
    if (!debug_output_) return;
    char line[64];
    std::snprintf(line, sizeof line, format, static_cast<double>(value));
    debug_output_(line);
}

}  // namespace editwnd
