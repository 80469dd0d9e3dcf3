#include "platform/process_start.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>

namespace platform {

const char* const kLoaderProgramName = "Sondrel.exe";

std::string ExecutableFolder() {
    char path[MAX_PATH + 1] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::string();
    const std::string full(path, n);
    const size_t slash = full.rfind('\\');
    return slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
}

ProgramStarter::~ProgramStarter() = default;

bool ProgramStarter::Start(const std::string& name, int number) {
    char parameters[256];
    std::snprintf(parameters, sizeof parameters, "%s %d", name.c_str(), number);
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpFile = program_.c_str();
    info.lpParameters = parameters;
    info.lpDirectory = folder_.c_str();
    info.nShow = SW_HIDE;
    if (!ShellExecuteExA(&info)) return false;
    // Not waited for: the loader lives on its own until its connection closes.
    if (info.hProcess) CloseHandle(info.hProcess);
    return true;
}

void ProgramStarter::Reap(int) {}  // Windows keeps no zombies

}  // namespace platform
