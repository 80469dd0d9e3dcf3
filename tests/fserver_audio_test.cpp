// The frame server's audio functions, which a host uses to bring a clip's sound to
// the mix's format: sample types, mixing, channels and level.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "tests/support/call_outcome.h"

namespace {

using test::SampleClip;

TEST(FrameServerAudio, EachFunctionGivesTheSamplesOfItsRule) {
    test::EnvPtr env = test::NewEnv();
    IScriptEnvironment* e = env.get();
    const auto call = [e](const char* name, std::vector<AVSValue> args) {
        return test::Invoke(e, name, args).AsClip();
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const PClip ints = SampleClip(1, SAMPLE_INT16, {16384, -32768, 32767, 0});
    const PClip a = SampleClip(2, SAMPLE_INT16, {1000, 30000, -400, 8}),
                b = SampleClip(2, SAMPLE_INT16, {500, 30000, 400, 8});
    const PClip mono = SampleClip(1, SAMPLE_INT16, {1, 2, 3}), stereo = SampleClip(2, SAMPLE_INT16, {10, 11, 20, 21});
    const PClip three = new test::PatternClip(test::WithAudio(test::Rgb24Info(4, 2), 48000, 3));  // s * 7 + ch
    const PClip stereo_float = SampleClip(2, SAMPLE_FLOAT, {0.5f, -1.0f, 0.25f, 2.0f});
    const PClip pair = SampleClip(2, SAMPLE_INT16, {1000, -1000, 20000, -20000, 3, -3});
    const PClip three_floats = SampleClip(3, SAMPLE_FLOAT, {1.0f, 1.0f, 1.0f, 0.5f, -0.5f, 2.0f});
    const PClip loud = SampleClip(2, SAMPLE_FLOAT, {1.5, -2.0, 2.5 / 32768, 3.5 / 32768, -0.25, nan});
    const PClip thirds = SampleClip(3, SAMPLE_INT16, {1, 2, 4, -1, -2, -4, 32767, 32767, 32767, -32768, 0, 1});
    struct Row {
        const char* call;
        std::vector<AVSValue> args;
        int64_t start, count;
        std::string want;
    };
    const Row rows[] = {
        // Conversions scale and saturate; halves go to even; NaN is silence.
        {"ConvertAudioToFloat", {ints}, 0, 5, "f32 x1 4: 0.5 -1 0.999969482 0 0"},
        {"ConvertAudioTo16bit", {loud}, 0, 3, "s16 x2 3: 32767 -32768 2 4 -8192 0"},
        // MixAudio weighs and saturates; with float it mixes as float.
        {"MixAudio", {a, b, 1.0, 1.0}, 0, 2, "s16 x2 2: 1500 32767 0 16"},
        {"MixAudio", {a, SampleClip(2, SAMPLE_FLOAT, {0.25, -0.5}), 0.0, 2.0}, 0, 2, "f32 x2 2: 0.5 -1 0 0"},
        {"MergeChannels", {mono, stereo}, 0, 3, "s16 x3 3: 1 10 11 2 20 21 3 0 0"},
        {"GetChannel", {three, 3}, 10, 2, "s16 x1 192000: 72 79"},
        // ConvertToMono: 7/3 and -7/3 truncate toward zero; full scale stays full scale.
        {"ConvertToMono", {thirds}, 0, 5, "s16 x1 4: 2 -2 32767 -10922 0"},
        {"ConvertToMono", {stereo_float}, 0, 2, "f32 x1 2: -0.25 1.125"},
        // Amplify: halves round away from zero, sums saturate; one factor per channel, the
        // last one repeated when there are fewer; past the end stays silent.
        {"Amplify", {pair, 2}, 0, 3, "s16 x2 3: 2000 -2000 32767 -32768 6 -6"},
        {"Amplify", {pair, 0.5}, 0, 3, "s16 x2 3: 500 -500 10000 -10000 2 -2"},
        {"Amplify", {three_floats, 2.0, 0.5}, 0, 3, "f32 x3 2: 2 0.5 0.5 1 -0.25 1 0 0 0"},
    };
    for (const Row& r : rows) EXPECT_EQ(test::SampleText(call(r.call, r.args), r.start, r.count, e), r.want) << r.call;

}

TEST(FrameServerAudio, WhatNeedsNoChangeIsTheSameClipAndWrongInputIsNamed) {
    test::EnvPtr env = test::NewEnv();
    IScriptEnvironment* e = env.get();
    const PClip floats = SampleClip(1, SAMPLE_FLOAT, {0.5});
    const PClip silent = new test::PatternClip(test::Rgb24Info(4, 2));
    const PClip three = new test::PatternClip(test::WithAudio(test::Rgb24Info(4, 2), 48000, 3));
    const std::pair<const char*, std::vector<AVSValue>> same[] = {{"ConvertAudioToFloat", {floats}},
                                                                  {"ConvertToMono", {silent}}};
    for (const auto& [name, args] : same)
        EXPECT_EQ(test::Invoke(e, name, args).AsClip().get(), args[0].AsClip().get()) << name;

    const std::pair<const char*, test::CallRow> errors[] = {
        {"GetChannel", {{silent, 1}, "GetChannel: clip has no audio"}},
        {"GetChannel", {{three, 4}, "GetChannel: Attempted to select a channel that does not exist"}},
    };
    for (const auto& [name, row] : errors) EXPECT_EQ(test::InvokeError(e, name, row.args), row.want);
}

}  // namespace
