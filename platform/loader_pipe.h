// The byte stream between the library and one loader program: a named pipe on
// Windows, a Unix-domain stream socket elsewhere (path: /tmp/<base><number>.sock).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// "\\.\pipe\<base><number>" on Windows, the socket path elsewhere.
std::string LoaderPipeName(const std::string& base, int number);

// One connected end. Every transfer is whole or a failure; after a failure (error,
// timeout, short transfer) the end is out of step with its peer and refuses all
// further transfers, so a late answer can never be taken for the next one.
class PipeEnd {
public:
    // One attempt to reach a listening loader; null when none listens (yet).
    static std::unique_ptr<PipeEnd> Connect(const std::string& name);
    // Disconnects and closes.
    ~PipeEnd();
    PipeEnd(const PipeEnd&) = delete;
    PipeEnd& operator=(const PipeEnd&) = delete;

    // timeout_ms < 0 waits as long as it takes.
    bool Write(const void* data, size_t size, int timeout_ms);
    bool Read(void* data, size_t size, int timeout_ms);
    // The bytes that came and are not read yet; 0 on a broken end.
    size_t Waiting();
    // True once a transfer failed: nothing more goes either way.
    bool Broken() const { return broken_; }

private:
    friend class PipeListener;
    explicit PipeEnd(intptr_t handle);
    bool Fail();

    intptr_t handle_;
    intptr_t event_ = 0;  // Windows: the event overlapped transfers wait on
    bool broken_ = false;
};

// The loader program's side: creates the name and takes one connection.
class PipeListener {
public:
    static std::unique_ptr<PipeListener> Create(const std::string& name);
    ~PipeListener();
    PipeListener(const PipeListener&) = delete;
    PipeListener& operator=(const PipeListener&) = delete;

    // Null when nobody connected within the time.
    std::unique_ptr<PipeEnd> Accept(int timeout_ms);

private:
    PipeListener(intptr_t handle, std::string name) : handle_(handle), name_(std::move(name)) {}
    intptr_t handle_;
    std::string name_;
};

}  // namespace platform
