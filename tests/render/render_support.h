// What the ferrule-render suites share: scratch folders, the program run as a user
// runs it, and PNG files read back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace rtest {

using test::TempDir;

struct Run {
    int status = -1;  // the exit status, or -1 when it did not exit
    std::string output, errors;  // its standard output and standard error
};
// ferrule-render with these arguments (shell-quoted here).
Run RunRender(const std::vector<std::string>& args);

struct Png {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // top-down
};
Png ReadPng(const std::string& path);

}  // namespace rtest
