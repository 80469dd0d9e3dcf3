#include "plugin_api.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <stdexcept>

namespace render {

EnvPtr NewFrameServer() { return EnvPtr(CreateScriptEnvironment(AVISYNTH_INTERFACE_VERSION)); }

std::string LocatePlugin() {
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) throw std::runtime_error("cannot find its own program file to find libferrule.so from");
    const std::filesystem::path folder = std::filesystem::path(std::string(self, static_cast<size_t>(n))).parent_path();
    const std::filesystem::path beside = folder / "libferrule.so";
    const std::filesystem::path installed = (folder / ".." / "lib" / "libferrule.so").lexically_normal();
    for (const std::filesystem::path& p : {beside, installed})
        if (std::filesystem::is_regular_file(p)) return p.string();
    throw std::runtime_error("cannot find libferrule.so: it is neither at " + beside.string() + " nor at " +
                             installed.string());
}

namespace {

template <class Fn>
void Resolve(void* library, const char* name, Fn& fn) {
    void* symbol = dlsym(library, name);
    if (!symbol) throw std::runtime_error(std::string("the plugin does not export ") + name);
    fn = reinterpret_cast<Fn>(symbol);
}

}  // namespace

PluginApi::PluginApi(IScriptEnvironment* env, const std::string& path) {
    env->Invoke("LoadPlugin", AVSValue(path.c_str()));
    // The frame server holds the library open; this handle only finds the exports.
    library_ = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!library_) throw std::runtime_error("the plugin \"" + path + "\" did not stay loaded");
    Resolve(library_, "AddTitleEff", AddTitleEff);
    Resolve(library_, "AddSlideEff", AddSlideEff);
    Resolve(library_, "UpdateSlideEffsData", UpdateSlideEffsData);
    Resolve(library_, "AddOverlay", AddOverlay);
    Resolve(library_, "AddImageEff", AddImageEff);
    Resolve(library_, "AddSubtitleFile", AddSubtitleFile);
    Resolve(library_, "SetChannelVisible", SetChannelVisible);
    Resolve(library_, "RemoveAllItems", RemoveAllItems);
    Resolve(library_, "ImportClip", ImportClip);
    Resolve(library_, "GetFrame", GetFrame);
    Resolve(library_, "GetFrameByID", GetFrameByID);
}

PluginApi::~PluginApi() {
    if (library_) dlclose(library_);
}

}  // namespace render
