// The edit window's floating toolbar "Edit": a small tool window, owned by the edit
// window's top-level window so that it floats above it, holding a comctl32 toolbar
// built from toolbar 1000: the property controls with their labels, the two colour
// buttons with their popups, Undo, Redo and Close. Property changes go to `apply`;
// Undo, Redo and Close reach the edit window as its commands.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "channels/edit_placement.h"
#include "editwnd/colours.h"
#include "editwnd/toolbar_view.h"
#include "editwnd/win32/colour_popup.h"
#include "editwnd/win32/toolbar_images.h"

namespace editwnd {

// The "Pick Color" dialog: runs modally over owner from a COLORREF (0xFFFFFFFF for no
// key colour) and yields the picked colour on OK, nothing on Cancel.
using PickScreenColour = std::function<std::optional<uint32_t>(HWND owner, uint32_t start_colorref)>;

class CEditToolbar {
public:
    using Apply = std::function<void(const PropertyEdit&)>;

    // Shown under edit_window at once, without taking the activation. Without
    // pick_screen_colour both "Pick Screen Colors..." entries are disabled.
    CEditToolbar(HWND edit_window, Apply apply, PickScreenColour pick_screen_colour);
    ~CEditToolbar();
    CEditToolbar(const CEditToolbar&) = delete;
    CEditToolbar& operator=(const CEditToolbar&) = delete;

    HWND frame() const { return frame_; }
    HWND bar() const { return bar_; }
    // The window standing in the toolbar for a slider or the width box; null otherwise.
    HWND Control(int id) const;
    // The popup of a colour button; null for other ids.
    const CColourPopup* Popup(int button_id) const;

    // Top-left corner at the edit window's bottom-left corner, in screen coordinates.
    void PlaceUnder();
    // Every control from the placement; Undo and Redo as the history allows.
    void Update(const EditPlacement& placement, bool can_undo, bool can_redo);
    // Each message of the edit window, before the window handles it; an answer ends it.
    std::optional<LRESULT> Offer(UINT message, WPARAM wParam, LPARAM lParam);

    // The edit window is going. Outside a colour dialog the toolbar goes at once; inside
    // one its caller is still on the stack, so it hides, and goes when the dialog returns,
    // applying nothing.
    static void Dismiss(std::unique_ptr<CEditToolbar> toolbar);

private:
    static LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK BarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self);
    std::optional<LRESULT> OnFrameMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void BuildBar(HINSTANCE module);
    void OnSlider(HWND slider, int code);
    void OnWidthBoxChange(HWND box);
    void OpenPopup(int button_id);
    void OnPopupChoice(int button_id, int entry_id, uint32_t swatch_colorref);
    void ShowColour(int button_id);
    const char* Tooltip(int id) const;

    HWND edit_window_ = nullptr;
    HWND frame_ = nullptr;
    HWND bar_ = nullptr;
    Apply apply_;
    PickScreenColour pick_screen_colour_;
    std::unique_ptr<CToolbarImages> images_;
    const std::vector<SwatchGroup> gallery_ = ColourGallery();
    CColourSelections selections_;
    std::map<int, HWND> controls_;
    std::map<int, std::unique_ptr<CColourPopup>> popups_;
    std::map<int, std::optional<uint32_t>> shown_colours_;
    std::map<int, std::string> tooltips_;
    bool setting_controls_ = false;  // the update, not the user, is changing them
    bool in_dialog_ = false, dismissed_ = false;
};

}  // namespace editwnd
