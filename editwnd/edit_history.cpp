#include "editwnd/edit_history.h"

namespace editwnd {

void CEditHistory::Push(const EditPlacement& placement) {
    redo_.clear();
    undo_.push_back(placement);
    if (undo_.size() > kLimit) undo_.pop_front();
}

const EditPlacement* CEditHistory::Undo() {
    if (!CanUndo()) return nullptr;
    redo_.push_back(undo_.back());
    undo_.pop_back();
    return &undo_.back();
}

const EditPlacement* CEditHistory::Redo() {
    if (!CanRedo()) return nullptr;
    undo_.push_back(redo_.back());
    redo_.pop_back();
    return &undo_.back();
}

void CEditHistory::Clear() {
    undo_.clear();
    redo_.clear();
}

}  // namespace editwnd
