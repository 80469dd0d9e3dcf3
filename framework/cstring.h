// The string class host records carry, in the MFC 4.2 layout: one pointer to the
// characters, preceded by a reference count, the length and the allocation length.
// Copies share the buffer by count; the shared empty string is never freed.
#pragma once

#include <cstddef>
#include <cstdint>

struct CStringData {
    int32_t refs;          // -1 for the shared empty string and for locked buffers
    int32_t length;        // characters, without the terminator
    int32_t alloc_length;  // characters the buffer holds, without the terminator

    char* Chars() { return reinterpret_cast<char*>(this + 1); }
};
static_assert(sizeof(CStringData) == 12);

class CString {
public:
    CString();
    CString(const char* s);  // null is taken as empty
    CString(const CString& other);
    CString& operator=(const CString& other);
    CString& operator=(const char* s);
    ~CString();

    int GetLength() const { return Data()->length; }
    bool IsEmpty() const { return GetLength() == 0; }
    operator const char*() const { return chars_; }
    const char* c_str() const { return chars_; }

    // What the buffer's header says; for tests of the sharing rules.
    int32_t RefCount() const { return Data()->refs; }

private:
    CStringData* Data() const { return reinterpret_cast<CStringData*>(chars_) - 1; }
    void Release();
    void AssignCopy(const char* s, size_t length);

    char* chars_;
};

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(CString) == 4);
#endif
