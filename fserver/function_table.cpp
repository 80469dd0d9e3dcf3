#include "fserver/function_table.h"

#include <strings.h>

#include "fserver/builtins.h"
#if defined(FERRULE_HAVE_FFMPEG)
#include "fserver/ffmpeg/ffmpeg_builtins.h"
#endif

namespace fserver {

namespace {

struct Builtin {
    const char* name;
    const char* params;
    IScriptEnvironment::ApplyFunc apply;
};

const Builtin kBuiltins[] = {
    {"BlankClip",
     "[]c*[length]i[width]i[height]i[pixel_type]s[fps]f[fps_denominator]i[audio_rate]i[stereo]b[sixteen_bit]b"
     "[color]i[color_yuv]i[clip]c",
     ApplyAdapter<CreateBlankClip>},
    {"LoadPlugin", "s+", ApplyAdapter<CreateLoadPlugin>},
    // The later of two overloads is tried first, so whole numbers reach the integer form.
    {"AssumeFPS", "cf[sync_audio]b", ApplyAdapter<CreateAssumeFloatFps>},
    {"AssumeFPS", "ci[]i[sync_audio]b", ApplyAdapter<CreateAssumeFps>},
    {"ChangeFPS", "cf[linear]b", ApplyAdapter<CreateChangeFloatFps>},
    {"ChangeFPS", "ci[]i[linear]b", ApplyAdapter<CreateChangeFps>},
    {"FlipHorizontal", "c", ApplyAdapter<CreateFlipHorizontal>},
    {"FlipVertical", "c", ApplyAdapter<CreateFlipVertical>},
    {"TurnLeft", "c", ApplyAdapter<CreateTurnLeft>},
    {"TurnRight", "c", ApplyAdapter<CreateTurnRight>},
    {"Turn180", "c", ApplyAdapter<CreateTurn180>},
    {"Reverse", "c", ApplyAdapter<CreateReverse>},
    {"Crop", "ciiii[align]b", ApplyAdapter<CreateCrop>},
    {"AddBorders", "ciiii[color]i", ApplyAdapter<CreateAddBorders>},
    {"GetChannel", "ci+", ApplyAdapter<CreateGetChannel>},
    {"ConvertToMono", "c", ApplyAdapter<CreateConvertToMono>},
    {"Amplify", "cf+", ApplyAdapter<CreateAmplify>},
    {"ConvertAudioToFloat", "c", ApplyAdapter<CreateConvertAudioToFloat>},
    {"ConvertAudioTo16bit", "c", ApplyAdapter<CreateConvertAudioTo16bit>},
    {"MixAudio", "cc[clip1_factor]f[clip2_factor]f", ApplyAdapter<CreateMixAudio>},
    {"MergeChannels", "c+", ApplyAdapter<CreateMergeChannels>},
#if defined(FERRULE_HAVE_FFMPEG)
    {"LanczosResize", "cii[src_left]f[src_top]f[src_width]f[src_height]f[taps]i", ApplyAdapter<CreateLanczosResize>},
    {"ResampleAudio", "ci[]i", ApplyAdapter<CreateResampleAudio>},
    {"TextSub", "cs", ApplyAdapter<CreateTextSub>},
    {"VobSub", "cs", ApplyAdapter<CreateVobSub>},
    {"Import", "s", ApplyAdapter<CreateImport>},
#else
    {"Import", "s", ApplyAdapter<CreatePictureOrWaveImport>},
#endif
};

}  // namespace

FunctionTable::FunctionTable() {
    for (const Builtin& b : kBuiltins) Add(b.name, b.params, b.apply, nullptr);
}

void FunctionTable::Add(const char* name, const char* params, IScriptEnvironment::ApplyFunc apply, void* user_data) {
    functions_.push_back(Function{name, params, ParseParams(params), apply, user_data});
}

bool FunctionTable::Exists(const char* name) const {
    for (const Function& f : functions_)
        if (strcasecmp(f.name.c_str(), name) == 0) return true;
    return false;
}

std::vector<const Function*> FunctionTable::Lookup(const char* name) const {
    std::vector<const Function*> out;
    for (auto it = functions_.rbegin(); it != functions_.rend(); ++it)
        if (strcasecmp(it->name.c_str(), name) == 0) out.push_back(&*it);
    return out;
}

}  // namespace fserver
