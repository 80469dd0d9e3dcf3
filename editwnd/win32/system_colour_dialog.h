// The platform's colour dialog, opened fully expanded. Colours are COLORREFs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

namespace editwnd {

// Runs the dialog modally over owner, starting from start when one is given. Yields the
// chosen colour on OK and nothing on Cancel.
std::optional<uint32_t> RunSystemColourDialog(HWND owner, std::optional<uint32_t> start);

}  // namespace editwnd
