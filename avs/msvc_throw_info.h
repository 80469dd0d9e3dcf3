// How an MSVC-built x86 program describes a C++ exception it raises: the records
// `throw` builds and hands to RaiseException, as plain data. Only the i686 Windows
// build raises or reads them, but the shapes are the same everywhere.
#pragma once

#include <cstdint>

namespace msvc {

constexpr uint32_t kCppExceptionCode = 0xE06D7363;  // "\xE0msc"
constexpr uint32_t kCppMagic = 0x19930520;           // the ExceptionInformation[0] of a throw
constexpr uint32_t kCatchableHasVirtualBase = 4;

struct TypeDescriptor {
    const void* vftable;  // type_info's
    void* spare;
    char name[1];  // decorated, as long as it needs
};

struct PMD {
    int32_t mdisp, pdisp, vdisp;
};

struct CatchableType {
    uint32_t properties;
    const TypeDescriptor* type;
    PMD this_displacement;
    int32_t size;
    // A thiscall copy constructor; null when the object is copied bytewise.
    const void* copy_function;
};

struct CatchableTypeArray {
    int32_t count;
    const CatchableType* types[1];
};

struct ThrowInfo {
    uint32_t attributes;
    const void* unwind;  // a thiscall destructor; null for a trivial type
    const void* forward_compat;
    const CatchableTypeArray* catchable;
};

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(CatchableType) == 28 && sizeof(ThrowInfo) == 16);
#endif

}  // namespace msvc
