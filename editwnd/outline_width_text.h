// The outline width box: its text read as a width, and a width shown as text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace editwnd {

struct OutlineWidthEntry {
    int32_t width = 0;
    bool reset_box = false;  // the text was negative: the box is to show "0"
    bool operator==(const OutlineWidthEntry&) const = default;
};

// Read as a decimal integer the way atoi reads it: leading blanks, an optional sign,
// then digits up to the first other character; no digits read as 0. Values beyond the
// 32-bit range stop at its ends.
OutlineWidthEntry ReadOutlineWidth(std::string_view text);

std::string OutlineWidthText(int32_t width);

}  // namespace editwnd
