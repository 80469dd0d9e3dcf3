// The cursor shown over the edit window.
#pragma once

#include "channels/edit_placement.h"
#include "editwnd/handle_layout.h"
#include "resources/resource.h"

namespace editwnd {

enum class EditCursor {
    kDefault,  // the window's own
    kMove,     // IDC_SIZEALL
    kSizeWE,   // IDC_SIZEWE
    kSizeNS,   // IDC_SIZENS
    kLibrary,  // the library's cursor resource
};

constexpr int kLibraryCursorId = IDC_ROTATE_WARP;

// The inside of the overlay wins over the handles here (a click tests them the other
// way round).
EditCursor ChooseCursor(const EditPlacement& placement, const HandleLayout& layout, int x, int y);

}  // namespace editwnd
