// The shipped 32-bit Ferrule.dll driven as an editor drives it: loaded by the frame
// server's LoadPlugin, its exports found by GetProcAddress and declared by ferrule.h
// alone, its frames read from the buffers it hands out.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "avs/avisynth.h"
#include "avs/msvc_throw_info.h"
#include "fserver/fserver.h"
#include "fserver/msvc_raise.h"
#include "include/ferrule.h"
#include "tests/host32/host32.h"
#include "tests/host32/scenarios.h"

namespace {

using namespace host32;

// Pixels as bytes in memory: blue, green, red.
constexpr uint8_t kBlack[3] = {0, 0, 0}, kOverlay[3] = {0x40, 0x80, 0xC0};

// The host's catch of an AvisynthError, as an MSVC host's try/catch would find it: its
// own SEH frame, written by hand (i686 mingw has no __try). Nothing here is C++-caught.
struct SehCatch {
    EXCEPTION_REGISTRATION_RECORD record;
    void* jump[5];
    const char* message;
};

EXCEPTION_DISPOSITION __cdecl CatchAvisynthError(EXCEPTION_RECORD* r, void* frame, CONTEXT*, void*) {
    if ((r->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) ||
        r->ExceptionCode != msvc::kCppExceptionCode || r->ExceptionFlags != EXCEPTION_NONCONTINUABLE ||
        r->NumberParameters != 3 || r->ExceptionInformation[0] != msvc::kCppMagic)
        return ExceptionContinueSearch;
    const auto* info = reinterpret_cast<const msvc::ThrowInfo*>(r->ExceptionInformation[2]);
    if (std::strcmp(info->catchable->types[0]->type->name, ".?AVAvisynthError@@") != 0) return ExceptionContinueSearch;
    auto* c = static_cast<SehCatch*>(frame);
    c->message = reinterpret_cast<const AvisynthError*>(r->ExceptionInformation[1])->msg;
    RtlUnwind(frame, nullptr, r, nullptr);
    __builtin_longjmp(c->jump, 1);
}

// The message of the AvisynthError call(context) raised; null when it returned.
__attribute__((noinline)) const char* CaughtError(void (*call)(void*), void* context) {
    SehCatch c = {};
    c.record.Handler = reinterpret_cast<PEXCEPTION_ROUTINE>(reinterpret_cast<void*>(&CatchAvisynthError));
    if (__builtin_setjmp(c.jump)) {
        asm volatile("movl %0, %%fs:0" : : "r"(c.record.Next) : "memory");
        return c.message;
    }
    asm volatile("movl %%fs:0, %0" : "=r"(c.record.Next));
    asm volatile("movl %0, %%fs:0" : : "r"(&c.record) : "memory");
    call(context);
    asm volatile("movl %0, %%fs:0" : : "r"(c.record.Next) : "memory");
    return nullptr;
}

template <class F>
std::string Raised(F f) {
    const char* message = CaughtError([](void* p) { (*static_cast<F*>(p))(); }, &f);
    return message ? message : "(nothing raised)";
}

// A host-made clip whose frames cannot be read: raises as MSVC code does.
class RaisingClip : public IClip {
public:
    RaisingClip() : vi_(scenario::Rgb24Format(16, 8, 10, 44100, 1)) {}  // audio as the server's BlankClip
    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame*, int, IScriptEnvironment*) override {
        fserver::RaiseAvisynthError("RaisingClip: no frame");
    }
    bool AVS_STDCALL GetParity(int) override { return false; }
    void AVS_STDCALL GetAudio(void*, int64_t, int64_t, IScriptEnvironment*) override {
        fserver::RaiseAvisynthError("RaisingClip: no audio");
    }
    void AVS_STDCALL SetCacheHints(int, int) override {}
    const VideoInfo& AVS_STDCALL GetVideoInfo() override { return vi_; }

private:
    VideoInfo vi_;
};

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

