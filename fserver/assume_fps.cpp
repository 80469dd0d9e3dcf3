// AssumeFPS: the same frames at another rate; with sync_audio the audio rate follows.
#include <climits>
#include <cmath>
#include <cstdint>
#include <numeric>

#include "fserver/builtins.h"
#include "fserver/fps.h"

namespace fserver {

namespace {

enum AssumeFpsArg { kClip, kNumerator, kDenominator, kSyncAudio };
enum AssumeFloatFpsArg { kFloatClip, kFps, kFloatSyncAudio };

class AssumeFps : public GenericVideoFilter {
public:
    AssumeFps(PClip child, const VideoInfo& vi_out) : GenericVideoFilter(std::move(child)) { vi = vi_out; }
};

// rate * (new/old), rounded to nearest with halves up. Exact in integers while the
// product fits; past that only double precision is left.
int64_t ScaleRate(int rate, uint64_t num, uint64_t den) {
    const uint64_t g = std::gcd(num, den);
    num /= g;
    den /= g;
    uint64_t product;
    if (!__builtin_mul_overflow(static_cast<uint64_t>(rate), num, &product) && product <= UINT64_MAX - den / 2)
        return static_cast<int64_t>((product + den / 2) / den);
    const double scaled = std::floor(static_cast<double>(rate) * (static_cast<double>(num) / den) + 0.5);
    return scaled > INT_MAX ? INT64_MAX : static_cast<int64_t>(scaled);
}

AVSValue Assume(const PClip& clip, VideoInfo new_rate, bool sync_audio, IScriptEnvironment* env) {
    VideoInfo vi = clip->GetVideoInfo();
    if (sync_audio && vi.HasAudio()) {
        if (vi.fps_numerator == 0) env->ThrowError("AssumeFPS: the clip has no frame rate to sync the audio to");
        const int64_t rate = ScaleRate(vi.audio_samples_per_second,
                                       uint64_t{new_rate.fps_numerator} * vi.fps_denominator,
                                       uint64_t{new_rate.fps_denominator} * vi.fps_numerator);
        if (rate < 1 || rate > INT_MAX) env->ThrowError("AssumeFPS: the audio rate would be out of range");
        vi.audio_samples_per_second = static_cast<int>(rate);
    }
    vi.fps_numerator = new_rate.fps_numerator;
    vi.fps_denominator = new_rate.fps_denominator;
    return new AssumeFps(clip, vi);
}

}  // namespace

AVSValue CreateAssumeFps(const AVSValue& args, void*, IScriptEnvironment* env) {
    const int numerator = args[kNumerator].AsInt();
    const int denominator = args[kDenominator].AsInt(1);
    if (denominator == 0) env->ThrowError("AssumeFPS: Denominator cannot be 0 (zero).");
    if (numerator <= 0 || denominator < 0) env->ThrowError("AssumeFPS: the frame rate must be positive");
    VideoInfo rate{};
    rate.SetFPS(static_cast<unsigned>(numerator), static_cast<unsigned>(denominator));
    return Assume(args[kClip].AsClip(), rate, args[kSyncAudio].AsBool(false), env);
}

AVSValue CreateAssumeFloatFps(const AVSValue& args, void*, IScriptEnvironment* env) {
    const double fps = args[kFps].AsFloat();
    if (!(fps > 0) || fps > INT_MAX / 1000) env->ThrowError("AssumeFPS: the frame rate must be positive");
    VideoInfo rate{};
    SetFloatFps(rate, fps);
    return Assume(args[kFloatClip].AsClip(), rate, args[kFloatSyncAudio].AsBool(false), env);
}

}  // namespace fserver
