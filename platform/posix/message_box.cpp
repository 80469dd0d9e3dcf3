#include "platform/message_box.h"

#include <cstdio>

namespace platform {

void ShowMessage(const char* text) { std::fprintf(stderr, "%s\n", text); }

}  // namespace platform
