#include "platform/shared_area.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace platform {

namespace {

std::string ObjectName(const std::string& name) { return "/" + name; }

}  // namespace

std::unique_ptr<SharedArea> SharedArea::Create(const std::string& name, size_t size) {
    const std::string object = ObjectName(name);
    const int fd = shm_open(object.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    std::unique_ptr<SharedArea> area(new SharedArea);
    area->handle_ = fd;
    area->unlink_name_ = object;
    if (ftruncate(fd, static_cast<off_t>(size)) != 0) return nullptr;
    void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (p == MAP_FAILED) return nullptr;
    area->data_ = static_cast<uint8_t*>(p);
    area->size_ = size;
    std::memset(area->data_, 0, size);
    return area;
}

std::unique_ptr<SharedArea> SharedArea::Open(const std::string& name, size_t size) {
    const int fd = shm_open(ObjectName(name).c_str(), O_RDWR | O_CLOEXEC, 0);
    if (fd < 0) return nullptr;
    std::unique_ptr<SharedArea> area(new SharedArea);
    area->handle_ = fd;
    struct stat st {};
    if (fstat(fd, &st) != 0 || static_cast<size_t>(st.st_size) < size) return nullptr;
    void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (p == MAP_FAILED) return nullptr;
    area->data_ = static_cast<uint8_t*>(p);
    area->size_ = size;
    return area;
}

std::string ProcessChannelName(const std::string& name) { return name + "." + std::to_string(getpid()); }

SharedArea::~SharedArea() {
    if (data_) munmap(data_, size_);
    if (handle_ >= 0) close(static_cast<int>(handle_));
    if (!unlink_name_.empty()) shm_unlink(unlink_name_.c_str());
}

}  // namespace platform
