// The object behind a window of ours: passed as the creation parameter, kept in the
// window's user data from WM_NCCREATE on, its handle member set as the window is made.
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

}  // namespace editwnd
