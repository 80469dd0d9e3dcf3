#include "framework/cstring.h"

#include <cstring>
#include <new>

namespace {

// The one empty string every CString starts as. It is never written: its count stays
// at -1 and no operation frees it.
struct EmptyString {
    CStringData header;
    char terminator;
};
const EmptyString kEmptyString{{-1, 0, 0}, '\0'};

char* EmptyChars() { return const_cast<CStringData&>(kEmptyString.header).Chars(); }

// A buffer from another module's empty string has no storage either; it is recognised
// by its header so that it is never freed into our heap.
bool IsStaticEmpty(const CStringData* d) {
    return d == &kEmptyString.header || (d->refs < 0 && d->alloc_length == 0);
}

int32_t AddRef(CStringData* d, int32_t delta) { return __atomic_add_fetch(&d->refs, delta, __ATOMIC_ACQ_REL); }

}  // namespace

CString::CString() : chars_(EmptyChars()) {}

CString::CString(const char* s) : chars_(EmptyChars()) {
    if (s) AssignCopy(s, std::strlen(s));
}

CString::CString(const CString& other) : chars_(EmptyChars()) {
    CStringData* d = other.Data();
    if (d->refs >= 0) {
        chars_ = other.chars_;
        AddRef(d, 1);
    } else {
        AssignCopy(other.chars_, static_cast<size_t>(d->length));
    }
}

CString& CString::operator=(const CString& other) {
    if (chars_ == other.chars_) return *this;
    CStringData* mine = Data();
    CStringData* theirs = other.Data();
    if ((mine->refs < 0 && !IsStaticEmpty(mine)) || theirs->refs < 0) {
        // A locked buffer is never shared, whichever side holds it.
        AssignCopy(other.chars_, static_cast<size_t>(theirs->length));
    } else {
        Release();
        chars_ = other.chars_;
        AddRef(theirs, 1);
    }
    return *this;
}

CString& CString::operator=(const char* s) {
    AssignCopy(s ? s : "", s ? std::strlen(s) : 0);
    return *this;
}

CString::~CString() { Release(); }

void CString::Release() {
    CStringData* d = Data();
    if (!IsStaticEmpty(d) && AddRef(d, -1) <= 0) ::operator delete(d);
    chars_ = EmptyChars();
}

void CString::AssignCopy(const char* s, size_t length) {
    if (length == 0) {
        Release();
        return;
    }
    CStringData* d = Data();
    // A buffer of our own, not shared and big enough, is reused as MFC reuses it; s may
    // point into it only when it is the same string, which operator= ruled out.
    if (IsStaticEmpty(d) || d->refs > 1 || d->alloc_length < static_cast<int32_t>(length)) {
        auto* fresh = static_cast<CStringData*>(::operator new(sizeof(CStringData) + length + 1));
        fresh->refs = 1;
        fresh->length = static_cast<int32_t>(length);
        fresh->alloc_length = static_cast<int32_t>(length);
        std::memcpy(fresh->Chars(), s, length);
        fresh->Chars()[length] = '\0';
        Release();
        chars_ = fresh->Chars();
        return;
    }
    std::memmove(chars_, s, length);
    chars_[length] = '\0';
    d->length = static_cast<int32_t>(length);
}
