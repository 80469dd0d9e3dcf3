// The stand-in frame server's environment: function table, argument matching, frames,
// variables, strings and the plugin handles it keeps open.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "avs/avisynth.h"
#include "fserver/frame_pool.h"
#include "fserver/function_table.h"

namespace fserver {

class ScriptEnvironment : public IScriptEnvironment {
public:
    ScriptEnvironment() = default;
    ~ScriptEnvironment() override;

    long AVS_STDCALL GetCPUFlags() override;
    char* AVS_STDCALL SaveString(const char* s, int length) override;
    char* AVS_CDECL Sprintf(const char* fmt, ...) override;
    char* AVS_STDCALL VSprintf(const char* fmt, void* val) override;
    [[noreturn]] void AVS_CDECL ThrowErrorSlot(const char* fmt, ...) override;
    void AVS_STDCALL AddFunction(const char* name, const char* params, ApplyFunc apply, void* user_data) override;
    bool AVS_STDCALL FunctionExists(const char* name) override;
    AVSValue* AVS_STDCALL Invoke(AVSValue* result, const char* name, AVSValueRaw args, const char** arg_names) override;
    AVSValue* AVS_STDCALL GetVar(AVSValue* result, const char* name) override;
    bool AVS_STDCALL SetVar(const char* name, const AVSValue& val) override;
    bool AVS_STDCALL SetGlobalVar(const char* name, const AVSValue& val) override;
    void AVS_STDCALL PushContext(int level) override;
    void AVS_STDCALL PopContext() override;
    PVideoFrame* AVS_STDCALL NewVideoFrame(PVideoFrame* result, const VideoInfo& vi, int align) override;
    bool AVS_STDCALL MakeWritable(PVideoFrame* pvf) override;
    void AVS_STDCALL BitBlt(unsigned char* dstp, int dst_pitch, const unsigned char* srcp, int src_pitch, int row_size,
                            int height) override;
    void AVS_STDCALL AtExit(ShutdownFunc function, void* user_data) override;
    void AVS_STDCALL CheckVersion(int version) override;
    PVideoFrame* AVS_STDCALL Subframe(PVideoFrame* result, VideoFrame* src, int rel_offset, int new_pitch,
                                      int new_row_size, int new_height) override;
    int AVS_STDCALL SetMemoryMax(int mem) override;
    int AVS_STDCALL SetWorkingDir(const char* newdir) override;
    void* AVS_STDCALL ManageCache(int key, void* data) override;
    bool AVS_STDCALL PlanarChromaAlignment(PlanarChromaAlignmentMode key) override;
    PVideoFrame* AVS_STDCALL SubframePlanar(PVideoFrame* result, VideoFrame* src, int rel_offset, int new_pitch,
                                            int new_row_size, int new_height, int rel_offsetU, int rel_offsetV,
                                            int new_pitchUV) override;
    using IScriptEnvironment::GetVar;
    using IScriptEnvironment::Invoke;
    using IScriptEnvironment::NewVideoFrame;
    using IScriptEnvironment::Subframe;

    // Keeps a loaded plugin open until the environment goes.
    void KeepPlugin(void* handle) { plugins_.push_back(handle); }
    const FramePool& Frames() const { return frames_; }
    int MemoryMaxMiB() const { return static_cast<int>(memory_max_ >> 20); }

private:
    char* VFormat(const char* fmt, va_list args);
    AVSValue* InvokeHere(AVSValue* result, const char* name, AVSValueRaw raw, const char** arg_names);

    FunctionTable functions_;
    FramePool frames_;
    int64_t memory_max_ = int64_t(128) << 20;
    std::vector<std::unique_ptr<char[]>> strings_;
    std::map<std::string, AVSValue> globals_;
    std::vector<std::map<std::string, AVSValue>> scopes_{1};
    std::vector<std::pair<ShutdownFunc, void*>> at_exit_;
    std::vector<void*> plugins_;
};

}  // namespace fserver
