// ImportClip through the shipped DLL once the host has grown: the library starts the
// 32-bit Sondrel.exe beside the host, and a picture's frames and a tone's samples come
// over the Windows pipe and the shared mapping exactly as the files hold them.
#include "tests/host32/host32.h"

#include <tlhelp32.h>

#include <string>
#include <vector>

namespace host32 {

namespace {

int RunningLoaders() {
    int n = 0;
    const HANDLE all = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 p = {};
    p.dwSize = sizeof p;
    for (BOOL more = Process32First(all, &p); more; more = Process32Next(all, &p))
        n += lstrcmpiA(p.szExeFile, "Sondrel.exe") == 0;
    CloseHandle(all);
    return n;
}

std::string FullPath(const char* relative) {
    char full[MAX_PATH] = "";
    GetFullPathNameA(relative, MAX_PATH, full, nullptr);
    return full;
}

// The host's working set past the library's 200 MiB limit for importing in process.
class Grown {
public:
    Grown() : bytes_(static_cast<char*>(VirtualAlloc(nullptr, kSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))) {
        for (size_t i = 0; bytes_ && i < kSize; i += 4096) bytes_[i] = 1;
    }
    ~Grown() {
        if (bytes_) VirtualFree(bytes_, 0, MEM_RELEASE);
    }

private:
    static constexpr size_t kSize = 210u << 20;
    char* bytes_;
};

}  // namespace

void ImportsThroughTheLoaderProgram() {
    Server server;
    IScriptEnvironment* env = server.env_.get();
    server.Main(64, 48);
    const int loaders = RunningLoaders();
    const std::vector<uint8_t> raw = FileBytes("host32-media\\pattern.bgr");
    const std::vector<uint8_t> tone = FileBytes("host32-media\\tone.s16");
    if (!Check(raw.size() == 37 * 23 * 3 && !tone.empty(), "the raw pixels and samples are there")) return;

    PClip clip, sound;
    {
        const Grown grown;
        const int imported = FERRULE_EXPORT(ImportClip)(FullPath("host32-media\\pattern.png").c_str(), &clip);
        if (!Check(imported == 1 && clip, "ImportClip through the loader gives a clip")) return;
        Check(FERRULE_EXPORT(ImportClip)(FullPath("host32-media\\tone.wav").c_str(), &sound) == 1 && sound,
              "ImportClip of the tone through the loader gives a clip");
        Check(RunningLoaders() == loaders + 1, "one Sondrel.exe started, and asked again");
    }
    if (!clip || !sound) return;

    const VideoInfo& vi = clip->GetVideoInfo();
    Check(vi.width == 37 && vi.height == 23 && vi.pixel_type == VideoInfo::CS_BGR24 && vi.fps_numerator == 25 &&
              vi.fps_denominator == 1 && vi.num_frames == 1000 && !vi.HasAudio(),
          "the loader's clip has the picture's format");
    for (int n : {0, 999}) {
        const PVideoFrame f = clip->GetFrame(n, env);
        int wrong = f->GetRowSize() == 37 * 3 && f->GetHeight() == 23 ? 0 : -1;
        for (int y = 0; y < 23 && wrong == 0; ++y)  // bottom-up in the frame, top-down in the raw file
            wrong += std::memcmp(f->GetReadPtr() + (22 - y) * f->GetPitch(), &raw[y * 37 * 3], 37 * 3) != 0;
        Check(wrong == 0, "frame " + std::to_string(n) + " through the loader is the picture");
    }
    const VideoInfo& heard = sound->GetVideoInfo();
    Check(!heard.HasVideo() && heard.audio_samples_per_second == 8000 && heard.nchannels == 2 &&
              heard.sample_type == SAMPLE_INT16 && heard.num_audio_samples * 4 == int64_t(tone.size()),
          "the loader's clip has the tone's format");
    std::vector<uint8_t> samples(tone.size());
    sound->GetAudio(samples.data(), 0, heard.num_audio_samples, env);
    Check(samples == tone, "the tone's samples through the loader");
}

}  // namespace host32
