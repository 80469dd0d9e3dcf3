// The colour picker's eyedropper as a Windows cursor.
#pragma once

#include <windows.h>

namespace editwnd {

// A cursor of the system's size; null when that size lies outside 16 to 99, or when
// the system refuses it. The caller destroys it.
HCURSOR CreatePickingCursor();

}  // namespace editwnd
