#pragma once

#include <cstdint>
#include <vector>

namespace platform {

// Reads a whole file named in the ANSI code page (on Windows converted to a wide name
// with precomposed characters; elsewhere the bytes are the name). False when the file
// cannot be opened or read.
bool ReadFileAnsiName(const char* name, std::vector<uint8_t>& bytes);

}  // namespace platform
