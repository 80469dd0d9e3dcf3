#include "conform.h"

#include <cstdint>
#include <vector>

extern "C" {
#include <libavutil/channel_layout.h>
}

namespace render {

namespace {

constexpr double kMinus3dB = 0.70710678118654752;

struct Weights {
    double left = 0, right = 0;
};

// Where one input channel goes in a stereo mix-down: the left and right ones to their
// side at full level, centre ones to both at -3 dB, surround ones to their side at
// -3 dB, low-frequency effects nowhere.
Weights StereoWeights(AVChannel ch) {
    switch (ch) {
        case AV_CHAN_FRONT_LEFT: case AV_CHAN_STEREO_LEFT: return {1, 0};
        case AV_CHAN_FRONT_RIGHT: case AV_CHAN_STEREO_RIGHT: return {0, 1};
        case AV_CHAN_LOW_FREQUENCY: case AV_CHAN_LOW_FREQUENCY_2: return {0, 0};
        case AV_CHAN_FRONT_CENTER: case AV_CHAN_BACK_CENTER: case AV_CHAN_TOP_CENTER:
        case AV_CHAN_TOP_FRONT_CENTER: case AV_CHAN_TOP_BACK_CENTER:
            return {kMinus3dB, kMinus3dB};
        case AV_CHAN_FRONT_LEFT_OF_CENTER: case AV_CHAN_BACK_LEFT: case AV_CHAN_SIDE_LEFT:
        case AV_CHAN_WIDE_LEFT: case AV_CHAN_SURROUND_DIRECT_LEFT: case AV_CHAN_TOP_FRONT_LEFT:
        case AV_CHAN_TOP_BACK_LEFT:
            return {kMinus3dB, 0};
        case AV_CHAN_FRONT_RIGHT_OF_CENTER: case AV_CHAN_BACK_RIGHT: case AV_CHAN_SIDE_RIGHT:
        case AV_CHAN_WIDE_RIGHT: case AV_CHAN_SURROUND_DIRECT_RIGHT: case AV_CHAN_TOP_FRONT_RIGHT:
        case AV_CHAN_TOP_BACK_RIGHT:
            return {0, kMinus3dB};
        default: return {0.5, 0.5};  // a channel of no known place: to both, evenly
    }
}

AVSValue Call(IScriptEnvironment* env, const char* name, std::vector<AVSValue> args) {
    if (args.size() == 1) return env->Invoke(name, args[0]);
    return env->Invoke(name, AVSValue(args.data(), static_cast<int>(args.size())));
}

// One output side: the weighted sum of the channels that feed it, as one mono clip.
PClip Side(IScriptEnvironment* env, const PClip& clip, const std::vector<std::pair<int, double>>& terms) {
    if (terms.empty()) return Call(env, "Amplify", {Call(env, "GetChannel", {clip, 1}), 0.0}).AsClip();
    PClip sum = Call(env, "GetChannel", {clip, terms[0].first + 1}).AsClip();
    if (terms.size() == 1) return terms[0].second == 1 ? sum : Call(env, "Amplify", {sum, terms[0].second}).AsClip();
    for (size_t i = 1; i < terms.size(); ++i) {
        const PClip next = Call(env, "GetChannel", {clip, terms[i].first + 1}).AsClip();
        sum = Call(env, "MixAudio", {sum, next, i == 1 ? terms[0].second : 1.0, terms[i].second}).AsClip();
    }
    return sum;
}

// The channels are taken in FFmpeg's order for their count, which is the order its
// decoders give them in.
PClip DownmixToStereo(IScriptEnvironment* env, const PClip& clip) {
    const int channels = clip->GetVideoInfo().nchannels;
    AVChannelLayout layout{};
    av_channel_layout_default(&layout, channels);
    std::vector<std::pair<int, double>> left, right;
    for (int i = 0; i < channels; ++i) {
        const Weights w = StereoWeights(av_channel_layout_channel_from_index(&layout, static_cast<unsigned>(i)));
        if (w.left > 0) left.emplace_back(i, w.left);
        if (w.right > 0) right.emplace_back(i, w.right);
    }
    av_channel_layout_uninit(&layout);
    return Call(env, "MergeChannels", {Side(env, clip, left), Side(env, clip, right)}).AsClip();
}

}  // namespace

PClip Conform(IScriptEnvironment* env, PClip clip, const VideoInfo& main) {
    const VideoInfo vi = clip->GetVideoInfo();
    const int num = static_cast<int>(main.fps_numerator), den = static_cast<int>(main.fps_denominator);
    if (uint64_t{vi.fps_numerator} * main.fps_denominator != uint64_t{main.fps_numerator} * vi.fps_denominator)
        clip = Call(env, vi.HasVideo() ? "ChangeFPS" : "AssumeFPS", {clip, num, den}).AsClip();
    if (!vi.HasAudio() || !main.HasAudio()) return clip;

    const bool downmix = vi.nchannels > 2;
    const bool resample = vi.audio_samples_per_second != main.audio_samples_per_second;
    // Float in between: "ResampleAudio" scales 16-bit audio to 0.95, and the mix-down
    // must not clip before the mix does.
    if (downmix || resample || vi.sample_type != main.sample_type)
        clip = Call(env, "ConvertAudioToFloat", {clip}).AsClip();
    if (downmix) clip = DownmixToStereo(env, clip);
    if (resample) clip = Call(env, "ResampleAudio", {clip, main.audio_samples_per_second}).AsClip();
    if (main.sample_type == SAMPLE_INT16) clip = Call(env, "ConvertAudioTo16bit", {clip}).AsClip();
    return clip;
}

}  // namespace render
