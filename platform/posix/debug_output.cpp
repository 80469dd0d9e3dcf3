#include "platform/debug_output.h"

#include <cstdio>
#include <cstdlib>

namespace platform {

void DebugOutput(const char* text) {
    if (std::getenv("FERRULE_DEBUG_OUTPUT")) std::fputs(text, stderr);
}

}  // namespace platform
