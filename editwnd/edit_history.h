// Undo and redo: snapshots of whole placements. The oldest snapshot on the undo stack
// is the base, which cannot be undone; the newest is the placement shown.
#pragma once

#include <cstddef>
#include <deque>
#include <vector>

#include "channels/edit_placement.h"

namespace editwnd {

class CEditHistory {
public:
    static constexpr std::size_t kLimit = 50;

    // Clears the redo stack; drops the oldest snapshot beyond the limit.
    void Push(const EditPlacement& placement);
    bool CanUndo() const { return undo_.size() > 1; }
    bool CanRedo() const { return !redo_.empty(); }
    // Each returns the placement now shown, or null when not possible.
    const EditPlacement* Undo();
    const EditPlacement* Redo();
    void Clear();

    std::size_t UndoDepth() const { return undo_.size(); }
    std::size_t RedoDepth() const { return redo_.size(); }

private:
    std::deque<EditPlacement> undo_;
    std::vector<EditPlacement> redo_;
};

}  // namespace editwnd
