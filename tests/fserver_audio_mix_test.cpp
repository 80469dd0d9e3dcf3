// The frame server's sample-type conversions and its two-clip audio functions, which
// a host uses to bring a clip's sound to the mix's format.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "tests/support/clips.h"

namespace {

using test::SampleClip;
using test::Samples;

class AudioMix : public ::testing::Test {
protected:
    PClip Call(const char* name, std::vector<AVSValue> args) { return test::Invoke(e, name, std::move(args)).AsClip(); }
    test::EnvPtr env = test::NewEnv();
    IScriptEnvironment* e = env.get();
};

TEST_F(AudioMix, SampleTypeConversionsScaleSaturateAndLeaveTheirOwnTypeAlone) {
    const PClip ints = SampleClip(1, SAMPLE_INT16, {16384, -32768, 32767, 0});
    const PClip floats = Call("ConvertAudioToFloat", {ints});
    EXPECT_EQ(floats->GetVideoInfo().sample_type, SAMPLE_FLOAT);
    EXPECT_EQ(Samples<float>(floats, 0, 5, e), (std::vector<float>{0.5f, -1.0f, 32767 / 32768.0f, 0.0f, 0.0f}));
    EXPECT_EQ(Samples<int16_t>(Call("ConvertAudioTo16bit", {floats}), 0, 4, e), Samples<int16_t>(ints, 0, 4, e));

    // Beyond full scale saturates; halves go to even; NaN is silence.
    const PClip loud = SampleClip(2, SAMPLE_FLOAT,
                                  {1.5, -2.0, 2.5 / 32768, 3.5 / 32768, -0.25, std::numeric_limits<double>::quiet_NaN()});
    const PClip sixteen = Call("ConvertAudioTo16bit", {loud});
    EXPECT_EQ(sixteen->GetVideoInfo().sample_type, SAMPLE_INT16);
    EXPECT_EQ(Samples<int16_t>(sixteen, 0, 3, e), (std::vector<int16_t>{32767, -32768, 2, 4, -8192, 0}));

    // Already in the type asked for: the very same clip.
    EXPECT_EQ(Call("ConvertAudioToFloat", {floats}).get(), floats.get());
    EXPECT_EQ(Call("ConvertAudioTo16bit", {ints}).get(), ints.get());
}

TEST_F(AudioMix, MixAudioWeighsAndSaturatesMergeChannelsInterleaves) {
    const PClip a = SampleClip(2, SAMPLE_INT16, {1000, 30000, -400, 8});
    const PClip b = SampleClip(2, SAMPLE_INT16, {500, 30000, 400, 8});
    EXPECT_EQ(Samples<int16_t>(Call("MixAudio", {a, b, 1.0, 1.0}), 0, 2, e), (std::vector<int16_t>{1500, 32767, 0, 16}));
    EXPECT_EQ(Samples<int16_t>(Call("MixAudio", {a, b}), 0, 2, e), (std::vector<int16_t>{750, 30000, 0, 8}));
    EXPECT_EQ(Samples<int16_t>(Call("MixAudio", {a, b, 1.0, 0.0}), 0, 2, e), Samples<int16_t>(a, 0, 2, e));
    // 16-bit with float mixes as float.
    const PClip f = SampleClip(2, SAMPLE_FLOAT, {0.25, -0.5});
    const PClip mixed = Call("MixAudio", {a, f, 0.0, 2.0});
    EXPECT_EQ(mixed->GetVideoInfo().sample_type, SAMPLE_FLOAT);
    EXPECT_EQ(Samples<float>(mixed, 0, 2, e), (std::vector<float>{0.5f, -1.0f, 0.0f, 0.0f}));  // f is one sample long

    const PClip mono = SampleClip(1, SAMPLE_INT16, {1, 2, 3});
    const PClip stereo = SampleClip(2, SAMPLE_INT16, {10, 11, 20, 21});
    const PClip merged = Call("MergeChannels", {mono, stereo});
    EXPECT_EQ(merged->GetVideoInfo().nchannels, 3);
    EXPECT_EQ(merged->GetVideoInfo().num_audio_samples, 3);
    EXPECT_EQ(Samples<int16_t>(merged, 0, 3, e), (std::vector<int16_t>{1, 10, 11, 2, 20, 21, 3, 0, 0}));
    EXPECT_EQ(Samples<int16_t>(mono, 0, 3, e), (std::vector<int16_t>{1, 2, 3}));  // inputs unchanged
    EXPECT_EQ(Call("MergeChannels", {mono}).get(), mono.get());
    EXPECT_THROW(Call("MixAudio", {mono, stereo}), AvisynthError);
}

}  // namespace
