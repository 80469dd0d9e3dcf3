#include "platform/loader_pipe.h"

#include <windows.h>

namespace platform {

namespace {

HANDLE H(intptr_t h) { return reinterpret_cast<HANDLE>(h); }
intptr_t I(HANDLE h) { return reinterpret_cast<intptr_t>(h); }

// One overlapped transfer finished within the time, or cancelled; the bytes it moved.
bool Finish(HANDLE pipe, OVERLAPPED& ov, BOOL started, int timeout_ms, DWORD& moved) {
    if (!started && GetLastError() != ERROR_IO_PENDING) return false;
    const DWORD wait = timeout_ms < 0 ? INFINITE : static_cast<DWORD>(timeout_ms);
    if (WaitForSingleObject(ov.hEvent, wait) != WAIT_OBJECT_0) {
        // Cancelled transfers still own the buffer until they are done.
        CancelIo(pipe);
        GetOverlappedResult(pipe, &ov, &moved, TRUE);
        return false;
    }
    return GetOverlappedResult(pipe, &ov, &moved, FALSE) != 0;
}

}  // namespace

std::string LoaderPipeName(const std::string& base, int number) {
    return "\\\\.\\pipe\\" + base + std::to_string(number);
}

PipeEnd::PipeEnd(intptr_t handle) : handle_(handle), event_(I(CreateEventA(nullptr, TRUE, FALSE, nullptr))) {
    if (!event_) Fail();
}

PipeEnd::~PipeEnd() {
    if (!broken_) {
        DisconnectNamedPipe(H(handle_));
        CloseHandle(H(handle_));
    }
    if (event_) CloseHandle(H(event_));
}

bool PipeEnd::Fail() {
    // Closed at once, as the other end of a socket is shut: a loader still reading sees
    // its connection end and leaves, rather than waiting for a request that never comes.
    if (!broken_) {
        DisconnectNamedPipe(H(handle_));
        CloseHandle(H(handle_));
    }
    broken_ = true;
    return false;
}

std::unique_ptr<PipeEnd> PipeEnd::Connect(const std::string& name) {
    const HANDLE pipe = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_OVERLAPPED, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) return nullptr;
    return std::unique_ptr<PipeEnd>(new PipeEnd(I(pipe)));
}

bool PipeEnd::Write(const void* data, size_t size, int timeout_ms) {
    if (broken_) return false;
    const auto* p = static_cast<const uint8_t*>(data);
    while (size) {
        OVERLAPPED ov{};
        ov.hEvent = H(event_);
        ResetEvent(ov.hEvent);
        DWORD moved = 0;
        const BOOL started = WriteFile(H(handle_), p, static_cast<DWORD>(size), nullptr, &ov);
        if (!Finish(H(handle_), ov, started, timeout_ms, moved) || moved == 0) return Fail();
        p += moved;
        size -= moved;
    }
    return true;
}

bool PipeEnd::Read(void* data, size_t size, int timeout_ms) {
    if (broken_) return false;
    auto* p = static_cast<uint8_t*>(data);
    while (size) {
        OVERLAPPED ov{};
        ov.hEvent = H(event_);
        ResetEvent(ov.hEvent);
        DWORD moved = 0;
        const BOOL started = ReadFile(H(handle_), p, static_cast<DWORD>(size), nullptr, &ov);
        if (!Finish(H(handle_), ov, started, timeout_ms, moved) || moved == 0) return Fail();
        p += moved;
        size -= moved;
    }
    return true;
}

size_t PipeEnd::Waiting() {
    DWORD count = 0;
    if (broken_ || !PeekNamedPipe(H(handle_), nullptr, 0, nullptr, &count, nullptr)) return 0;
    return count;
}

std::unique_ptr<PipeListener> PipeListener::Create(const std::string& name) {
    const HANDLE pipe = CreateNamedPipeA(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                         PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 65536, 65536, 0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) return nullptr;
    return std::unique_ptr<PipeListener>(new PipeListener(I(pipe), name));
}

PipeListener::~PipeListener() {
    if (handle_ != -1) CloseHandle(H(handle_));
}

std::unique_ptr<PipeEnd> PipeListener::Accept(int timeout_ms) {
    if (handle_ == -1) return nullptr;
    const HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!event) return nullptr;
    OVERLAPPED ov{};
    ov.hEvent = event;
    bool connected = ConnectNamedPipe(H(handle_), &ov) != 0 || GetLastError() == ERROR_PIPE_CONNECTED;
    if (!connected && GetLastError() == ERROR_IO_PENDING) {
        DWORD unused = 0;
        connected = Finish(H(handle_), ov, FALSE, timeout_ms, unused);
    }
    CloseHandle(event);
    if (!connected) return nullptr;
    // The one instance becomes the connection; the name is gone with it.
    const intptr_t handle = handle_;
    handle_ = -1;
    return std::unique_ptr<PipeEnd>(new PipeEnd(handle));
}

}  // namespace platform
