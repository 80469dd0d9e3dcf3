#include "editwnd/outline_width_text.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>

namespace editwnd {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

OutlineWidthEntry ReadOutlineWidth(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // The magnitude saturates just past the 32-bit range; a negative one only needs to be seen.
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        if (magnitude < kLimit) magnitude = std::min<int64_t>(magnitude * 10 + (text[i] - '0'), kLimit);
    if (negative) return {0, magnitude != 0};
    return {static_cast<int32_t>(std::min<int64_t>(magnitude, kLimit - 1)), false};
}

std::string OutlineWidthText(int32_t width) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(width));
    return text;
}

}  // namespace editwnd
