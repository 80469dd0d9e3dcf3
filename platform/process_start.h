#pragma once

#include <string>
#include <vector>

namespace platform {

// The loader program's file name beside the host executable.
extern const char* const kLoaderProgramName;

// The folder of this process's executable, with its trailing separator.
std::string ExecutableFolder();

// Starts program in folder with the two loader arguments and does not wait for it.
// On POSIX the children are reaped here once they exited, so none stays a zombie.
class ProgramStarter {
public:
    ProgramStarter(std::string program, std::string folder) : program_(std::move(program)), folder_(std::move(folder)) {}
    ~ProgramStarter();
    ProgramStarter(const ProgramStarter&) = delete;
    ProgramStarter& operator=(const ProgramStarter&) = delete;

    bool Start(const std::string& name, int number);

private:
    void Reap(int wait_ms);
    std::string program_, folder_;
    std::vector<int> children_;  // POSIX process ids not yet reaped
};

}  // namespace platform
