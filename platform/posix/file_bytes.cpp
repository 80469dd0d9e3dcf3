#include "platform/file_bytes.h"

#include <cstdio>
#include <memory>

namespace platform {

bool ReadFileAnsiName(const char* name, std::vector<uint8_t>& bytes) {
    bytes.clear();
    if (!name) return false;
    const std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(name, "rb"), &std::fclose);
    if (!f) return false;
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof(chunk), f.get())) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    return !std::ferror(f.get());
}

}  // namespace platform
