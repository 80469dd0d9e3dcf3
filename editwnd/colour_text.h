// How the colour picker writes a colour: "#" and red, green, blue in hexadecimal.
#pragma once

#include <cstdint>
#include <string>

namespace editwnd {

// colour is a COLORREF (0x00BBGGRR); 0x00336699 gives "#996633".
std::string ColourText(uint32_t colour);

}  // namespace editwnd
