#include "editwnd/edit_cursors.h"

#include "editwnd/edit_handles.h"

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

const uint8_t kPickingCursorAnd[kPickingPatternRows][2] = {
    {0xFF, 0xF1}, {0xFF, 0xE0}, {0xFF, 0xC0}, {0xFF, 0x00}, {0xFF, 0x81}, {0xFF, 0x03}, {0xFE, 0x07}, {0xFC, 0x17},
    {0xF8, 0x3F}, {0xF0, 0x7F}, {0xE0, 0xFF}, {0xC1, 0xFF}, {0x83, 0xFF}, {0x87, 0xFF}, {0x0F, 0xFF}, {0x3F, 0xFF},
};

const uint8_t kPickingCursorXor[kPickingPatternRows][2] = {
    {0x00, 0x00}, {0x00, 0x0C}, {0x00, 0x08}, {0x00, 0x10}, {0x00, 0x00}, {0x00, 0x40}, {0x00, 0xE0}, {0x01, 0xC0},
    {0x03, 0x80}, {0x07, 0x00}, {0x0E, 0x00}, {0x1C, 0x00}, {0x38, 0x00}, {0x30, 0x00}, {0x40, 0x00}, {0x00, 0x00},
};

std::optional<PickingCursorBits> MakePickingCursorBits(int width, int height) {
    if (width < 16 || width > 99 || height < 16 || height > 99) return std::nullopt;
    PickingCursorBits bits;
    bits.width = width;
    bits.height = height;
    bits.row_bytes = width / 8;
    const size_t size = static_cast<size_t>(bits.row_bytes) * static_cast<size_t>(height);
    // Outside the pattern the cursor is transparent: screen AND 1, XOR 0.
    bits.and_mask.assign(size, 0xFF);
    bits.xor_mask.assign(size, 0x00);
    for (int row = 0; row < kPickingPatternRows; ++row) {
        for (int b = 0; b < 2; ++b) {
            bits.and_mask[static_cast<size_t>(row * bits.row_bytes + b)] = kPickingCursorAnd[row][b];
            bits.xor_mask[static_cast<size_t>(row * bits.row_bytes + b)] = kPickingCursorXor[row][b];
        }
    }
    return bits;
}

}  // namespace editwnd
