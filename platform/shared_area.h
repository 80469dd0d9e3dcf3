#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// A named block of memory two processes map: a paging-file backed file mapping on
// Windows, a POSIX shared-memory object ("/" + name) elsewhere.
class SharedArea {
public:
    // Makes the area (or takes the one that exists under the name) and zero-fills it.
    static std::unique_ptr<SharedArea> Create(const std::string& name, size_t size);
    // Maps an area another process made.
    static std::unique_ptr<SharedArea> Open(const std::string& name, size_t size);
    ~SharedArea();
    SharedArea(const SharedArea&) = delete;
    SharedArea& operator=(const SharedArea&) = delete;

    uint8_t* data() const { return data_; }
    size_t size() const { return size_; }

private:
    SharedArea() = default;
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
    intptr_t handle_ = -1;  // the mapping object
    std::string unlink_name_;  // POSIX: the creator removes the name again
};

// The name this process's loader channel (its area and its loaders' pipes) goes by. On
// Windows the name itself: a mapping lives while any process holds it. Elsewhere the
// name and the process id, since a POSIX name is removed for everyone when its creator
// goes: two processes of one host (its render workers) must not share or remove each
// other's area. Loaders are told the name on their command line.
std::string ProcessChannelName(const std::string& name);

}  // namespace platform
