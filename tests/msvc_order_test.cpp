// The boundary as an MSVC-built frame server sees it: the manager's clip slots are
// called through plain function pointers, and the library is handed an environment
// whose table is built by hand in the same order. On i686 these are stdcall calls
// exactly as MSVC makes them: this first, then the hidden result pointer where a value
// is returned by copy.
#include <gtest/gtest.h>

#include <array>
#include <cstdarg>
#include <string>
#include <vector>

#include "plugin/item_kinds.h"
#include "plugin/exports.h"
#include "tests/fake_renderers.h"
#include "test_support.h"

namespace {

using namespace test;

using GetFrameFn = PVideoFrame*(AVS_STDCALL*)(IClip*, PVideoFrame*, int, IScriptEnvironment*);
using GetAudioFn = void(AVS_STDCALL*)(IClip*, void*, int64_t, int64_t, IScriptEnvironment*);
using DeletingDestructorFn = void*(AVS_STDCALL*)(IClip*, unsigned);

template <class Fn>
Fn SlotOf(const void* object, int slot) {
    return reinterpret_cast<Fn>((*static_cast<void* const* const*>(object))[slot]);
}

// An environment laid out as a frame server built by another compiler lays it out.
struct HandBuiltEnv {
    void* const* vtable = nullptr;
    IScriptEnvironment* real = nullptr;
    std::vector<std::string> log;
    std::string error;

