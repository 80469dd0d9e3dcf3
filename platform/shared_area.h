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

}  // namespace platform
