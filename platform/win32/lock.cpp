#include "platform/lock.h"

#include <windows.h>

namespace platform {

struct Lock::Impl {
    CRITICAL_SECTION section;
};

Lock::Lock() : impl_(new Impl) { InitializeCriticalSection(&impl_->section); }
Lock::~Lock() { DeleteCriticalSection(&impl_->section); }
void Lock::lock() { EnterCriticalSection(&impl_->section); }
void Lock::unlock() { LeaveCriticalSection(&impl_->section); }

}  // namespace platform
