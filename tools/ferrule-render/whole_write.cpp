#include "whole_write.h"

#include <unistd.h>

#include <cerrno>

namespace render {

int WriteWholeAndClose(int fd, const void* data, size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    size_t done = 0;
    errno = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, bytes + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    int error = done < size ? (errno ? errno : ENOSPC) : 0;
    if (::close(fd) != 0 && !error) error = errno;
    return error;
}

}  // namespace render
