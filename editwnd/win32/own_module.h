// The module whose resources and window classes the edit window's code uses.
#pragma once

#include <windows.h>

namespace editwnd {

// The module holding this code: the DLL in a host, the program in a static test.
HINSTANCE OwnModule();

}  // namespace editwnd
