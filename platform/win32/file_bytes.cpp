#include "platform/file_bytes.h"

#include <windows.h>

#include <memory>
#include <string>

namespace platform {

bool ReadFileAnsiName(const char* name, std::vector<uint8_t>& bytes) {
    bytes.clear();
    if (!name) return false;
    const int wide_length = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, name, -1, nullptr, 0);
    if (wide_length <= 0) return false;
    std::wstring wide(static_cast<size_t>(wide_length), L'\0');
    if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, name, -1, wide.data(), wide_length) <= 0) return false;

    HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const std::unique_ptr<void, BOOL(WINAPI*)(HANDLE)> closer(h, &CloseHandle);
    uint8_t chunk[65536];
    DWORD got = 0;
    for (;;) {
        if (!ReadFile(h, chunk, sizeof(chunk), &got, nullptr)) return false;
        if (got == 0) return true;
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
}

}  // namespace platform
