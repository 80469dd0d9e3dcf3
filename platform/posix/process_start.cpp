#include "platform/process_start.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "platform/sleep.h"

extern char** environ;

namespace platform {

const char* const kLoaderProgramName = "sondrel";

std::string ExecutableFolder() {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return std::string();
    const std::string full(path, static_cast<size_t>(n));
    const size_t slash = full.rfind('/');
    return slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
}

bool ProgramStarter::Start(const std::string& name, int number) {
    Reap(0);
    const std::string n = std::to_string(number);
    char* argv[] = {const_cast<char*>(program_.c_str()), const_cast<char*>(name.c_str()), const_cast<char*>(n.c_str()),
                    nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!folder_.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder_.c_str());
    pid_t pid = 0;
    const int r = posix_spawn(&pid, program_.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (r != 0) return false;
    children_.push_back(pid);
    return true;
}

// Collects children that exited, waiting up to wait_ms for the rest.
void ProgramStarter::Reap(int wait_ms) {
    for (int waited = 0;; waited += 10) {
        std::erase_if(children_, [](int pid) { return waitpid(pid, nullptr, WNOHANG) != 0; });
        if (children_.empty() || waited >= wait_ms) return;
        SleepMilliseconds(10);
    }
}

// Loaders end once their connection is closed, which happens just before this.
ProgramStarter::~ProgramStarter() { Reap(2000); }

}  // namespace platform
