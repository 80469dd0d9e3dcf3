#include "platform/shared_area.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace platform {

namespace {

std::string LinkPath(const std::string& name) { return "/dev/shm/" + name; }

}  // namespace

std::unique_ptr<SharedArea> SharedArea::Create(const std::string& name, size_t size) {
    const int fd = memfd_create(name.substr(0, 200).c_str(), MFD_CLOEXEC);
    if (fd < 0) return nullptr;
    std::unique_ptr<SharedArea> area(new SharedArea);
    area->handle_ = fd;
    area->link_ = LinkPath(name);
    if (ftruncate(fd, static_cast<off_t>(size)) != 0) return nullptr;
    void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (p == MAP_FAILED) return nullptr;
    area->data_ = static_cast<uint8_t*>(p);
    area->size_ = size;
    if (!area->Publish()) return nullptr;
    return area;  // a new memory file is zero-filled
}

bool SharedArea::Publish() {
    if (published_) return true;
    const std::string target = "/proc/" + std::to_string(getpid()) + "/fd/" + std::to_string(handle_);
    unlink(link_.c_str());  // a link left by a process that died before it took it away
    published_ = symlink(target.c_str(), link_.c_str()) == 0;
    return published_;
}

void SharedArea::Unpublish() {
    if (published_) unlink(link_.c_str());
    published_ = false;
}

std::unique_ptr<SharedArea> SharedArea::Open(const std::string& name, size_t size) {
    const int fd = open(LinkPath(name).c_str(), O_RDWR | O_CLOEXEC);
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
    Unpublish();
    if (data_) munmap(data_, size_);
    if (handle_ >= 0) close(static_cast<int>(handle_));
}

}  // namespace platform
