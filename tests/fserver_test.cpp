// The stand-in frame server's environment: argument matching in Invoke, and "BlankClip".
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/call_outcome.h"

namespace {

using test::CallRow;
using test::Shape;

TEST(FrameServer, InvokeMatchesArgumentsAndNamesWhatIsWrong) {
    test::EnvPtr env = test::NewEnv();
    EXPECT_THROW(env->Invoke("NoSuchFunction", AVSValue(nullptr, 0)), IScriptEnvironment::NotFound);
    struct Row {
        CallRow call;
        std::vector<const char*> names;
    };
    for (const Row& r : {
             Row{{{16, 8}, "16x8 24/1 240f 44100Hz x1 441000"}, {"width", "HEIGHT"}},  // names match in any case
             Row{{{16}, "Script error: BlankClip does not have a named argument \"breadth\""}, {"breadth"}},
             Row{{{16, 32}, "Script error: the named argument \"width\" was passed more than once to BlankClip"},
                 {"width", "width"}},
             Row{{{"wide"}, "Script error: the named argument \"width\" to BlankClip had the wrong type"}, {"width"}},
             Row{{{"not a clip"}, "Script error: Invalid arguments to function \"BlankClip\""}, {nullptr}},
         })
        EXPECT_EQ(test::Outcome(env.get(), "BlankClip", r.call.args, const_cast<const char**>(r.names.data())),
                  r.call.want);
}

TEST(FrameServer, BlankClipDefaultsColoursAndSilence) {
    test::EnvPtr env = test::NewEnv();
    IScriptEnvironment* e = env.get();
    const char* names[] = {"width", "height", "pixel_type", "color", "fps", "stereo"};
    const PClip rgb = test::Invoke(e, "BlankClip", {2, 2, "RGB24", 0x102030, 29.97, true}, names).AsClip();
    EXPECT_EQ(Shape(rgb), "2x2 2997/100 240f 44100Hz x2 353153");
    EXPECT_EQ(test::RowBytes(rgb->GetFrame(7, e)),
              (std::vector<uint8_t>{0x30, 0x20, 0x10, 0x30, 0x20, 0x10, 0x30, 0x20, 0x10, 0x30, 0x20, 0x10}));
    EXPECT_EQ(test::Samples<int16_t>(rgb, 1000, 9, e), std::vector<int16_t>(18, 0));

    const char* type_name[] = {"pixel_type"};
    EXPECT_EQ(test::InvokeError(e, "BlankClip", {"RGB16"}, type_name),
              "BlankClip: pixel_type must be \"RGB32\", \"RGB24\", \"YV12\" or \"YUY2\"");
    const char* odd[] = {"width", "pixel_type"};
    EXPECT_EQ(test::InvokeError(e, "BlankClip", {3, "YUY2"}, odd), "BlankClip: YUV images must have an even width");
}

}  // namespace
