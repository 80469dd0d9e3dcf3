#include "platform/loader_pipe.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

bool SocketAddress(const std::string& path, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (path.size() >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// Waits for the socket to be ready for events; false on timeout or error.
bool WaitFor(int fd, short events, Clock::time_point deadline, bool forever) {
    for (;;) {
        int ms = -1;
        if (!forever) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) return false;
            ms = static_cast<int>(left);
        }
        pollfd p{fd, events, 0};
        const int r = poll(&p, 1, ms);
        if (r > 0) return true;
        if (r < 0 && errno != EINTR) return false;
    }
}

}  // namespace

std::string LoaderPipeName(const std::string& base, int number) {
    return "/tmp/" + base + std::to_string(number) + ".sock";
}

PipeEnd::PipeEnd(intptr_t handle) : handle_(handle) {}

PipeEnd::~PipeEnd() {
    shutdown(static_cast<int>(handle_), SHUT_RDWR);
    close(static_cast<int>(handle_));
}

bool PipeEnd::Fail() {
    // The peer sees the end of the stream, and nothing more goes either way.
    if (!broken_) shutdown(static_cast<int>(handle_), SHUT_RDWR);
    broken_ = true;
    return false;
}

std::unique_ptr<PipeEnd> PipeEnd::Connect(const std::string& name) {
    sockaddr_un addr;
    if (!SocketAddress(name, addr)) return nullptr;
    // Not inherited: a loader started later must not keep another loader's stream open.
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return nullptr;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return nullptr;
    }
    return std::unique_ptr<PipeEnd>(new PipeEnd(fd));
}

bool PipeEnd::Write(const void* data, size_t size, int timeout_ms) {
    if (broken_) return false;
    const int fd = static_cast<int>(handle_);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms);
    const auto* p = static_cast<const uint8_t*>(data);
    while (size) {
        if (!WaitFor(fd, POLLOUT, deadline, timeout_ms < 0)) return Fail();
        const ssize_t n = send(fd, p, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return Fail();
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool PipeEnd::Read(void* data, size_t size, int timeout_ms) {
    if (broken_) return false;
    const int fd = static_cast<int>(handle_);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms);
    auto* p = static_cast<uint8_t*>(data);
    while (size) {
        if (!WaitFor(fd, POLLIN, deadline, timeout_ms < 0)) return Fail();
        const ssize_t n = recv(fd, p, size, MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return Fail();  // 0: the peer went before the whole block came
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

size_t PipeEnd::Waiting() {
    int count = 0;
    if (broken_ || ioctl(static_cast<int>(handle_), FIONREAD, &count) != 0 || count < 0) return 0;
    return static_cast<size_t>(count);
}

std::unique_ptr<PipeListener> PipeListener::Create(const std::string& name) {
    sockaddr_un addr;
    if (!SocketAddress(name, addr)) return nullptr;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return nullptr;
    unlink(name.c_str());  // a socket file left by a loader that died
    if (bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 1) != 0) {
        close(fd);
        return nullptr;
    }
    return std::unique_ptr<PipeListener>(new PipeListener(fd, name));
}

PipeListener::~PipeListener() {
    close(static_cast<int>(handle_));
    unlink(name_.c_str());
}

std::unique_ptr<PipeEnd> PipeListener::Accept(int timeout_ms) {
    const int fd = static_cast<int>(handle_);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms);
    if (!WaitFor(fd, POLLIN, deadline, timeout_ms < 0)) return nullptr;
    const int client = accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) return nullptr;
    // One connection per loader: the name is gone once it is taken.
    unlink(name_.c_str());
    return std::unique_ptr<PipeEnd>(new PipeEnd(client));
}

}  // namespace platform
