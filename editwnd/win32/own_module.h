// The module that holds the edit window's code and resources: Ferrule.dll in a host,
// the program itself in a statically linked test.
#pragma once

#include <windows.h>

namespace editwnd {

HINSTANCE OwnModule();

}  // namespace editwnd
