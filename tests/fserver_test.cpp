// The stand-in frame server as the library sees it: frames, argument matching in
// Invoke, and "BlankClip".
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fserver/fserver.h"
#include "tests/support/clips.h"

namespace {

using test::Invoke;
using test::InvokeError;
using test::Shape;

TEST(FrameServer, NewVideoFrameRoundsThePitchRecyclesBuffersAndMakeWritableCopies) {
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
        EXPECT_EQ(first_buffer->GetSequenceNumber(), seq + 1);  // write access advances it

        PVideoFrame shared = f;  // a second reference makes it read-only
        EXPECT_EQ(f->GetWritePtr(), nullptr);
        EXPECT_EQ(first_buffer->GetSequenceNumber(), seq + 1);
        EXPECT_EQ(fserver::GetFrameStats(env.get()).buffers_in_use, 1);
    }
    EXPECT_EQ(fserver::GetFrameStats(env.get()).buffers_in_use, 0);
    PVideoFrame again = env->NewVideoFrame(vi, -4);
    EXPECT_EQ(again->GetFrameBuffer(), first_buffer);
    EXPECT_EQ(fserver::GetFrameStats(env.get()).buffers, 1);

    // MakeWritable leaves a writable frame as it is and copies a shared one.
    uint8_t* p = again->GetWritePtr();
    for (int i = 0; i < 24; ++i) p[i] = static_cast<uint8_t>(i);
    const std::vector<uint8_t> before = test::FrameBytes(again);
    EXPECT_FALSE(env->MakeWritable(&again));
    PVideoFrame kept = again;
    ASSERT_TRUE(env->MakeWritable(&again));
    EXPECT_NE(again->GetFrameBuffer(), kept->GetFrameBuffer());
    ASSERT_NE(again->GetWritePtr(), nullptr);
    EXPECT_EQ(again->GetRowSize(), 9);
    EXPECT_EQ(again->GetHeight(), 2);
    for (int y = 0; y < 2; ++y)
        EXPECT_EQ(0, std::memcmp(again->GetReadPtr() + y * again->GetPitch(), before.data() + y * 12, 9)) << y;
    again->GetWritePtr()[0] = 99;
    EXPECT_EQ(test::FrameBytes(kept), before);  // the shared original is untouched
}

AVSValue TakeLastRegistered(const AVSValue&, void* user_data, IScriptEnvironment*) {
    return static_cast<int>(reinterpret_cast<intptr_t>(user_data));
}

TEST(FrameServer, InvokeMatchesArgumentsAndNamesWhatIsWrong) {
    test::EnvPtr env = test::NewEnv();
    EXPECT_THROW(env->Invoke("NoSuchFunction", AVSValue(nullptr, 0)), IScriptEnvironment::NotFound);
    const char* names[] = {"width", "HEIGHT"};  // names match in any case
    EXPECT_EQ(Shape(Invoke(env.get(), "BlankClip", {16, 8}, names).AsClip()), "16x8 24/1 240f 44100Hz x1 441000");

    const char* breadth[] = {"breadth"};
    EXPECT_EQ(InvokeError(env.get(), "BlankClip", {16}, breadth),
              "Script error: BlankClip does not have a named argument \"breadth\"");
    const char* twice[] = {"width", "width"};
    EXPECT_EQ(InvokeError(env.get(), "BlankClip", {16, 32}, twice),
              "Script error: the named argument \"width\" was passed more than once to BlankClip");
    EXPECT_EQ(InvokeError(env.get(), "BlankClip", {"wide"}, names),
              "Script error: the named argument \"width\" to BlankClip had the wrong type");
    EXPECT_EQ(InvokeError(env.get(), "BlankClip", {"not a clip"}),
              "Script error: Invalid arguments to function \"BlankClip\"");

    // A later registration of a name is tried first.
    env->AddFunction("Pick", "", ApplyAdapter<TakeLastRegistered>, reinterpret_cast<void*>(intptr_t{1}));
    env->AddFunction("Pick", "", ApplyAdapter<TakeLastRegistered>, reinterpret_cast<void*>(intptr_t{2}));
    EXPECT_EQ(env->Invoke("Pick", AVSValue(nullptr, 0)).AsInt(), 2);
}

TEST(FrameServer, BlankClipDefaultsColoursAndSilence) {
    test::EnvPtr env = test::NewEnv();
    const PClip d = env->Invoke("BlankClip", AVSValue(nullptr, 0)).AsClip();
    EXPECT_EQ(Shape(d), "640x480 24/1 240f 44100Hz x1 441000");
    EXPECT_TRUE(d->GetVideoInfo().IsRGB32());
    EXPECT_EQ(d->GetVideoInfo().sample_type, SAMPLE_INT16);

    const char* names[] = {"width", "height", "pixel_type", "color", "fps", "stereo"};
    const PClip rgb = Invoke(env.get(), "BlankClip", {2, 2, "RGB24", 0x102030, 29.97, true}, names).AsClip();
    EXPECT_EQ(Shape(rgb), "2x2 2997/100 240f 44100Hz x2 353153");
    const uint8_t* row = rgb->GetFrame(7, env.get())->GetReadPtr();
    EXPECT_EQ(std::vector<uint8_t>(row, row + 6), (std::vector<uint8_t>{0x30, 0x20, 0x10, 0x30, 0x20, 0x10}));
    std::vector<int16_t> audio(2 * 10, 0x55);
    rgb->GetAudio(audio.data(), 1000, 9, env.get());
    EXPECT_EQ(std::vector<int16_t>(audio.begin(), audio.begin() + 18), std::vector<int16_t>(18, 0));
    EXPECT_EQ(audio[18], 0x55);  // nothing past the samples asked for

    // White in studio-range YUY2.
    const PClip yuy2 = Invoke(env.get(), "BlankClip", {4, 2, "YUY2", 0xFFFFFF}, names).AsClip();
    const uint8_t* y = yuy2->GetFrame(0, env.get())->GetReadPtr();
    EXPECT_EQ(std::vector<uint8_t>(y, y + 8), (std::vector<uint8_t>{235, 128, 235, 128, 235, 128, 235, 128}));

    const char* type_name[] = {"pixel_type"};
    EXPECT_EQ(InvokeError(env.get(), "BlankClip", {"RGB16"}, type_name),
              "BlankClip: pixel_type must be \"RGB32\", \"RGB24\", \"YV12\" or \"YUY2\"");
    const char* odd_names[] = {"width", "pixel_type"};
    EXPECT_EQ(InvokeError(env.get(), "BlankClip", {3, "YUY2"}, odd_names),
              "BlankClip: YUV images must have an even width");
}

}  // namespace
