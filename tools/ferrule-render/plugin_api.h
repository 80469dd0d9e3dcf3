// The library as a host reaches it: loaded into a frame server through "LoadPlugin",
// then every export looked up by its plain name. Nothing of the library is linked in.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "avs/avisynth.h"

struct TitleEffect;
struct SlideEffect;
struct OverlayClipInfo;
struct OverlayEffect;
struct ImageEffect;
struct SubtitleInfo;

namespace render {

struct EnvDeleter {
    void operator()(IScriptEnvironment* env) const { env->DeletingDestructor(1); }
};
using EnvPtr = std::unique_ptr<IScriptEnvironment, EnvDeleter>;

// A frame server of its own; the plugin is loaded into it by PluginApi.
EnvPtr NewFrameServer();

// libferrule.so beside this program (the build tree) or in ../lib from its folder (an
// installed tree). Throws std::runtime_error naming both places when it is in neither.
std::string LocatePlugin();

class PluginApi {
public:
    // Loads the plugin at `path` into env; throws std::runtime_error naming a missing
    // export, and lets the frame server's error through when it cannot load it.
    PluginApi(IScriptEnvironment* env, const std::string& path = LocatePlugin());
    ~PluginApi();
    PluginApi(const PluginApi&) = delete;
    PluginApi& operator=(const PluginApi&) = delete;

    void(AVS_STDCALL* AddTitleEff)(const TitleEffect*, int, int) = nullptr;
    void(AVS_STDCALL* AddSlideEff)(const SlideEffect*, int, int) = nullptr;
    void(AVS_STDCALL* UpdateSlideEffsData)() = nullptr;
    void(AVS_STDCALL* AddOverlay)(const OverlayClipInfo*, const OverlayEffect*, int, int) = nullptr;
    void(AVS_STDCALL* AddImageEff)(const ImageEffect*, int, int) = nullptr;
    void(AVS_STDCALL* AddSubtitleFile)(const SubtitleInfo*, int, int) = nullptr;
    void(AVS_STDCALL* SetChannelVisible)(int, int) = nullptr;
    void(AVS_STDCALL* RemoveAllItems)() = nullptr;
    int(AVS_STDCALL* ImportClip)(const char*, PClip*) = nullptr;
    void(AVS_STDCALL* GetFrame)(int, int, uint8_t**, int32_t*, int32_t*, int32_t*) = nullptr;
    void(AVS_STDCALL* GetFrameByID)(int, int, uint8_t**, int32_t*, int32_t*, int32_t*, int32_t*) = nullptr;

private:
    void* library_ = nullptr;
};

}  // namespace render
