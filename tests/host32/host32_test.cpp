// The shipped 32-bit Ferrule.dll driven as an editor drives it: loaded by the frame
// server's LoadPlugin, its exports found by GetProcAddress and declared by ferrule.h
// alone, its frames read from the buffers it hands out.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "avs/avisynth.h"
#include "include/ferrule.h"

namespace {

// No test framework: this is a host program, and says what it checked as it goes.
int g_passed = 0, g_failed = 0;
bool Check(bool ok, const std::string& what) {
    ++(ok ? g_passed : g_failed);
    if (!ok) std::printf("FAILED: %s\n", what.c_str());
    return ok;
}

template <class F>
F* Export(const char* name) {
    HMODULE dll = GetModuleHandleA("Ferrule.dll");
    return dll ? reinterpret_cast<F*>(reinterpret_cast<void*>(GetProcAddress(dll, name))) : nullptr;
}
#define FERRULE_EXPORT(name) Export<decltype(::name)>(#name)

struct EnvDeleter {
    void operator()(IScriptEnvironment* env) const { delete env; }
};

// The frame server with the plugin loaded, as an editor starts it.
struct Server {
    Server() : env_(CreateScriptEnvironment(AVISYNTH_INTERFACE_VERSION)) {
        const AVSValue loaded = env_->Invoke("LoadPlugin", AVSValue("Ferrule.dll"));
        Check(loaded.IsString() && std::strcmp(loaded.AsString(), "`Quillet' Quillet plugin") == 0,
              "LoadPlugin returns the plugin's string");
    }
    // A clip of one colour (0xRRGGBB), RGB24.
    PClip Solid(int width, int height, int colour) {
        const AVSValue args[] = {width, height, "RGB24", colour};
        const char* names[] = {"width", "height", "pixel_type", "color"};
        return env_->Invoke("BlankClip", AVSValue(args, 4), names).AsClip();
    }
    std::unique_ptr<IScriptEnvironment, EnvDeleter> env_;
};

// Pixels as bytes in memory: blue, green, red.
constexpr uint8_t kBlack[3] = {0, 0, 0}, kOverlay[3] = {0x40, 0x80, 0xC0};

// The composed frame the host fetches, bottom-up BGR rows padded to 4 bytes.
struct HostFrame {
    std::vector<uint8_t> bytes;
    int width = 0, height = 0;
    const uint8_t* PixelTopDown(int x, int y) const {
        const int pitch = (width * 3 + 3) & ~3;
        return &bytes[static_cast<size_t>(height - 1 - y) * pitch + x * 3];
    }
};

HostFrame ServerFrame(const PClip& clip, int n, IScriptEnvironment* env) {
    const PVideoFrame frame = clip->GetFrame(n, env);
    HostFrame f;
    f.width = clip->GetVideoInfo().width;
    f.height = clip->GetVideoInfo().height;
    const int row = (f.width * 3 + 3) & ~3;
    for (int y = 0; y < f.height; ++y) {
        const uint8_t* p = frame->GetReadPtr() + y * frame->GetPitch();
        f.bytes.insert(f.bytes.end(), p, p + row);
    }
    return f;
}

HostFrame FetchFrame(int n) {
    uint8_t* buffer = nullptr;
    int32_t size = 0, width = 0, height = 0;
    FERRULE_EXPORT(GetFrame)(n, -1, &buffer, &size, &width, &height);
    HostFrame f;
    if (!buffer) return f;
    f.bytes.assign(buffer, buffer + size);
    f.width = width;
    f.height = height;
    std::free(buffer);  // the host's own heap: msvcrt's, as the DLL's
    return f;
}

void EveryExportIsFoundByItsPlainName() {
    Server server;
    const char* names[] = {"AvisynthPluginInit2", "InsertChannel", "RemoveChannel", "SetChannelVisible",
                           "RemoveItem", "ChangeItemChLevel", "RemoveAllItems", "GetMainClip", "AddTitleEff",
                           "AddSlideEff", "UpdateSlideEffsData", "AddOverlay", "SetOverlayEffect",
                           "SetPreviewClip", "SetQuickWarp", "AddImageEff", "GetFrame", "GetFrameByID",
                           "GetClipFrame", "AddSubtitleFile", "ImportSubtitleFile", "ImportClip",
                           "CreateOverlayEditWnd"};
    for (const char* name : names) Check(Export<void()>(name) != nullptr, std::string("export ") + name);
}

// An overlay placed over a channel of the main manager, moved, hidden and removed: the
// composed frame follows each step, pixel for pixel.
void AnOverlayIsComposedMovedHiddenAndRemoved() {
    Server server;
    IScriptEnvironment* env = server.env_.get();
    const PClip background = server.Solid(64, 48, 0x102030);
    const PClip main = env->Invoke("SetMainCh", env->Invoke("SetTempCh", AVSValue(background)).AsClip()).AsClip();
    if (!Check(FERRULE_EXPORT(GetMainClip)() == main.get(), "GetMainClip is the manager SetMainCh made")) return;
    FERRULE_EXPORT(InsertChannel)(1);

    const PClip overlay = server.Solid(16, 8, 0xC08040);
    FerruleOverlayClipInfo info = {};
    info.first_frame = 0;
    info.last_frame = 9;
    info.item_id = 7;
    info.clip = &overlay;
    info.video_enabled = 1;
    info.fade_in_end = info.fade_out_start = -1;
    FerruleOverlayEffect effect = {};
    const FerruleCorner corners[4] = {{8, 4}, {24, 4}, {24, 12}, {8, 12}};
    std::memcpy(effect.placement.corners, corners, sizeof corners);
    effect.placement.reference_width = 64;
    effect.placement.reference_height = 48;
    effect.placement.opacity = 255;
    effect.placement.key_colour = FERRULE_NO_KEY_COLOUR;
    effect.amplify = -1;
    effect.speed = 100;
    const FerruleOverlayEffect before = effect;
    FERRULE_EXPORT(AddOverlay)(&info, &effect, 1, 0);
    Check(std::memcmp(&before, &effect, sizeof effect) == 0, "AddOverlay leaves the host's record as it was");

    // Both frames hold the items over black, never the main clip; the host's frame draws
    // hidden channels too.
    auto expect = [&](const HostFrame& f, int left, int top, bool shown, const char* step) {
        if (!Check(f.width == 64 && f.height == 48 && f.bytes.size() == 192u * 48, std::string(step) + ": 64 x 48"))
            return;
        int wrong = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) {
                const bool inside = shown && x >= left && x < left + 16 && y >= top && y < top + 8;
                wrong += std::memcmp(f.PixelTopDown(x, y), inside ? kOverlay : kBlack, 3) != 0;
            }
        Check(wrong == 0, std::string(step) + ": " + std::to_string(wrong) + " pixels wrong");
    };
    expect(FetchFrame(3), 8, 4, true, "placed");
    expect(ServerFrame(main, 3, env), 8, 4, true, "placed, the manager's frame");

    const FerruleCorner moved[4] = {{40, 30}, {56, 30}, {56, 38}, {40, 38}};
    std::memcpy(effect.placement.corners, moved, sizeof moved);
    FERRULE_EXPORT(SetOverlayEffect)(7, &effect);
    expect(FetchFrame(3), 40, 30, true, "moved");
    FERRULE_EXPORT(SetChannelVisible)(1, 0);
    expect(ServerFrame(main, 3, env), 40, 30, false, "hidden, the manager's frame");
    expect(FetchFrame(3), 40, 30, true, "hidden, the host's frame");
    FERRULE_EXPORT(SetChannelVisible)(1, 1);
    FERRULE_EXPORT(RemoveItem)(7, 1);
    expect(FetchFrame(3), 40, 30, false, "removed");
    FERRULE_EXPORT(RemoveAllItems)();
}

}  // namespace

int main() {
    EveryExportIsFoundByItsPlainName();
    AnOverlayIsComposedMovedHiddenAndRemoved();
    std::printf("passed %d, failed %d\n", g_passed, g_failed);
    return g_failed ? 1 : 0;
}
