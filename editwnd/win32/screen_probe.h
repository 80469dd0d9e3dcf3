// What the colour picker reads from the screen under the pointer.
#pragma once

#include <windows.h>

#include "editwnd/palette_picker.h"

namespace editwnd {

// The window under the screen point p and its pixel there, read from that window's
// whole-window drawing surface so that its frame counts too. more_colours is the
// popup's "more colours" button.
PointerProbe ProbeScreen(POINT p, HWND more_colours);

}  // namespace editwnd
