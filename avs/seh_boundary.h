// MSVC exceptions across the 32-bit boundary. On i686 Windows the frame server and the
// host raise C++ exceptions through SEH (RaiseException 0xE06D7363), while our frames
// unwind by DWARF tables that SEH never reads: such an exception would pass over our
// frames and skip every destructor. So each call out to the other side is guarded
// (CallOut: the exception becomes a ForeignException thrown here, and our frames
// unwind as usual) and each entry from the other side raises it again as MSVC would
// (Entry). Elsewhere both are plain calls.
#pragma once

#include <cstdint>
#include <new>
#include <type_traits>

#if defined(_WIN32) && defined(__i386__)
#define AVS_SEH_GUARDS 1
#else
#define AVS_SEH_GUARDS 0
#endif

namespace msvc {
struct ThrowInfo;
}

namespace avs {

#if AVS_SEH_GUARDS
// An MSVC C++ exception caught at a guard: our copy of the thrown object and what
// describes it.
class ForeignException {
public:
    ForeignException(uintptr_t magic, const msvc::ThrowInfo* info, void* object)
        : magic_(magic), info_(info), object_(object) {}
    ForeignException(ForeignException&& other) noexcept;
    ForeignException(const ForeignException&) = delete;
    ForeignException& operator=(const ForeignException&) = delete;
    ~ForeignException();

    // Raises the exception again, with a copy of the object in this frame, where an
    // MSVC catcher finds it intact: its catch block runs before the stack unwinds.
    [[noreturn]] void RaiseAgain();

private:
    uintptr_t magic_;
    const msvc::ThrowInfo* info_;
    void* object_;  // malloc'd; null once handed on
};

// Runs call(context) under an SEH registration; an MSVC C++ exception raised below
// comes out of here as a ForeignException.
void CallGuarded(void (*call)(void*), void* context);
#endif

// A call to the other side. Results are what raw virtuals return: pointers, flags, words.
template <class F>
auto CallOut(F&& f) -> decltype(f()) {
#if AVS_SEH_GUARDS
    using F0 = std::remove_reference_t<F>;
    using R = decltype(f());
    if constexpr (std::is_void_v<R>) {
        CallGuarded([](void* p) { (*static_cast<F0*>(p))(); }, &f);
    } else {
        static_assert(std::is_trivially_copyable_v<R>);
        struct Call {
            F0& f;
            R result;
        } call{f, R{}};
        CallGuarded([](void* p) { static_cast<Call*>(p)->result = static_cast<Call*>(p)->f(); }, &call);
        return call.result;
    }
#else
    return f();
#endif
}

// An entry from the other side.
template <class F>
auto Entry(F&& f) -> decltype(f()) {
#if AVS_SEH_GUARDS
    ForeignException* pending = nullptr;
    alignas(ForeignException) unsigned char storage[sizeof(ForeignException)];
    try {
        return f();
    } catch (ForeignException& e) {
        pending = new (storage) ForeignException(static_cast<ForeignException&&>(e));
    }
    // Outside the catch block, so the C++ exception is freed before SEH takes over.
    pending->RaiseAgain();
#else
    return f();
#endif
}

}  // namespace avs
