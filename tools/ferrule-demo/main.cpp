// ferrule-demo: loads the plugin into the stand-in frame server as a host would, places
// a small built-in timeline through the exports and writes composed frames as PNG.
//   ferrule-demo [out-dir]
#include <dlfcn.h>
#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "avs/avisynth.h"
#include "demo_renderers.h"
#include "items/slide_item.h"
#include "items/title_item.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace {

struct EnvDeleter {
    void operator()(IScriptEnvironment* env) const { env->DeletingDestructor(1); }
};

template <class Fn>
Fn Export(void* lib, const char* name) {
    void* sym = dlsym(lib, name);
    if (!sym) throw std::runtime_error(std::string("ferrule-demo: the plugin does not export ") + name);
    return reinterpret_cast<Fn>(sym);
}

// Writes a bottom-up BGR canvas as a top-down RGB PNG.
bool WritePng(const std::string& path, const PVideoFrame& f, int width, int height) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * 3 * height);
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = f->GetReadPtr() + (height - 1 - y) * f->GetPitch();
        uint8_t* dst = rgb.data() + static_cast<size_t>(y) * width * 3;
        for (int x = 0; x < width; ++x) {
            dst[3 * x + 0] = src[3 * x + 2];
            dst[3 * x + 1] = src[3 * x + 1];
            dst[3 * x + 2] = src[3 * x + 0];
        }
    }
    return stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3) != 0;
}

int Run(const std::string& out_dir) {
    using AddTitleEffFn = void(AVS_STDCALL*)(const TitleEffect*, int, int);
    using AddSlideEffFn = void(AVS_STDCALL*)(const SlideEffect*, int, int);
    using VoidFn = void(AVS_STDCALL*)();

    std::unique_ptr<IScriptEnvironment, EnvDeleter> env(CreateScriptEnvironment(AVISYNTH_INTERFACE_VERSION));
    const AVSValue plugin = env->Invoke("LoadPlugin", AVSValue(FERRULE_PLUGIN_PATH));
    void* lib = dlopen(FERRULE_PLUGIN_PATH, RTLD_NOW | RTLD_NOLOAD);
    if (!lib) throw std::runtime_error("ferrule-demo: the plugin did not stay loaded");

    constexpr int kWidth = 640, kHeight = 360, kFrames = 100;
    const AVSValue args[] = {kFrames, kWidth, kHeight, "RGB24", 25, true};
    const char* names[] = {"length", "width", "height", "pixel_type", "fps", "stereo"};
    const AVSValue blank = env->Invoke("BlankClip", AVSValue(args, 6), names);
    const PClip main = env->Invoke("SetMainCh", env->Invoke("SetTempCh", blank)).AsClip();

    demo::GradientTitle background;
    demo::BoxTitle box;
    demo::CrossFade fade;
    const TitleEffect bg_a{0, 0, 1, &background, 1, 0, 49};
    const TitleEffect bg_b{0, 0, 2, &background, 2, 50, kFrames - 1};
    const TitleEffect moving{0, 0, 3, &box, 0xF0C020, 10, 89};
    const SlideEffect change{0, 4, &fade, 0, 0, 50, 69};
    Export<AddTitleEffFn>(lib, "AddTitleEff")(&bg_a, 0, 0);
    Export<AddTitleEffFn>(lib, "AddTitleEff")(&bg_b, 0, 0);
    Export<AddSlideEffFn>(lib, "AddSlideEff")(&change, 1, 0);
    Export<AddTitleEffFn>(lib, "AddTitleEff")(&moving, 2, 0);
    Export<VoidFn>(lib, "UpdateSlideEffsData")();

    mkdir(out_dir.c_str(), 0755);
    std::printf("%s\n", plugin.AsString(""));
    for (int n : {0, 30, 55, 60, 65, 89}) {
        char name[64];
        std::snprintf(name, sizeof name, "/frame-%03d.png", n);
        const std::string path = out_dir + name;
        if (!WritePng(path, main->GetFrame(n, env.get()), kWidth, kHeight)) {
            std::fprintf(stderr, "ferrule-demo: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("wrote %s\n", path.c_str());
    }
    dlclose(lib);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc > 1 ? argv[1] : "out");
    } catch (const AvisynthError& e) {
        std::fprintf(stderr, "%s\n", e.msg);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    return 1;
}
