// The object behind a window of ours, kept in the window's user data from WM_NCCREATE
// on: one the window's maker owns (passed as the creation parameter, its handle member
// set as the window is made), or one the window owns.
#pragma once

#include <windows.h>

namespace editwnd {

// The object for this message, or null before WM_NCCREATE (WM_GETMINMAXINFO comes first).
template <class T>
T* WindowObject(HWND hwnd, UINT message, LPARAM lParam, HWND T::*handle) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->*handle = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    return reinterpret_cast<T*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

// For a window that owns its object: make(create parameters) at WM_NCCREATE, the
// object's Handle for every message after, and the object deleted at WM_NCDESTROY. An
// object only its window may delete names this its friend.
template <class T, class Make>
LRESULT DispatchToOwnedObject(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, Make make) {
    if (message == WM_NCCREATE) {
        T* made = make(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(made));
    }
    auto* self = reinterpret_cast<T*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        delete self;
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    return self->Handle(message, wParam, lParam);
}

}  // namespace editwnd
