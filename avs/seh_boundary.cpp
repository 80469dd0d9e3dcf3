#include "avs/seh_boundary.h"

#if AVS_SEH_GUARDS
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "avs/msvc_throw_info.h"

namespace avs {
namespace {

typedef void(__attribute__((thiscall)) * CopyFn)(void* self, const void* from);
typedef void(__attribute__((thiscall)) * CopyVirtualBaseFn)(void* self, const void* from, int most_derived);
typedef void(__attribute__((thiscall)) * DestroyFn)(void* self);

const msvc::CatchableType& FirstType(const msvc::ThrowInfo* info) { return *info->catchable->types[0]; }

// Copies as MSVC's catch-by-value would: the type's copy constructor, else its bytes.
void CopyObject(const msvc::ThrowInfo* info, void* to, const void* from) {
    const msvc::CatchableType& t = FirstType(info);
    if (!t.copy_function)
        std::memcpy(to, from, static_cast<size_t>(t.size));
    else if (t.properties & msvc::kCatchableHasVirtualBase)
        reinterpret_cast<CopyVirtualBaseFn>(const_cast<void*>(t.copy_function))(to, from, 1);
    else
        reinterpret_cast<CopyFn>(const_cast<void*>(t.copy_function))(to, from);
}

void DestroyObject(const msvc::ThrowInfo* info, void* object) {
    if (info->unwind) reinterpret_cast<DestroyFn>(const_cast<void*>(info->unwind))(object);
}

bool IsMsvcThrow(const EXCEPTION_RECORD& r) {
    return r.ExceptionCode == msvc::kCppExceptionCode && r.NumberParameters == 3 &&
           r.ExceptionInformation[0] >= msvc::kCppMagic && r.ExceptionInformation[0] <= msvc::kCppMagic + 2 &&
           r.ExceptionInformation[2] != 0;
}

// The SEH frame of a guard, as the system walks the chain, and what it caught.
struct Registration {
    EXCEPTION_REGISTRATION_RECORD record;
    void* jump[5];  // __builtin_setjmp's buffer
    ForeignException* caught;
    alignas(ForeignException) unsigned char storage[sizeof(ForeignException)];
};

// The head of this thread's SEH chain, fs:[0].
EXCEPTION_REGISTRATION_RECORD* ChainHead() {
    EXCEPTION_REGISTRATION_RECORD* head;
    asm volatile("movl %%fs:0, %0" : "=r"(head));
    return head;
}
void SetChainHead(EXCEPTION_REGISTRATION_RECORD* head) { asm volatile("movl %0, %%fs:0" : : "r"(head) : "memory"); }

// The search phase finds the guard: take a copy of the object while the raiser's
// frame still holds it, end the original as the catch would, let the frames above
// run their unwind handlers, and resume in the guarded frame.
EXCEPTION_DISPOSITION __cdecl CatchMsvc(EXCEPTION_RECORD* r, void* frame, CONTEXT*, void*) {
    if ((r->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) || !IsMsvcThrow(*r))
        return ExceptionContinueSearch;
    const auto* info = reinterpret_cast<const msvc::ThrowInfo*>(r->ExceptionInformation[2]);
    void* original = reinterpret_cast<void*>(r->ExceptionInformation[1]);
    void* copy = std::malloc(static_cast<size_t>(FirstType(info).size) + 1);
    if (!copy) return ExceptionContinueSearch;  // let it pass as it would have without us
    CopyObject(info, copy, original);
    DestroyObject(info, original);
    auto* reg = static_cast<Registration*>(frame);
    reg->caught = new (reg->storage) ForeignException(r->ExceptionInformation[0], info, copy);
    RtlUnwind(frame, nullptr, r, nullptr);
    __builtin_longjmp(reg->jump, 1);
}

// Separate from CallGuarded so that the frame holding the jump target is small and
// its registration is unlinked on every way out.
__attribute__((noinline)) bool RunRegistered(Registration& reg, void (*call)(void*), void* context) {
    if (__builtin_setjmp(reg.jump)) {
        SetChainHead(reg.record.Next);  // RtlUnwind left ours on top
        return false;
    }
    reg.record.Next = ChainHead();
    SetChainHead(&reg.record);
    try {
        call(context);
    } catch (...) {
        SetChainHead(reg.record.Next);
        throw;
    }
    SetChainHead(reg.record.Next);
    return true;
}

}  // namespace

ForeignException::ForeignException(ForeignException&& other) noexcept
    : magic_(other.magic_), info_(other.info_), object_(other.object_) {
    other.object_ = nullptr;
}

ForeignException::~ForeignException() {
    if (!object_) return;
    DestroyObject(info_, object_);
    std::free(object_);
}

void ForeignException::RaiseAgain() {
    void* here = __builtin_alloca(static_cast<size_t>(FirstType(info_).size) + 1);
    CopyObject(info_, here, object_);
    DestroyObject(info_, object_);
    std::free(object_);
    object_ = nullptr;
    const ULONG_PTR params[3] = {magic_, reinterpret_cast<ULONG_PTR>(here), reinterpret_cast<ULONG_PTR>(info_)};
    RaiseException(msvc::kCppExceptionCode, EXCEPTION_NONCONTINUABLE, 3, params);
    __builtin_unreachable();
}

void CallGuarded(void (*call)(void*), void* context) {
    Registration reg = {};
    reg.record.Handler = reinterpret_cast<PEXCEPTION_ROUTINE>(reinterpret_cast<void*>(&CatchMsvc));
    if (RunRegistered(reg, call, context)) return;
    throw ForeignException(static_cast<ForeignException&&>(*reg.caught));  // leaves the slot empty
}

}  // namespace avs
#endif
