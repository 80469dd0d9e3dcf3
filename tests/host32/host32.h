// What every part of the 32-bit host program shares: its own check tally, the exports
// found by name, the frame server with the plugin loaded, and the frames it reads.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "avs/avisynth.h"
#include "fserver/fserver.h"
#include "include/ferrule.h"

namespace host32 {

// No test framework: this is a host program, and says what it checked as it goes.
struct Tally {
    int passed = 0, failed = 0;
};
inline Tally& TheTally() {
    static Tally tally;
    return tally;
}
inline bool Check(bool ok, const std::string& what) {
    ++(ok ? TheTally().passed : TheTally().failed);
    if (!ok) std::printf("FAILED: %s\n", what.c_str());
    return ok;
}

template <class F>
F* Export(const char* name) {
    HMODULE dll = GetModuleHandleA("Ferrule.dll");
    return dll ? reinterpret_cast<F*>(reinterpret_cast<void*>(GetProcAddress(dll, name))) : nullptr;
}
#define FERRULE_EXPORT(name) ::host32::Export<decltype(::name)>(#name)

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
    // The published manager over a black main clip, as the host's script makes it.
    PClip Main(int width, int height) {
        IScriptEnvironment* env = env_.get();
        return env->Invoke("SetMainCh", env->Invoke("SetTempCh", AVSValue(Solid(width, height, 0))).AsClip())
            .AsClip();
    }
    std::unique_ptr<IScriptEnvironment, EnvDeleter> env_;
};

// A whole file; empty when it cannot be read.
inline std::vector<uint8_t> FileBytes(const char* path) {
    std::vector<uint8_t> bytes;
    if (FILE* f = std::fopen(path, "rb")) {
        for (int c; (c = std::fgetc(f)) != EOF;) bytes.push_back(static_cast<uint8_t>(c));
        std::fclose(f);
    }
    return bytes;
}

// The composed frame the host fetches, bottom-up BGR rows padded to 4 bytes.
struct HostFrame {
    std::vector<uint8_t> bytes;
    int width = 0, height = 0;
    const uint8_t* PixelTopDown(int x, int y) const {
        const int pitch = (width * 3 + 3) & ~3;
        return &bytes[static_cast<size_t>(height - 1 - y) * pitch + x * 3];
    }
};

inline HostFrame FetchFrame(int n) {
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

// The scenarios of the other files, called by main().
void PictureShowsThroughGdiplus();
void ImportsThroughTheLoaderProgram();
void TheEditWindowUnderRealInput();

}  // namespace host32
