#include "fserver/script_environment.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "fserver/fserver.h"
#include "fserver/msvc_raise.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace fserver {

ScriptEnvironment::~ScriptEnvironment() {
    for (auto it = at_exit_.rbegin(); it != at_exit_.rend(); ++it) it->first(it->second, this);
    globals_.clear();
    scopes_.clear();
    // Plugin code must outlive everything that may call into it.
    for (void* handle : plugins_) {
#if defined(_WIN32)
        FreeLibrary(static_cast<HMODULE>(handle));
#else
        dlclose(handle);
#endif
    }
}

// No CPU-specific paths are offered to filters.
long AVS_STDCALL ScriptEnvironment::GetCPUFlags() { return 0; }

char* AVS_STDCALL ScriptEnvironment::SaveString(const char* s, int length) {
    const size_t n = length < 0 ? std::strlen(s) : static_cast<size_t>(length);
    std::unique_ptr<char[]> copy(new char[n + 1]);
    std::memcpy(copy.get(), s, n);
    copy[n] = 0;
    strings_.push_back(std::move(copy));
    return strings_.back().get();
}

char* ScriptEnvironment::VFormat(const char* fmt, va_list args) {
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(nullptr, 0, fmt, args);
    std::unique_ptr<char[]> text(new char[n > 0 ? n + 1 : 1]);
    std::vsnprintf(text.get(), static_cast<size_t>(n > 0 ? n + 1 : 1), fmt, again);
    va_end(again);
    strings_.push_back(std::move(text));
    return strings_.back().get();
}

char* AVS_CDECL ScriptEnvironment::Sprintf(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    char* s = VFormat(fmt, args);
    va_end(args);
    return s;
}

// The argument list arrives as a pointer: the va_list itself on Windows and i386,
// where va_list is a pointer, else the address of the va_list's single element.
char* AVS_STDCALL ScriptEnvironment::VSprintf(const char* fmt, void* val) {
#if defined(_WIN32) || defined(__i386__)
    va_list args;
    std::memcpy(&args, &val, sizeof args);
    return VFormat(fmt, args);
#else
    return VFormat(fmt, *static_cast<va_list*>(val));
#endif
}

void AVS_CDECL ScriptEnvironment::ThrowErrorSlot(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    const char* message = VFormat(fmt, args);
    va_end(args);
#if defined(FSERVER_MSVC_RAISE)
    RaiseAvisynthError(message);
#else
    throw AvisynthError(message);
#endif
}

void AVS_STDCALL ScriptEnvironment::AddFunction(const char* name, const char* params, ApplyFunc apply,
                                                void* user_data) {
    avs::Entry([&] {
        try {
            functions_.Add(name, params, apply, user_data);
        } catch (const std::invalid_argument&) {
            ThrowError("AddFunction: invalid parameter string \"%s\" for %s", params, name);
        }
    });
}

bool AVS_STDCALL ScriptEnvironment::FunctionExists(const char* name) { return functions_.Exists(name); }

namespace {

void Flatten(const AVSValue& v, std::vector<AVSValue>& out) {
    if (!v.IsArray()) {
        out.push_back(v);
        return;
    }
    for (int i = 0; i < v.ArraySize(); ++i) Flatten(v[i], out);
}

}  // namespace

// An entry from the plugin or the host, and the apply functions are calls out: on
// i686 Windows an error raised on either side unwinds this frame's references.
AVSValue* AVS_STDCALL ScriptEnvironment::Invoke(AVSValue* result, const char* name, AVSValueRaw raw,
                                                const char** arg_names) {
    return avs::Entry([&] { return InvokeHere(result, name, raw, arg_names); });
}

