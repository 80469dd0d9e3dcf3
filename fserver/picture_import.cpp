// Import where there is no FFmpeg: a still picture (PNG, JPEG, BMP, or a GIF's first
// frame) decoded once by stb_image, as a clip of that picture in every frame; or a
// WAVE file's sound.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#endif

// Static, so that the copy the library core holds for its own pictures cannot clash.
#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_BMP
#define STBI_ONLY_GIF
#define STBI_NO_FAILURE_STRINGS
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb_image.h>
#pragma GCC diagnostic pop

#include "fserver/builtins.h"
#include "fserver/wave_import.h"

namespace fserver {

namespace {

enum PictureImportArg {
    kPath,
};

// A picture has no timing of its own: the clip runs at the 25 fps the FFmpeg Import
// gives a file without a rate, for 1000 frames (40 s), and has no audio.
constexpr unsigned kFps = 25;
constexpr int kFrames = 1000;

// FFmpeg's words for a file it cannot make sense of, so both Imports say the same.
constexpr const char* kUndecodable = "Invalid data found when processing input";

struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

// The whole file, or false with errno saying why. The name is ANSI text, as hosts pass it.
bool ReadWholeFile(const char* path, std::vector<uint8_t>& bytes) {
#if defined(_WIN32)
    const int wide_length = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, path, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(wide_length > 0 ? wide_length : 1), L'\0');
    if (wide_length <= 0 || MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, path, -1, wide.data(), wide_length) <= 0) {
        errno = EINVAL;
        return false;
    }
    const std::unique_ptr<FILE, FileCloser> f(_wfopen(wide.c_str(), L"rb"));
#else
    const std::unique_ptr<FILE, FileCloser> f(std::fopen(path, "rb"));
#endif
    if (!f) return false;
    uint8_t chunk[65536];
    for (;;) {
        const size_t got = std::fread(chunk, 1, sizeof chunk, f.get());
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (got < sizeof chunk) return !std::ferror(f.get());
    }
}

class PictureImport : public IClip {
public:
    PictureImport(std::vector<uint8_t>& bytes, const char* path, IScriptEnvironment* env);

    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int, IScriptEnvironment*) override {
        return ReturnInto(result, PVideoFrame(frame_));
    }
    bool AVS_STDCALL GetParity(int) override { return false; }
    void AVS_STDCALL GetAudio(void*, int64_t, int64_t, IScriptEnvironment*) override {}  // no audio, no bytes
    void AVS_STDCALL SetCacheHints(int, int) override {}
    const VideoInfo& AVS_STDCALL GetVideoInfo() override { return vi_; }
    using IClip::GetFrame;

private:
    VideoInfo vi_{};
    PVideoFrame frame_;  // every frame is this one
};

PictureImport::PictureImport(std::vector<uint8_t>& bytes, const char* path, IScriptEnvironment* env) {
    int w = 0, h = 0, channels = 0;
    stbi_uc* decoded = nullptr;
    if (!bytes.empty() && bytes.size() <= INT_MAX)
        decoded = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &w, &h, &channels, 3);
    const std::unique_ptr<stbi_uc, void (*)(void*)> rgb(decoded, &stbi_image_free);
    if (!rgb) env->ThrowError("Import: cannot open \"%s\": %s", path, kUndecodable);
    bytes = {};

    vi_.width = w;
    vi_.height = h;
    vi_.pixel_type = VideoInfo::CS_BGR24;
    vi_.SetFPS(kFps, 1);
    vi_.num_frames = kFrames;
    frame_ = env->NewVideoFrame(vi_);
    // Bottom-up, B G R: memory row 0 is the picture's last row. Alpha is dropped, as
    // FFmpeg's conversion to RGB24 drops it.
    uint8_t* d = frame_->GetWritePtr();
    const int pitch = frame_->GetPitch();
    const size_t src_row = static_cast<size_t>(w) * 3;
    for (int y = 0; y < h; ++y, d += pitch) {
        const stbi_uc* s = rgb.get() + static_cast<size_t>(h - 1 - y) * src_row;
        for (size_t x = 0; x < src_row; x += 3) {
            d[x] = s[x + 2];
            d[x + 1] = s[x + 1];
            d[x + 2] = s[x];
        }
    }
}

}  // namespace

AVSValue CreatePictureOrWaveImport(const AVSValue& args, void*, IScriptEnvironment* env) {
    const char* path = args[kPath].AsString();
    if (!path || !*path) env->ThrowError("Import: a file name is needed");
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes)) {
        const int error = errno;
        env->ThrowError("Import: cannot open \"%s\": %s", path, std::strerror(error));
    }
    if (IsWaveFile(bytes)) return NewWaveImport(bytes, path, env);
    return new PictureImport(bytes, path, env);
}

}  // namespace fserver
