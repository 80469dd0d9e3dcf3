// A clip's table as an MSVC-built frame server calls it: plain function pointers taking
// this first, then the hidden result pointer where a value is returned by copy. On
// i686 these are stdcall calls exactly as MSVC makes them.
#pragma once

#include "avs/avisynth.h"

namespace test {

using GetVersionFn = int(AVS_STDCALL*)(IClip*);
using GetFrameFn = PVideoFrame*(AVS_STDCALL*)(IClip*, PVideoFrame*, int, IScriptEnvironment*);
using GetParityFn = bool(AVS_STDCALL*)(IClip*, int);
using GetAudioFn = void(AVS_STDCALL*)(IClip*, void*, int64_t, int64_t, IScriptEnvironment*);
using SetCacheHintsFn = void(AVS_STDCALL*)(IClip*, int, int);
using GetVideoInfoFn = const VideoInfo*(AVS_STDCALL*)(IClip*);
using DeletingDestructorFn = void*(AVS_STDCALL*)(IClip*, unsigned);

template <class Fn>
Fn SlotOf(const void* object, int slot) {
    void* const* table = *static_cast<void* const* const*>(object);
    return reinterpret_cast<Fn>(table[slot]);
}

}  // namespace test
