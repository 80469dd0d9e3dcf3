// The stand-in frame server as the library sees it: frames, argument matching in
// Invoke, and "BlankClip".
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fserver/fserver.h"
#include "test_support.h"

namespace {

std::string InvokeError(IScriptEnvironment* env, const char* name, const AVSValue& args,
                        const char** names = nullptr) {
    try {
        env->Invoke(name, args, names);
    } catch (const AvisynthError& e) {
        return e.msg;
    }
    return "(no error)";
}

TEST(FrameServer, NewVideoFrameRoundsThePitchAndRecyclesBuffers) {
    test::EnvPtr env = test::NewEnv();
    const VideoInfo vi = test::Rgb24Info(3, 2);
    const VideoFrameBuffer* first_buffer;
    {
        PVideoFrame f = env->NewVideoFrame(vi, -4);
        EXPECT_EQ(f->GetRowSize(), 9);
        EXPECT_EQ(f->GetPitch(), 12);
        EXPECT_EQ(f->GetHeight(), 2);
        first_buffer = f->GetFrameBuffer();
        const int seq = first_buffer->GetSequenceNumber();
        ASSERT_NE(f->GetWritePtr(), nullptr);
        EXPECT_EQ(first_buffer->GetSequenceNumber(), seq + 1);

        PVideoFrame shared = f;  // a second reference makes it read-only
        EXPECT_EQ(f->GetWritePtr(), nullptr);
        EXPECT_EQ(first_buffer->GetSequenceNumber(), seq + 1);
        EXPECT_EQ(fserver::GetFrameStats(env.get()).buffers_in_use, 1);
    }
    EXPECT_EQ(fserver::GetFrameStats(env.get()).buffers_in_use, 0);
    PVideoFrame again = env->NewVideoFrame(vi, -4);
    EXPECT_EQ(again->GetFrameBuffer(), first_buffer);
    EXPECT_EQ(fserver::GetFrameStats(env.get()).buffers, 1);
}

TEST(FrameServer, MakeWritableCopiesASharedFrameOnly) {
    test::EnvPtr env = test::NewEnv();
    const VideoInfo vi = test::Rgb24Info(3, 2);
    PVideoFrame f = env->NewVideoFrame(vi, -4);
    uint8_t* p = f->GetWritePtr();
    for (int i = 0; i < 24; ++i) p[i] = static_cast<uint8_t>(i);
    const std::vector<uint8_t> before = test::FrameBytes(f);
    EXPECT_FALSE(env->MakeWritable(&f));  // already writable: left as it is

    PVideoFrame kept = f;
    ASSERT_TRUE(env->MakeWritable(&f));
    EXPECT_NE(f->GetFrameBuffer(), kept->GetFrameBuffer());
    ASSERT_NE(f->GetWritePtr(), nullptr);
    EXPECT_EQ(f->GetRowSize(), 9);
    EXPECT_EQ(f->GetHeight(), 2);
    for (int y = 0; y < 2; ++y)
        EXPECT_EQ(0, std::memcmp(f->GetReadPtr() + y * f->GetPitch(), kept->GetReadPtr() + y * kept->GetPitch(), 9));
    f->GetWritePtr()[0] = 99;
    EXPECT_EQ(test::FrameBytes(kept), before);  // the shared original is untouched
}

AVSValue TakeLastRegistered(const AVSValue&, void* user_data, IScriptEnvironment*) {
    return static_cast<int>(reinterpret_cast<intptr_t>(user_data));
}

TEST(FrameServer, InvokeMatchesArgumentsAndNamesWhatIsWrong) {
    test::EnvPtr env = test::NewEnv();
    EXPECT_THROW(env->Invoke("NoSuchFunction", AVSValue(nullptr, 0)), IScriptEnvironment::NotFound);

    const AVSValue named[] = {16, 8};
    const char* names[] = {"width", "HEIGHT"};
    const PClip clip = env->Invoke("BlankClip", AVSValue(named, 2), names).AsClip();
    EXPECT_EQ(clip->GetVideoInfo().width, 16);
    EXPECT_EQ(clip->GetVideoInfo().height, 8);

    const AVSValue bad_name[] = {16};
    const char* unknown[] = {"breadth"};
    EXPECT_EQ(InvokeError(env.get(), "BlankClip", AVSValue(bad_name, 1), unknown),
              "Script error: BlankClip does not have a named argument \"breadth\"");
    const AVSValue twice[] = {16, 32};
    const char* twice_names[] = {"width", "width"};
    EXPECT_EQ(InvokeError(env.get(), "BlankClip", AVSValue(twice, 2), twice_names),
              "Script error: the named argument \"width\" was passed more than once to BlankClip");
    const AVSValue wrong_type[] = {"wide"};
    const char* width_name[] = {"width"};
    EXPECT_EQ(InvokeError(env.get(), "BlankClip", AVSValue(wrong_type, 1), width_name),
              "Script error: the named argument \"width\" to BlankClip had the wrong type");
    EXPECT_EQ(InvokeError(env.get(), "BlankClip", AVSValue("not a clip")),
              "Script error: Invalid arguments to function \"BlankClip\"");

    // A later registration of a name is tried first.
    env->AddFunction("Pick", "", ApplyAdapter<TakeLastRegistered>, reinterpret_cast<void*>(intptr_t{1}));
    env->AddFunction("Pick", "", ApplyAdapter<TakeLastRegistered>, reinterpret_cast<void*>(intptr_t{2}));
    EXPECT_EQ(env->Invoke("Pick", AVSValue(nullptr, 0)).AsInt(), 2);
}

TEST(FrameServer, BlankClipDefaultsColoursAndSilence) {
    test::EnvPtr env = test::NewEnv();
    const VideoInfo d = env->Invoke("BlankClip", AVSValue(nullptr, 0)).AsClip()->GetVideoInfo();
    EXPECT_EQ(d.width, 640);
    EXPECT_EQ(d.height, 480);
    EXPECT_TRUE(d.IsRGB32());
    EXPECT_EQ(d.num_frames, 240);
    EXPECT_EQ(d.fps_numerator, 24u);
    EXPECT_EQ(d.fps_denominator, 1u);
    EXPECT_EQ(d.audio_samples_per_second, 44100);
    EXPECT_EQ(d.nchannels, 1);
    EXPECT_EQ(d.sample_type, SAMPLE_INT16);
    EXPECT_EQ(d.num_audio_samples, 240 * 44100 / 24);

    const char* names[] = {"width", "height", "pixel_type", "color", "fps", "stereo"};
    const AVSValue rgb[] = {2, 2, "RGB24", 0x102030, 29.97, true};
    const PClip rgb_clip = env->Invoke("BlankClip", AVSValue(rgb, 6), names).AsClip();
    const VideoInfo& rvi = rgb_clip->GetVideoInfo();
    EXPECT_EQ(rvi.fps_numerator, 2997u);
    EXPECT_EQ(rvi.fps_denominator, 100u);
    EXPECT_EQ(rvi.nchannels, 2);
    PVideoFrame f = rgb_clip->GetFrame(7, env.get());
    const uint8_t* row = f->GetReadPtr();
    EXPECT_EQ(std::vector<uint8_t>(row, row + 6), (std::vector<uint8_t>{0x30, 0x20, 0x10, 0x30, 0x20, 0x10}));

    std::vector<int16_t> audio(2 * 10, 0x55);
    rgb_clip->GetAudio(audio.data(), 1000, 9, env.get());
    EXPECT_EQ(std::vector<int16_t>(audio.begin(), audio.begin() + 18), std::vector<int16_t>(18, 0));
    EXPECT_EQ(audio[18], 0x55);  // nothing past the samples asked for

    // White in studio-range YUY2.
    const AVSValue yuy2[] = {4, 2, "YUY2", 0xFFFFFF};
    const char* yuy2_names[] = {"width", "height", "pixel_type", "color"};
    PVideoFrame y = env->Invoke("BlankClip", AVSValue(yuy2, 4), yuy2_names).AsClip()->GetFrame(0, env.get());
    EXPECT_EQ(std::vector<uint8_t>(y->GetReadPtr(), y->GetReadPtr() + 8),
              (std::vector<uint8_t>{235, 128, 235, 128, 235, 128, 235, 128}));

    const AVSValue bad_type[] = {"RGB16"};
    const char* type_name[] = {"pixel_type"};
    EXPECT_EQ(InvokeError(env.get(), "BlankClip", AVSValue(bad_type, 1), type_name),
              "BlankClip: pixel_type must be \"RGB32\", \"RGB24\", \"YV12\" or \"YUY2\"");
    const AVSValue odd[] = {3, "YUY2"};
    const char* odd_names[] = {"width", "pixel_type"};
    EXPECT_EQ(InvokeError(env.get(), "BlankClip", AVSValue(odd, 2), odd_names),
              "BlankClip: YUV images must have an even width");
}

}  // namespace
