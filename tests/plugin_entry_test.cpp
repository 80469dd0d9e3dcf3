// The plugin as a frame server meets it: the built library loaded as the frame server
// loads a plugin and driven through its exported names as a host drives it.
#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "plugin/exports.h"
#include "test_support.h"

namespace {

#if defined(FERRULE_PLUGIN_PATH)

AVSValue BlankClip(IScriptEnvironment* env, int width, int height, const char* pixel_type, int length) {
    const AVSValue args[] = {length, width, height, pixel_type};
    const char* names[] = {"length", "width", "height", "pixel_type"};
    return env->Invoke("BlankClip", AVSValue(args, 4), names);
}

void* FindExport(const char* name) {
#if defined(_WIN32)
    HMODULE module = GetModuleHandleA("Ferrule.dll");
    return module ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
#else
    void* lib = dlopen(FERRULE_PLUGIN_PATH, RTLD_NOW | RTLD_NOLOAD);
    void* sym = lib ? dlsym(lib, name) : nullptr;
    if (lib) dlclose(lib);
    return sym;
#endif
}

TEST(PluginLoad, LoadPluginRegistersTheScriptFunctionsAndExportsWork) {
    test::EnvPtr env = test::NewEnv();
    EXPECT_STREQ(env->Invoke("LoadPlugin", AVSValue(FERRULE_PLUGIN_PATH)).AsString(""), "`Quillet' Quillet plugin");

    auto get_main_clip = reinterpret_cast<IClip*(AVS_STDCALL*)()>(FindExport("GetMainClip"));
    auto insert_channel = reinterpret_cast<void(AVS_STDCALL*)(int)>(FindExport("InsertChannel"));
    ASSERT_NE(get_main_clip, nullptr);
    ASSERT_NE(insert_channel, nullptr);
    EXPECT_EQ(get_main_clip(), nullptr);  // the plugin's own state, untouched so far

    const AVSValue blank = BlankClip(env.get(), 32, 16, "RGB24", 10);
    const PClip mgr = env->Invoke("SetMainCh", env->Invoke("SetTempCh", blank)).AsClip();
    EXPECT_EQ(get_main_clip(), mgr.get());
    insert_channel(2);
    EXPECT_EQ(test::FrameBytes(mgr->GetFrame(3, env.get())), std::vector<uint8_t>(96 * 16, 0));
    EXPECT_NE(g_pMainChMgr, static_cast<void*>(mgr.get()));  // this program's copy is another
}

#endif

}  // namespace
