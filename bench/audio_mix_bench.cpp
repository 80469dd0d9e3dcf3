// Mixing the audio of eight overlay clips into 48 kHz stereo 16-bit blocks of one
// frame, without fades and with each fading in over the whole item, beside a plain
// copy of the same bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "avs/avisynth.h"
#include "bench/workloads.h"
#include "channels/overlay_records.h"
#include "plugin/exports.h"

namespace {

constexpr int kBlock = 1920, kFrames = 1000, kOverlays = 8;  // one 25 fps frame of samples

AVSValue StereoBlank(IScriptEnvironment* env) {
    const AVSValue args[] = {kFrames, 64, 48, "RGB24", 25, 48000, true};
    const char* names[] = {"length", "width", "height", "pixel_type", "fps", "audio_rate", "stereo"};
    return env->Invoke("BlankClip", AVSValue(args, 7), names);
}

void BM_MixEightOverlays(benchmark::State& state) {
    bench::EnvPtr env(CreateScriptEnvironment(AVISYNTH_INTERFACE_VERSION));
    AvisynthPluginInit2(env.get());
    const PClip mgr = env->Invoke("SetMainCh", env->Invoke("SetTempCh", StereoBlank(env.get()))).AsClip();
    std::vector<PClip> clips;
    for (int i = 0; i < kOverlays; ++i) {
        clips.push_back(StereoBlank(env.get()).AsClip());
        OverlayClipInfo info;
        info.item_id = i;
        info.first_frame = 0;
        info.last_frame = kFrames - 1;
        info.clip = &clips.back();
        info.audio_enabled = 1;
        info.fade_mode = state.range(0) ? kFadeIn : 0;
        info.fade_in_end = int64_t{kFrames} * kBlock;
        const OverlayEffect effect;
        AddOverlay(&info, &effect, i, 0);
    }
    std::vector<int16_t> out(kBlock * 2);
    int64_t n = 0;
    for (auto _ : state) {
        mgr->GetAudio(out.data(), (n++ % (kFrames - 1)) * kBlock, kBlock, env.get());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBlock * 4);
    RemoveAllItems();
}
BENCHMARK(BM_MixEightOverlays)->ArgName("fade")->Arg(0)->Arg(1);

void BM_CopyBlockFloor(benchmark::State& state) {
    std::vector<int16_t> in(kBlock * 2, 1), out(kBlock * 2);
    for (auto _ : state) {
        std::memcpy(out.data(), in.data(), kBlock * 4);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBlock * 4);
}
BENCHMARK(BM_CopyBlockFloor);

}  // namespace
