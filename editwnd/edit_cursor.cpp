#include "editwnd/edit_cursor.h"

#include "editwnd/handle_hit.h"

namespace editwnd {

EditCursor ChooseCursor(const EditPlacement& placement, const HandleLayout& layout, int x, int y) {
    if (IsInsideOverlay(placement, x, y)) return EditCursor::kMove;
    const HandleHit hit = HitTestHandles(layout, x, y);
    switch (hit.family) {
        case HandleFamily::kInnerEdge:
        case HandleFamily::kOuterEdge: return hit.index % 2 == 0 ? EditCursor::kSizeWE : EditCursor::kSizeNS;
        case HandleFamily::kRotation:
        case HandleFamily::kWarp: return EditCursor::kLibrary;
        case HandleFamily::kNone: break;
    }
    return EditCursor::kDefault;
}

}  // namespace editwnd
