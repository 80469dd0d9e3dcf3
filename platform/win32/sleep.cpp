#include "platform/sleep.h"

#include <windows.h>

namespace platform {

void SleepMilliseconds(int ms) { Sleep(ms < 0 ? 0 : static_cast<DWORD>(ms)); }

}  // namespace platform
