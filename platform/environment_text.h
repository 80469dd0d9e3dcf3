#pragma once

#include <string>

namespace platform {

// The value of an environment variable, empty when it is not set. On Windows it is
// read from the process's environment block, which a host's SetEnvironmentVariable
// changes, not from a runtime's copy made at start.
std::string EnvironmentText(const char* name);

}  // namespace platform