// An error raised by the server or the host while the library works reaches the host's
// SEH frame with its message, after the library's frames gave back all they held: the
// host's clips have their references back, no frame is held, and the next frame is whole.
void ErrorsRaisedAcrossTheLibraryFreeWhatItHeld() {
    Server server;
    IScriptEnvironment* env = server.env_.get();
    const PClip main = server.Main(64, 48);
    IClip* const manager = main.get();
    FERRULE_EXPORT(InsertChannel)(1);
    const PClip solid = server.Solid(16, 8, 0xC08040);
    const PClip raising = new RaisingClip;
    const AVSValue yv12_args[] = {16, 8, "YV12"};
    const char* yv12_names[] = {nullptr, nullptr, "pixel_type"};
    const PClip yv12 = env->Invoke("BlankClip", AVSValue(yv12_args, 3), yv12_names).AsClip();

    auto place = [&](const PClip& clip, bool crop) {
        scenario::OverlayRecords o(&clip, 7, 0, 9, 8, 4);  // opaque at (8, 4)
        o.info.audio_enabled = 1;
        o.effect.crop_enabled = crop;
        o.effect.crop[2] = crop ? 16 : 0;  // nothing left of the width
        FERRULE_EXPORT(AddOverlay)(&o.info, &o.effect, 1, 0);
    };
    struct Case {
        const char* what;
        const PClip* clip;  // the host's clip the library is handed
        std::function<void()> raise;
        std::string message;
    };
    const Case cases[] = {
        {"SetMainCh on YV12", &yv12, [&] {
             // The raw slot, so that the host's own catch sees the raise; nothing of the
             // host's may be alive across it, as its frames do not unwind either.
             const AVSValueRaw handed = AVSValue(yv12).CopyRaw();
             AVSValue out;
             env->Invoke(&out, "SetMainCh", handed, nullptr);
         }, "CMainChMgr: input to filter must be in YUY2 or RGB"},
        {"a host clip raising in GetFrame while the manager composes", &raising, [&] {
             place(raising, false);
             alignas(PVideoFrame) unsigned char frame[sizeof(PVideoFrame)];
             manager->GetFrame(reinterpret_cast<PVideoFrame*>(frame), 3, env);
         }, "RaisingClip: no frame"},
        {"a host clip raising in GetAudio while the manager mixes", &raising, [&] {
             place(raising, false);
             int16_t samples[4096];
             manager->GetAudio(samples, 0, 4096, env);
         }, "RaisingClip: no audio"},
        {"a filter refused inside AddOverlay", &solid, [&] { place(solid, true); },
         "Crop: Destination width is 0 or less."},
        {"ImportClip of a missing file", &solid, [&] {
             PClip out;
             FERRULE_EXPORT(ImportClip)("Z:\\no\\such.png", &out);
         }, "Import: cannot open \"Z:\\no\\such.png\": No such file or directory"},
    };
    for (const Case& c : cases) {
        const int refs = (*c.clip)->GetRefcount();
        const int frames = fserver::GetFrameStats(env).buffers_in_use;
        Check(Raised(c.raise) == c.message, std::string(c.what) + ": the host catches \"" + c.message + "\"");
        FERRULE_EXPORT(RemoveItem)(7, 1);
        Check((*c.clip)->GetRefcount() == refs, std::string(c.what) + ": the clip's references are back");
        Check(fserver::GetFrameStats(env).buffers_in_use == frames, std::string(c.what) + ": no frame held");
        place(solid, false);
        const HostFrame f = FetchFrame(3);
        Check(f.bytes.size() == 192u * 48 && std::memcmp(f.PixelTopDown(8, 4), kOverlay, 3) == 0 &&
                  std::memcmp(f.PixelTopDown(0, 0), kBlack, 3) == 0,
              std::string(c.what) + ": the next frame is composed");
        FERRULE_EXPORT(RemoveItem)(7, 1);
    }
    FERRULE_EXPORT(RemoveAllItems)();
}

// Each scenario's lines against the native build's (the file written by
// build/native/ferrule_scenarios), in order; both are printed where they differ.
void ScenariosMatchTheNativeReference(const std::string& reference_path, const std::string& only) {
    std::vector<std::string> reference;
    std::ifstream file(reference_path);
    for (std::string text; std::getline(file, text);) reference.push_back(text);
    if (!Check(!reference.empty(), "the native reference " + reference_path + " is there")) return;

    scenario::Host host;
    host.new_server = [] { return Server().env_.release(); };
    host.delete_server = [](IScriptEnvironment* env) { delete env; };
    host.find_export = [](const char* name) { return Export<void>(name); };
    host.free_buffer = [](void* p) { std::free(p); };
    host.check = Check;
    for (const std::string& name : scenario::Names()) {
        if (!only.empty() && name != only) continue;
        std::vector<std::string> lines, expected;
        host.line = [&](const std::string& text) { lines.push_back(text); };
        scenario::RunScenario(name, host);
        for (const std::string& r : reference)
            if (r.compare(0, name.size() + 2, name + ": ") == 0) expected.push_back(r);
        for (size_t i = 0; i < std::max(lines.size(), expected.size()); ++i) {
            const std::string got = i < lines.size() ? lines[i] : "(none)";
            const std::string want = i < expected.size() ? expected[i] : "(none)";
            Check(got == want, "32-bit \"" + got + "\", native \"" + want + "\"");
        }
        Check(!lines.empty(), name + ": lines reported");
    }
}

}  // namespace

// --reference FILE: the native lines to match; --only NAME: that scenario alone.
int main(int argc, char** argv) {
    std::string reference = "scenarios.reference", only;
    for (int i = 1; i + 1 < argc; i += 2) (std::strcmp(argv[i], "--only") == 0 ? only : reference) = argv[i + 1];
    if (only.empty()) {
        EveryExportIsFoundByItsPlainName();
        ErrorsRaisedAcrossTheLibraryFreeWhatItHeld();
        PictureShowsThroughGdiplus();
        ImportsThroughTheLoaderProgram();
        TheEditWindowUnderRealInput();
    }
    ScenariosMatchTheNativeReference(reference, only);
    std::printf("passed %d, failed %d\n", TheTally().passed, TheTally().failed);
    return TheTally().failed ? 1 : 0;
}