AVSValue* ScriptEnvironment::InvokeHere(AVSValue* result, const char* name, AVSValueRaw raw, const char** arg_names) {
    const AVSValue args = AVSValue::Adopt(raw);
    const int top = args.IsArray() ? args.ArraySize() : 1;
    std::vector<AVSValue> positional;
    std::vector<NamedArg> named;
    for (int i = 0; i < top; ++i) {
        const AVSValue& a = args.IsArray() ? args[i] : args;
        if (arg_names && arg_names[i])
            named.push_back(NamedArg{arg_names[i], a});
        else
            Flatten(a, positional);
    }

    const std::vector<const Function*> candidates = functions_.Lookup(name);
    if (candidates.empty()) throw NotFound();
    for (const Function* f : candidates) {
        std::vector<std::vector<AVSValue>> groups;
        std::optional<std::vector<AVSValue>> slots = MatchPositional(f->params, positional, groups);
        if (!slots) continue;
        for (const NamedArg& n : named) {
            const int k = FindNamedParam(f->params, n.name);
            if (k < 0) ThrowError("Script error: %s does not have a named argument \"%s\"", name, n.name);
            if ((*slots)[k].Defined())
                ThrowError("Script error: the named argument \"%s\" was passed more than once to %s", n.name, name);
            if (n.value.IsArray()) ThrowError("Script error: can't pass an array as a named argument");
            if (n.value.Defined() && !SingleTypeMatch(f->params[k].type, n.value))
                ThrowError("Script error: the named argument \"%s\" to %s had the wrong type", n.name, name);
            (*slots)[k] = n.value;
        }
        const AVSValue call_args(slots->data(), static_cast<int>(slots->size()));
        return avs::CallOut([&] { return f->apply(result, call_args.CopyRaw(), f->user_data, this); });
    }
    ThrowError("Script error: Invalid arguments to function \"%s\"", name);
}

AVSValue* AVS_STDCALL ScriptEnvironment::GetVar(AVSValue* result, const char* name) {
    for (auto it = scopes_.rbegin(); it != scopes_.rend(); ++it) {
        const auto found = it->find(name);
        if (found != it->end()) return new (result) AVSValue(found->second);
    }
    const auto found = globals_.find(name);
    if (found == globals_.end()) throw NotFound();
    return new (result) AVSValue(found->second);
}

bool AVS_STDCALL ScriptEnvironment::SetVar(const char* name, const AVSValue& val) {
    const bool fresh = scopes_.back().find(name) == scopes_.back().end();
    scopes_.back()[name] = val;
    return fresh;
}

bool AVS_STDCALL ScriptEnvironment::SetGlobalVar(const char* name, const AVSValue& val) {
    const bool fresh = globals_.find(name) == globals_.end();
    globals_[name] = val;
    return fresh;
}

void AVS_STDCALL ScriptEnvironment::PushContext(int) { scopes_.emplace_back(); }

void AVS_STDCALL ScriptEnvironment::PopContext() {
    if (scopes_.size() > 1) scopes_.pop_back();  // the outermost scope stays
}

PVideoFrame* AVS_STDCALL ScriptEnvironment::NewVideoFrame(PVideoFrame* result, const VideoInfo& vi, int align) {
    return avs::Entry([&] { return new (result) PVideoFrame(frames_.NewFrame(vi, align, memory_max_)); });
}

bool AVS_STDCALL ScriptEnvironment::MakeWritable(PVideoFrame* pvf) {
    const PVideoFrame& src = *pvf;
    if (src->IsWritable()) return false;
    VideoInfo vi{};
    vi.width = src->GetRowSize();  // one byte per "pixel" keeps the row size exact
    vi.height = src->GetHeight();
    vi.pixel_type = VideoInfo::CS_BGR24;
    // Build a frame with the same row size and plane geometry, then copy every plane.
    const int pitch = (src->GetRowSize() + FRAME_ALIGN - 1) / FRAME_ALIGN * FRAME_ALIGN;
    const int pitchUV = src->GetPitch(PLANAR_U) && src->GetRowSize(PLANAR_U)
                            ? (src->GetRowSize(PLANAR_U) + FRAME_ALIGN - 1) / FRAME_ALIGN * FRAME_ALIGN
                            : 0;
    vi.width = (pitch * src->GetHeight() + 2 * pitchUV * src->GetHeight(PLANAR_U) + 2) / 3;
    vi.height = 1;
    PVideoFrame storage = NewVideoFrame(vi, 1);
    VideoFrameBuffer* vfb = storage->GetFrameBuffer();
    const int luma = pitch * src->GetHeight(), chroma = pitchUV * src->GetHeight(PLANAR_U);
    PVideoFrame dst = frames_.Wrap(vfb, 0, pitch, src->GetRowSize(), src->GetHeight(), pitchUV ? luma + chroma : 0,
                                   pitchUV ? luma : 0, pitchUV);
    storage = PVideoFrame();  // the buffer now belongs to dst alone
    BitBlt(dst->GetWritePtr(), pitch, src->GetReadPtr(), src->GetPitch(), src->GetRowSize(), src->GetHeight());
    if (pitchUV) {
        for (int plane : {PLANAR_U, PLANAR_V})
            BitBlt(dst->GetWritePtr(plane), pitchUV, src->GetReadPtr(plane), src->GetPitch(plane), src->GetRowSize(plane),
                   src->GetHeight(plane));
    }
    *pvf = std::move(dst);
    return true;
}

