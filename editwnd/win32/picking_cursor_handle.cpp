#include "editwnd/win32/picking_cursor_handle.h"

#include <cstring>
#include <vector>

#include "editwnd/edit_cursors.h"
#include "editwnd/win32/own_module.h"

namespace editwnd {

namespace {

// CreateCursor wants every row padded to a 16-bit boundary.
std::vector<uint8_t> WordRows(const std::vector<uint8_t>& mask, int row_bytes, int width, int height, uint8_t pad) {
    const size_t padded = static_cast<size_t>((width + 15) / 16 * 2);
    std::vector<uint8_t> out(padded * static_cast<size_t>(height), pad);
    for (int y = 0; y < height; ++y)
        std::memcpy(&out[padded * static_cast<size_t>(y)],
                    &mask[static_cast<size_t>(row_bytes) * static_cast<size_t>(y)], static_cast<size_t>(row_bytes));
    return out;
}

}  // namespace

HCURSOR CreatePickingCursor() {
    const std::optional<PickingCursorBits> bits =
        MakePickingCursorBits(GetSystemMetrics(SM_CXCURSOR), GetSystemMetrics(SM_CYCURSOR));
    if (!bits) return nullptr;
    // Padding is transparent, like the rest outside the pattern.
    const std::vector<uint8_t> and_mask = WordRows(bits->and_mask, bits->row_bytes, bits->width, bits->height, 0xFF);
    const std::vector<uint8_t> xor_mask = WordRows(bits->xor_mask, bits->row_bytes, bits->width, bits->height, 0x00);
    return CreateCursor(OwnModule(), kPickingCursorHotSpot.x, kPickingCursorHotSpot.y, bits->width, bits->height,
                        and_mask.data(), xor_mask.data());
}

}  // namespace editwnd
