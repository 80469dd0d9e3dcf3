// The built library loaded as the frame server loads a plugin, then driven through
// its exported names as a host drives it.
#include <gtest/gtest.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include "test_support.h"

#if defined(FERRULE_PLUGIN_PATH)

namespace {

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
    const AVSValue loaded = env->Invoke("LoadPlugin", AVSValue(FERRULE_PLUGIN_PATH));
    ASSERT_TRUE(loaded.IsString());
    EXPECT_STREQ(loaded.AsString(), "`Quillet' Quillet plugin");
    EXPECT_TRUE(env->FunctionExists("SetSubTitleCh"));

    auto get_main_clip = reinterpret_cast<IClip*(AVS_STDCALL*)()>(FindExport("GetMainClip"));
    auto insert_channel = reinterpret_cast<void(AVS_STDCALL*)(int)>(FindExport("InsertChannel"));
    ASSERT_NE(get_main_clip, nullptr);
    ASSERT_NE(insert_channel, nullptr);
    EXPECT_EQ(get_main_clip(), nullptr);  // the plugin's own state, untouched so far

    const AVSValue args[] = {10, 32, 16, "RGB24"};
    const char* names[] = {"length", "width", "height", "pixel_type"};
    const AVSValue blank = env->Invoke("BlankClip", AVSValue(args, 4), names);
    const PClip mgr = env->Invoke("SetMainCh", env->Invoke("SetTempCh", blank)).AsClip();
    EXPECT_EQ(get_main_clip(), mgr.get());
    insert_channel(2);
    EXPECT_EQ(test::FrameBytes(mgr->GetFrame(3, env.get())), std::vector<uint8_t>(96 * 16, 0));
    EXPECT_NE(g_pMainChMgr, static_cast<void*>(mgr.get()));  // this program's copy is another
}

}  // namespace

#endif
