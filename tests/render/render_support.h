// What the ferrule-render suites share: a scratch folder, the program run as a user
// runs it, and PNG files read back.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace rtest {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }
    std::vector<std::string> Names() const;  // what it holds, sorted

private:
    std::filesystem::path path_;
};

void WriteText(const std::string& path, const std::string& text);

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
