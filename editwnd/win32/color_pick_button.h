// The colour picker's button: shows a colour and, when pressed, opens the palette popup
// from which a colour is taken from the grid or anywhere on the screen. A window class
// of its own, so that a dialog template can name it; the object lives with its window.
#pragma once

#include <windows.h>

#include <cstdint>

#include "editwnd/win32/window_object.h"
#include "resources/resource.h"

namespace editwnd {

constexpr char kColorPickButtonClass[] = FERRULE_COLOR_PICK_BUTTON_CLASS;

class CColorPickButton {
public:
    // Registers the class in this module; true only when this call registered it.
    static bool Register();
    static void Unregister();
    // The object behind a window of the class; null for any other window.
    static CColorPickButton* FromWindow(HWND hwnd);

    CColorPickButton(const CColorPickButton&) = delete;
    CColorPickButton& operator=(const CColorPickButton&) = delete;

    // Takes colour, tells the parent with the button's click notification, shows the
    // colour's text in the text window if there is one, and repaints.
    void SetColour(uint32_t colour);
    uint32_t Colour() const { return colour_; }
    // A window whose text follows the colour as "#RRGGBB"; null for none.
    void SetTextWindow(HWND text_window) { text_window_ = text_window; }

    HWND hwnd() const { return hwnd_; }
    HWND popup() const { return popup_; }
    bool popup_open() const { return popup_open_ != 0; }
    HCURSOR picking_cursor() const { return picking_cursor_; }

private:
    template <class T, class Make>
    friend LRESULT DispatchToOwnedObject(HWND, UINT, WPARAM, LPARAM, Make);

    explicit CColorPickButton(HWND hwnd);
    ~CColorPickButton();
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void OnLeftButtonDown(POINT client);
    void OnRelease(uint32_t colour);
    void OnMoreColours();
    void OnSetCursor(LPARAM lParam) const;
    void ClosePopup();
    void Paint();

    HWND hwnd_;
    uint32_t colour_;
    HWND text_window_ = nullptr;
    HWND popup_ = nullptr;
    int32_t popup_open_ = 0;
    HCURSOR picking_cursor_ = nullptr;
};

}  // namespace editwnd
