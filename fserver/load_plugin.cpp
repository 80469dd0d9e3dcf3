// LoadPlugin: opens each named plugin and runs its 2.5 entry; the result is the last
// plugin's description.
#include "fserver/builtins.h"
#include "fserver/script_environment.h"

#if defined(_WIN32)
#include <windows.h>
#elif !defined(FERRULE_NO_DLOPEN)
#include <dlfcn.h>
#endif

namespace fserver {

namespace {

using PluginInit2 = const char*(AVS_STDCALL*)(IScriptEnvironment* env);

enum LoadPluginArg { kFiles };

void* OpenLibrary(const char* path) {
#if defined(_WIN32)
    return LoadLibraryA(path);
#elif defined(FERRULE_NO_DLOPEN)
    // A static program has no loader to open a plugin with: every load fails cleanly.
    (void)path;
    return nullptr;
#else
    return dlopen(path, RTLD_NOW | RTLD_LOCAL);
#endif
}

void CloseLibrary(void* handle) {
#if defined(_WIN32)
    FreeLibrary(static_cast<HMODULE>(handle));
#elif defined(FERRULE_NO_DLOPEN)
    (void)handle;
#else
    dlclose(handle);
#endif
}

PluginInit2 FindInit2(void* handle) {
#if defined(_WIN32)
    FARPROC p = GetProcAddress(static_cast<HMODULE>(handle), "AvisynthPluginInit2");
    if (!p) p = GetProcAddress(static_cast<HMODULE>(handle), "_AvisynthPluginInit2@4");
    return reinterpret_cast<PluginInit2>(reinterpret_cast<void*>(p));
#elif defined(FERRULE_NO_DLOPEN)
    (void)handle;
    return nullptr;
#else
    return reinterpret_cast<PluginInit2>(dlsym(handle, "AvisynthPluginInit2"));
#endif
}

}  // namespace

AVSValue CreateLoadPlugin(const AVSValue& args, void*, IScriptEnvironment* env) {
    auto* owner = dynamic_cast<ScriptEnvironment*>(env);
    const AVSValue& files = args[kFiles];
    const char* description = "";
    for (int i = 0; i < files.ArraySize(); ++i) {
        const char* path = files[i].AsString();
        void* handle = OpenLibrary(path);
        if (!handle) env->ThrowError("LoadPlugin: unable to load \"%s\"", path);
        const PluginInit2 init = FindInit2(handle);
        if (!init) {
            CloseLibrary(handle);
            env->ThrowError("LoadPlugin: \"%s\" is not an AviSynth 2.5 plugin", path);
        }
        // Functions the plugin registers point into it, so it stays open from here on.
        if (owner) owner->KeepPlugin(handle);
        const char* result = init(env);
        description = env->SaveString(result ? result : "");
    }
    return AVSValue(description);
}

}  // namespace fserver
