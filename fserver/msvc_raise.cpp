#include "fserver/msvc_raise.h"

#if defined(FSERVER_MSVC_RAISE)
#include <windows.h>

#include "avs/avisynth.h"
#include "avs/msvc_throw_info.h"

namespace fserver {
namespace {

// The descriptors MSVC emits for `throw AvisynthError(...)`. The type_info vftable is
// not exported by every msvcrt (wine's is not), and nothing here calls through it, so
// the descriptor points at a table of its own.
const void* const kTypeInfoTable[1] = {nullptr};

struct AvisynthErrorDescriptor {
    const void* vftable;
    void* spare;
    char name[sizeof ".?AVAvisynthError@@"];
};
const AvisynthErrorDescriptor kType = {kTypeInfoTable, nullptr, ".?AVAvisynthError@@"};
const msvc::CatchableType kCatchable = {0, reinterpret_cast<const msvc::TypeDescriptor*>(&kType), {0, -1, 0},
                                        sizeof(AvisynthError), nullptr};
const msvc::CatchableTypeArray kCatchables = {1, {&kCatchable}};
const msvc::ThrowInfo kThrowInfo = {0, nullptr, nullptr, &kCatchables};

}  // namespace

void RaiseAvisynthError(const char* message) {
    // As under MSVC, the object lives in the raising frame, which stays until the
    // catcher has unwound past it.
    const AvisynthError error(message);
    const ULONG_PTR params[3] = {msvc::kCppMagic, reinterpret_cast<ULONG_PTR>(&error),
                                 reinterpret_cast<ULONG_PTR>(&kThrowInfo)};
    RaiseException(msvc::kCppExceptionCode, EXCEPTION_NONCONTINUABLE, 3, params);
    __builtin_unreachable();
}

}  // namespace fserver
#endif
