#include "platform/message_box.h"

#include <windows.h>

namespace platform {

void ShowMessage(const char* text) { MessageBoxA(nullptr, text, nullptr, MB_OK); }

}  // namespace platform