    IScriptEnvironment* AsEnv() { return reinterpret_cast<IScriptEnvironment*>(this); }
};

[[noreturn]] void AVS_STDCALL EnvTrap(HandBuiltEnv*) {
    std::fprintf(stderr, "environment: a slot the library must not call was called\n");
    std::abort();
}

[[noreturn]] void AVS_CDECL EnvThrowError(HandBuiltEnv* self, const char* fmt, ...) {
    char text[256];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    self->error = text;
    self->log.push_back("ThrowError");
    throw AvisynthError(self->error.c_str());
}

void AVS_STDCALL EnvAddFunction(HandBuiltEnv* self, const char* name, const char* params,
                                IScriptEnvironment::ApplyFunc apply, void* user_data) {
    self->log.push_back(std::string("AddFunction ") + name + " " + params + (user_data ? " user" : ""));
    self->real->AddFunction(name, params, apply, user_data);
}

AVSValue* AVS_STDCALL EnvInvoke(HandBuiltEnv* self, AVSValue* result, const char* name, AVSValueRaw args,
                                const char** arg_names) {
    const AVSValue owned = AVSValue::Adopt(args);  // ours to destroy, as MSVC's callee does
    self->log.push_back(std::string("Invoke ") + name + " " + std::to_string(owned.ArraySize()));
    return new (result) AVSValue(self->real->Invoke(name, owned, arg_names));
}

PVideoFrame* AVS_STDCALL EnvNewVideoFrame(HandBuiltEnv* self, PVideoFrame* result, const VideoInfo& vi, int align) {
    self->log.push_back("NewVideoFrame " + std::to_string(vi.width) + "x" + std::to_string(vi.height) + " " +
                        std::to_string(align));
    return new (result) PVideoFrame(self->real->NewVideoFrame(vi, align));
}

int AVS_STDCALL EnvSetMemoryMax(HandBuiltEnv* self, int mem) {
    self->log.push_back("SetMemoryMax " + std::to_string(mem));
    return mem;
}

const std::array<void*, 25> kEnvTable = [] {
    std::array<void*, 25> t;
    t.fill(Slot(&EnvTrap));
    t[5] = Slot(&EnvThrowError);
    t[6] = Slot(&EnvAddFunction);
    t[8] = Slot(&EnvInvoke);
    t[14] = Slot(&EnvNewVideoFrame);
    t[20] = Slot(&EnvSetMemoryMax);
    return t;
}();

class MsvcOrder : public ::testing::Test {
protected:
    EnvPtr real = NewEnv();
    HandBuiltEnv hand = [this] {
        HandBuiltEnv h;
        h.vtable = kEnvTable.data();
        h.real = real.get();
        return h;
    }();
    IScriptEnvironment* env = hand.AsEnv();
};

// One call per shape of slot: a value returned by copy, plain arguments (64-bit ones
// among them) and the deleting destructor.
TEST_F(MsvcOrder, ManagerSlotsTakeThisThenTheResultPointer) {
    const VideoInfo vi = WithAudio(Rgb24Info(10, 4, 30), 8000, 2);
    IClip* mgr = new CMainChMgr(new PatternClip(vi, 0x21), env, AllItemKinds());
    const PClip hold(mgr);

    alignas(PVideoFrame) unsigned char storage[sizeof(PVideoFrame)];
    PVideoFrame* result = SlotOf<GetFrameFn>(mgr, 1)(mgr, reinterpret_cast<PVideoFrame*>(storage), 7, env);
    ASSERT_EQ(static_cast<void*>(result), static_cast<void*>(storage));  // returned in EAX
    EXPECT_EQ(FrameBytes(*result), std::vector<uint8_t>(128, 0));  // 4 rows of 32
    result->~PVideoFrame();
    EXPECT_EQ(hand.log.back(), "NewVideoFrame 10x4 -4");

    int16_t audio[6] = {};
    SlotOf<GetAudioFn>(mgr, 3)(mgr, audio, int64_t(1) << 33, 3, env);
    EXPECT_EQ(audio[0], static_cast<int16_t>((int64_t(1) << 33) * 7));
    EXPECT_EQ(audio[5], static_cast<int16_t>(((int64_t(1) << 33) + 2) * 7 + 1));

    // The single deleting destructor, flag 1: destroy and free, return this.
    IClip* other = new CMainChMgr(new PatternClip(vi), env, AllItemKinds());
    EXPECT_EQ(SlotOf<DeletingDestructorFn>(other, 6)(other, 1), static_cast<void*>(other));
}

TEST_F(MsvcOrder, PluginEntryAndCreateFunctionsThroughTheHandBuiltTable) {
    const SavedGlobals saved;
    EXPECT_STREQ(AvisynthPluginInit2(env), "`Quillet' Quillet plugin");
    ASSERT_EQ(hand.log.size(), 5u);
    EXPECT_EQ(hand.log[0].rfind("SetMemoryMax ", 0), 0u);
    EXPECT_EQ(std::vector<std::string>(hand.log.begin() + 1, hand.log.end()),
              (std::vector<std::string>{"AddFunction SetMainCh c", "AddFunction SetTempCh c",
                                        "AddFunction SetPreviewCh c", "AddFunction SetSubTitleCh ci"}));

    // Invoke from the library's side: name, then the argument words by value.
    const char* names[] = {"width", "height", "pixel_type"};
    const AVSValue blank = Invoke(real.get(), "BlankClip", {16, 8, "RGB24"}, names);
    const int before = blank.AsClip()->GetRefcount();
    const AVSValue main = env->Invoke("SetMainCh", blank);
    EXPECT_EQ(hand.log.back(), "Invoke SetMainCh 1");
    EXPECT_EQ(blank.AsClip()->GetRefcount(), before + 1);  // the manager holds it; the argument copy is gone
    EXPECT_EQ(GetMainClip(), main.AsClip().get());
    // "SetTempCh" gives the clip itself; "SetPreviewCh" publishes beside the main manager.
    EXPECT_EQ(env->Invoke("SetTempCh", blank).AsClip().get(), blank.AsClip().get());
    const AVSValue preview = env->Invoke("SetPreviewCh", blank);
    EXPECT_EQ(static_cast<IClip*>(g_pPreviewChMgr), preview.AsClip().get());

    // Planar input: the error comes back through the hand-built ThrowError slot.
    const PClip yv12 = Invoke(real.get(), "BlankClip", {16, 8, "YV12"}, names).AsClip();
    EXPECT_EQ(ErrorOf([&] { CMainChMgr(yv12, env, AllItemKinds()); }),
              "CMainChMgr: input to filter must be in YUY2 or RGB");
    EXPECT_EQ(hand.log.back(), "ThrowError");
}

}  // namespace
