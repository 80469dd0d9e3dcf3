// The growable array inside host records, as the host's runtime lays it out: a word
// nobody reads or writes, then the first element, one past the last element and one
// past the end of the storage. The library's own copies use the same layout and own
// their storage; a host's array is only read through first/last.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

template <class T>
class HostArray {
public:
    HostArray() = default;
    HostArray(const HostArray&) = delete;
    HostArray& operator=(const HostArray&) = delete;
    ~HostArray() { Free(); }

    size_t size() const { return first_ ? static_cast<size_t>(last_ - first_) : 0; }
    bool empty() const { return size() == 0; }
    T* begin() const { return first_; }
    T* end() const { return first_ ? last_ : first_; }
    T& operator[](size_t i) const { return first_[i]; }

    void PushBack(const T& value) {
        if (last_ == end_) Grow(size() == 0 ? 4 : size() * 2);
        new (last_) T(value);
        ++last_;
    }
    // Removes the first element, moving the rest down.
    void EraseFront() {
        if (empty()) return;
        for (T* p = first_; p + 1 < last_; ++p) *p = std::move(p[1]);
        --last_;
        last_->~T();
    }
    // Elements destroyed, storage kept.
    void Clear() {
        while (last_ != first_) (--last_)->~T();
    }
    // The elements of [from, to) copied in, after what was there was cleared.
    void Assign(const T* from, const T* to) {
        Clear();
        if (from && to > from && static_cast<size_t>(to - from) > Capacity()) Grow(static_cast<size_t>(to - from));
        for (const T* p = from; p && p < to; ++p) PushBack(*p);
    }
    void Assign(const HostArray& other) { Assign(other.begin(), other.end()); }

private:
    size_t Capacity() const { return first_ ? static_cast<size_t>(end_ - first_) : 0; }
    void Grow(size_t capacity) {
        T* storage = static_cast<T*>(::operator new(capacity * sizeof(T)));
        T* out = storage;
        for (T* p = first_; p != last_; ++p, ++out) {
            new (out) T(std::move(*p));
            p->~T();
        }
        ::operator delete(first_);
        first_ = storage;
        last_ = out;
        end_ = storage + capacity;
    }
    void Free() {
        Clear();
        ::operator delete(first_);
        first_ = last_ = end_ = nullptr;
    }

    void* unused_ = nullptr;  // the host runtime's allocator word; never read
    T* first_ = nullptr;
    T* last_ = nullptr;
    T* end_ = nullptr;
};

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(HostArray<void*>) == 16);
#endif
