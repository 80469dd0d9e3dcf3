#include "generated_clip.h"

#include <cmath>
#include <cstring>
#include <numbers>

namespace render {

GeneratedClip::GeneratedClip(const Source& source, const Output& output)
    : source_(source),
      pattern_(source.generate == "gradient"  ? Pattern::kGradient
               : source.generate == "checker" ? Pattern::kChecker
                                              : Pattern::kColour) {
    vi_.width = source.width;
    vi_.height = source.height;
    vi_.fps_numerator = static_cast<unsigned>(output.fps);
    vi_.fps_denominator = static_cast<unsigned>(output.fps_denominator);
    vi_.num_frames = source.frames;
    vi_.pixel_type = VideoInfo::CS_BGR24;
    vi_.audio_samples_per_second = output.audio_rate;
    vi_.sample_type = SAMPLE_INT16;
    vi_.nchannels = output.audio_channels;
    vi_.num_audio_samples = vi_.AudioSamplesFromFrames(source.frames);
}

PVideoFrame* AVS_STDCALL GeneratedClip::GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) {
    PVideoFrame f = env->NewVideoFrame(vi_);
    uint8_t* bottom_row = f->GetWritePtr();
    const int pitch = f->GetPitch();
    const uint8_t b = static_cast<uint8_t>(source_.colour), g = static_cast<uint8_t>(source_.colour >> 8),
                  r = static_cast<uint8_t>(source_.colour >> 16);
    for (int y = 0; y < vi_.height; ++y) {  // y counts rows from the bottom
        uint8_t* p = bottom_row + y * pitch;
        for (int x = 0; x < vi_.width; ++x, p += 3) {
            if (pattern_ == Pattern::kGradient) {
                // Diagonal bands that move one pixel a frame, so every frame differs.
                const int v = (x + (vi_.height - 1 - y) + n) & 0xFF;
                p[0] = static_cast<uint8_t>(b * v / 255), p[1] = static_cast<uint8_t>(g * (255 - v) / 255),
                p[2] = static_cast<uint8_t>(r * v / 255 / 2 + 64);
            } else if (pattern_ == Pattern::kChecker) {
                // 16-pixel squares, drifting right a pixel a frame.
                const int shifted = x + 32768 - n % 32768;  // a whole number of square pairs: no jump at the wrap
                const bool lit = ((shifted / 16 + (vi_.height - 1 - y) / 16) & 1) != 0;
                p[0] = lit ? b : 0, p[1] = lit ? g : 0, p[2] = lit ? r : 0;
            } else {
                p[0] = b, p[1] = g, p[2] = r;
            }
        }
    }
    return ReturnInto(result, std::move(f));
}

void AVS_STDCALL GeneratedClip::GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment*) {
    auto* out = static_cast<int16_t*>(buf);
    const double step = 2 * std::numbers::pi * 440.0 / vi_.audio_samples_per_second;
    for (int64_t s = 0; s < count; ++s) {
        const int64_t at = start + s;
        const bool inside = source_.tone && at >= 0 && at < vi_.num_audio_samples;
        // The phase wraps per second of samples so that doubles stay exact for long clips.
        const double phase = step * static_cast<double>(at % vi_.audio_samples_per_second);
        const int16_t v = inside ? static_cast<int16_t>(std::lround(8000.0 * std::sin(phase))) : 0;
        for (int c = 0; c < vi_.nchannels; ++c) *out++ = v;
    }
}

}  // namespace render
