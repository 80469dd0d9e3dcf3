// ChangeFPS: another frame rate by repeating or dropping frames; audio is untouched.
#include <climits>
#include <cstdint>
#include <numeric>

#include "fserver/builtins.h"
#include "fserver/fps.h"

namespace fserver {

namespace {

enum ChangeFpsArg { kClip, kNumerator, kDenominator, kLinear };
enum ChangeFloatFpsArg { kFloatClip, kFps, kFloatLinear };

class ChangeFps : public GenericVideoFilter {
public:
    // Output frame n shows source frame floor(n * a / b), a / b being source over new rate.
    ChangeFps(PClip child, const VideoInfo& vi_out, uint64_t a, uint64_t b)
        : GenericVideoFilter(std::move(child)), a_(a), b_(b), last_(vi.num_frames - 1) {  // vi is the source's yet
        vi = vi_out;
    }

    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) override {
        return avs::Entry([&] {
            return ReturnInto(result, child->GetFrame(Source(n), env));
        });
    }
    bool AVS_STDCALL GetParity(int n) override { return child->GetParity(Source(n)); }
    using IClip::GetFrame;

private:
    // Frames past either end show the nearest real one.
    int Source(int n) const {
        if (n <= 0) return 0;
        const uint64_t s = static_cast<uint64_t>(n) * a_ / b_;
        return s > static_cast<uint64_t>(last_) ? (last_ < 0 ? 0 : last_) : static_cast<int>(s);
    }

    const uint64_t a_, b_;
    const int last_;
};

AVSValue Change(const PClip& clip, const VideoInfo& rate, bool linear, IScriptEnvironment* env) {
    VideoInfo vi = clip->GetVideoInfo();
    if (vi.fps_numerator == 0 || vi.fps_denominator == 0) env->ThrowError("ChangeFPS: the clip has no frame rate");
    uint64_t a = uint64_t{vi.fps_numerator} * rate.fps_denominator;
    uint64_t b = uint64_t{vi.fps_denominator} * rate.fps_numerator;
    const uint64_t g = std::gcd(a, b);
    a /= g;
    b /= g;
    // Keeps n * a and frames * b within 64 bits.
    if (a > UINT32_MAX || b > UINT32_MAX) env->ThrowError("ChangeFPS: the ratio of the frame rates is too fine");
    // With linear access AviSynth also asks for the frames it skips, in order, for sources
    // that only decode forward, and refuses a ratio that rounds (halves up) to more than
    // 10. Any frame of ours reads at no extra cost, so only the refusal is kept here.
    if (linear && 2 * a >= 21 * b)
        env->ThrowError("ChangeFPS: Ratio must be less than 10 for linear access. Set LINEAR=False.");
    // The length is rounded to the nearest frame, halves up, as AviSynth rounds it.
    const uint64_t frames = (static_cast<uint64_t>(vi.num_frames) * b + a / 2) / a;
    if (frames > INT_MAX) env->ThrowError("ChangeFPS: Maximum number of frames exceeded.");
    vi.num_frames = static_cast<int>(frames);
    vi.fps_numerator = rate.fps_numerator;
    vi.fps_denominator = rate.fps_denominator;
    return new ChangeFps(clip, vi, a, b);
}

}  // namespace

AVSValue CreateChangeFps(const AVSValue& args, void*, IScriptEnvironment* env) {
    const int numerator = args[kNumerator].AsInt();
    const int denominator = args[kDenominator].AsInt(1);
    if (denominator == 0) env->ThrowError("ChangeFPS: Denominator cannot be 0 (zero).");
    if (numerator <= 0 || denominator < 0) env->ThrowError("ChangeFPS: the frame rate must be positive");
    VideoInfo rate{};
    rate.SetFPS(static_cast<unsigned>(numerator), static_cast<unsigned>(denominator));
    return Change(args[kClip].AsClip(), rate, args[kLinear].AsBool(true), env);
}

AVSValue CreateChangeFloatFps(const AVSValue& args, void*, IScriptEnvironment* env) {
    const double fps = args[kFps].AsFloat();
    if (!(fps > 0) || fps > INT_MAX / 1000) env->ThrowError("ChangeFPS: the frame rate must be positive");
    VideoInfo rate{};
    SetFloatFps(rate, fps);
    return Change(args[kFloatClip].AsClip(), rate, args[kFloatLinear].AsBool(true), env);
}

}  // namespace fserver
