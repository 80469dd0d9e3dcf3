#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// A block of memory two processes map: a paging-file backed file mapping on Windows,
// named as long as any process holds it. Elsewhere an anonymous memory file, gone with
// the last process that maps it however that process ends, reached by name only while
// published: a link "/dev/shm/<name>" to the creator's descriptor of it.
class SharedArea {
public:
    // Makes the area, published (on Windows: or takes the one that exists under the
    // name), and zero-fills it.
    static std::unique_ptr<SharedArea> Create(const std::string& name, size_t size);
    // Maps an area another process made.
    static std::unique_ptr<SharedArea> Open(const std::string& name, size_t size);
    ~SharedArea();
    SharedArea(const SharedArea&) = delete;
    SharedArea& operator=(const SharedArea&) = delete;

    // The name while a new loader opens the area; no-ops on Windows.
    bool Publish();
    void Unpublish();

    uint8_t* data() const { return data_; }
    size_t size() const { return size_; }

private:
    SharedArea() = default;
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
    intptr_t handle_ = -1;  // the mapping object
    std::string link_;  // POSIX: the name's link
    bool published_ = false;
};

// The name this process's loader channel (its area and its loaders' pipes) goes by. On
// Windows the name itself: a mapping lives while any process holds it. Elsewhere the
// name and the process id: two processes of one host (its render workers) must not
// share or remove each other's area. Loaders are told the name on their command line.
std::string ProcessChannelName(const std::string& name);

}  // namespace platform
