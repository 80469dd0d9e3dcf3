#include "platform/lock.h"

#include <pthread.h>

namespace platform {

struct Lock::Impl {
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
};

Lock::Lock() : impl_(new Impl) {}
Lock::~Lock() { pthread_mutex_destroy(&impl_->mutex); }
void Lock::lock() { pthread_mutex_lock(&impl_->mutex); }
void Lock::unlock() { pthread_mutex_unlock(&impl_->mutex); }

}  // namespace platform
