#include "platform/environment_text.h"

#include <cstdlib>

namespace platform {

std::string EnvironmentText(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace platform
