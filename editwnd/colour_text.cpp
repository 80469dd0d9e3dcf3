#include "editwnd/colour_text.h"

#include <cstdio>

namespace editwnd {

std::string ColourText(uint32_t colour) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%02X%02X%02X",
                  static_cast<unsigned>(colour & 0xFF), static_cast<unsigned>(colour >> 8 & 0xFF),
                  static_cast<unsigned>(colour >> 16 & 0xFF));
    return std::string("#") + digits;
}

}  // namespace editwnd
