// The popup of a colour button: its swatch gallery, then "Pick Screen Colors...",
// "More Colors..." and, for the key colour, "No Color". Made once with the toolbar and
// shown under the button on demand. It hides when it loses activation or when the user
// chooses an entry, and tells `chosen` the entry's id (for the gallery, with the swatch's
// COLORREF).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "editwnd/colours.h"
#include "editwnd/win32/swatch_gallery_control.h"

namespace editwnd {

// The ids of one popup's entries; 0 for an entry it does not have.
struct ColourPopupEntries {
    int gallery = 0;
    int pick_screen_colours = 0;
    int more_colours = 0;
    int no_colour = 0;
};

class CColourPopup {
public:
    using Chosen = std::function<void(int id, uint32_t swatch_colorref)>;

    // Hidden until ShowAt. "Pick Screen Colors..." is disabled unless can_pick_screen.
    // gallery must outlive the popup.
    CColourPopup(HWND owner, const ColourPopupEntries& entries, const std::vector<SwatchGroup>& gallery,
                 bool can_pick_screen, Chosen chosen);
    ~CColourPopup();
    CColourPopup(const CColourPopup&) = delete;
    CColourPopup& operator=(const CColourPopup&) = delete;

    HWND hwnd() const { return hwnd_; }
    const CSwatchGalleryControl& gallery() const { return *gallery_; }
    // Shown and active with its top-left at the screen point, kept on the screen.
    void ShowAt(POINT screen);
    void Hide();
    // The marked swatch and the "No Color" check.
    void Show(std::optional<SwatchPosition> marked, bool no_colour_checked);

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Choose(int id, uint32_t colorref);

    HWND hwnd_ = nullptr;
    ColourPopupEntries entries_;
    Chosen chosen_;
    std::unique_ptr<CSwatchGalleryControl> gallery_;
};

}  // namespace editwnd
