// The colour picker's palette popup: the colour grid, the current colour's swatch and
// text, and the "more colours" button, in a top-most window that holds the mouse
// capture so that it sees the pointer anywhere on the screen.
#pragma once

#include <windows.h>

#include <cstdint>

#include "editwnd/palette_picker.h"

namespace editwnd {

constexpr char kPaletteClassName[] = "ColorPalette";
constexpr char kPaletteTitle[] = "Palatte";

// From the button to the popup.
constexpr UINT kPaletteSetColour = WM_USER + 1;  // wParam: the colour the popup opens with
constexpr UINT kPalettePress = WM_USER + 2;      // lParam: the press point on the screen, x and y as 16-bit signed
// From the popup to the button that owns it.
constexpr UINT kPaletteRelease = WM_USER + 3;      // wParam: the colour taken
constexpr UINT kPaletteMoreColours = WM_USER + 4;  // the system colour dialog is wanted

// Registers the class and opens the popup under button (clamped to button's screen),
// owned by it, starting from colour; shown, holding the capture. Null when the class or
// the window cannot be made.
HWND OpenPalettePopup(HWND button, uint32_t colour);

// Destroys the popup and unregisters its class.
void ClosePalettePopup(HWND popup);

// The popup's selection state; null for a window that is not an open popup.
const PalettePicker* PalettePickerOf(HWND popup);

}  // namespace editwnd
