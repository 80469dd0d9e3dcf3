// The cursors: the one the edit window shows over a point, and the picker's eyedropper.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "channels/edit_placement.h"
#include "editwnd/edit_handles.h"
#include "editwnd/edit_rect.h"
#include "resources/resource.h"

namespace editwnd {

// The cursor shown over the edit window.

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

// The colour picker's eyedropper cursor: a 16 x 16 pattern in the top-left corner of a
// cursor of the system's size, as the AND and XOR mask bytes CreateCursor takes.

constexpr int kPickingPatternRows = 16;

// Two bytes per row, the pattern's 16 pixels, most significant bit leftmost.
extern const uint8_t kPickingCursorAnd[kPickingPatternRows][2];
extern const uint8_t kPickingCursorXor[kPickingPatternRows][2];

// The tip of the dropper, the lower left of the pattern.
constexpr EditPoint kPickingCursorHotSpot = {0, 15};

struct PickingCursorBits {
    int width = 0, height = 0;
    int row_bytes = 0;  // width / 8
    std::vector<uint8_t> and_mask;  // row_bytes * height, rows top to bottom
    std::vector<uint8_t> xor_mask;
};

// The masks for a system cursor of width x height; none unless both lie in 16 to 99,
// and the picker then shows the arrow.
std::optional<PickingCursorBits> MakePickingCursorBits(int width, int height);

}  // namespace editwnd