void AVS_STDCALL ScriptEnvironment::BitBlt(unsigned char* dstp, int dst_pitch, const unsigned char* srcp,
                                           int src_pitch, int row_size, int height) {
    if (height <= 0 || row_size <= 0) return;
    if (height == 1 || (dst_pitch == src_pitch && src_pitch == row_size)) {
        std::memcpy(dstp, srcp, static_cast<size_t>(src_pitch) * (height - 1) + row_size);
        return;
    }
    for (int y = 0; y < height; ++y, dstp += dst_pitch, srcp += src_pitch) std::memcpy(dstp, srcp, static_cast<size_t>(row_size));
}

void AVS_STDCALL ScriptEnvironment::AtExit(ShutdownFunc function, void* user_data) {
    at_exit_.emplace_back(function, user_data);
}

void AVS_STDCALL ScriptEnvironment::CheckVersion(int version) {
    if (version > AVISYNTH_INTERFACE_VERSION)
        avs::Entry([&] { ThrowError("Plugin was designed for a later version of Avisynth (%d)", version); });
}

PVideoFrame* AVS_STDCALL ScriptEnvironment::Subframe(PVideoFrame* result, VideoFrame* src, int rel_offset,
                                                     int new_pitch, int new_row_size, int new_height) {
    const PVideoFrame owned = PVideoFrame::Adopt(src);
    return new (result) PVideoFrame(frames_.Wrap(owned->GetFrameBuffer(), owned->GetOffset() + rel_offset, new_pitch,
                                                 new_row_size, new_height, 0, 0, 0));
}

PVideoFrame* AVS_STDCALL ScriptEnvironment::SubframePlanar(PVideoFrame* result, VideoFrame* src, int rel_offset,
                                                           int new_pitch, int new_row_size, int new_height,
                                                           int rel_offsetU, int rel_offsetV, int new_pitchUV) {
    const PVideoFrame owned = PVideoFrame::Adopt(src);
    return new (result) PVideoFrame(frames_.Wrap(
        owned->GetFrameBuffer(), owned->GetOffset() + rel_offset, new_pitch, new_row_size, new_height,
        owned->GetOffset(PLANAR_U) + rel_offsetU, owned->GetOffset(PLANAR_V) + rel_offsetV, new_pitchUV));
}

int AVS_STDCALL ScriptEnvironment::SetMemoryMax(int mem) {
    if (mem > 0) memory_max_ = int64_t(mem) << 20;
    return MemoryMaxMiB();
}

// Scripts here name files by full path; there is no working folder to change.
int AVS_STDCALL ScriptEnvironment::SetWorkingDir(const char*) { return 1; }

void* AVS_STDCALL ScriptEnvironment::ManageCache(int, void*) { return nullptr; }

bool AVS_STDCALL ScriptEnvironment::PlanarChromaAlignment(PlanarChromaAlignmentMode key) {
    return key == PlanarChromaAlignmentTest ? false : true;
}

FrameStats GetFrameStats(IScriptEnvironment* env) {
    const auto* e = dynamic_cast<const ScriptEnvironment*>(env);
    return e ? FrameStats{e->Frames().Buffers(), e->Frames().BuffersInUse()} : FrameStats{0, 0};
}

int GetMemoryMax(IScriptEnvironment* env) {
    const auto* e = dynamic_cast<const ScriptEnvironment*>(env);
    return e ? e->MemoryMaxMiB() : 0;
}

}  // namespace fserver

IScriptEnvironment* AVS_STDCALL CreateScriptEnvironment(int version) {
    if (version > AVISYNTH_INTERFACE_VERSION) return nullptr;
    return new fserver::ScriptEnvironment();
}
