// The "Pick Color" dialog: a colour button whose palette popup opens as soon as the
// dialog shows, so that the user can pick from the screen without a first click.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

namespace editwnd {

// Runs the dialog modally over owner with the button showing start_colorref (a
// COLORREF). OK yields the button's colour; Cancel yields nothing.
std::optional<uint32_t> RunPickColorDialog(HWND owner, uint32_t start_colorref);

}  // namespace editwnd
