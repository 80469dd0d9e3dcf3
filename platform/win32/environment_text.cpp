#include "platform/environment_text.h"

#include <windows.h>

namespace platform {

std::string EnvironmentText(const char* name) {
    char small[64];
    const DWORD n = GetEnvironmentVariableA(name, small, sizeof small);
    if (n < sizeof small) return std::string(small, n);  // 0: not set
    std::string value(n, '\0');  // n counts the terminator here
    const DWORD got = GetEnvironmentVariableA(name, value.data(), n);
    value.resize(got < n ? got : 0);
    return value;
}

}  // namespace platform
