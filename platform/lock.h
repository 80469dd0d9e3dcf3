#pragma once

#include <memory>

namespace platform {

// A process-local mutual exclusion: a critical section on Windows (the win32 thread
// model of the product has no std::mutex), a pthread mutex elsewhere. Not recursive.
class Lock {
public:
    Lock();
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

    void lock();
    void unlock();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
