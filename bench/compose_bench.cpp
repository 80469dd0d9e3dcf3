// Composing an empty 1920x1080 RGB24 frame through the stand-in frame server, beside
// the floor of the same work: clearing one frame and copying it once.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include "avs/avisynth.h"
#include "bench/workloads.h"
#include "plugin/exports.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080, kBytes = kWidth * 3 * kHeight;

void BM_ComposeEmptyFrame(benchmark::State& state) {
    bench::EnvPtr env(CreateScriptEnvironment(AVISYNTH_INTERFACE_VERSION));
    AvisynthPluginInit2(env.get());
    const AVSValue args[] = {1000, kWidth, kHeight, "RGB24"};
    const char* names[] = {"length", "width", "height", "pixel_type"};
    const AVSValue blank = env->Invoke("BlankClip", AVSValue(args, 4), names);
    const PClip mgr = env->Invoke("SetMainCh", env->Invoke("SetTempCh", blank)).AsClip();
    int n = 0;
    for (auto _ : state) {
        PVideoFrame f = mgr->GetFrame(n++ % 1000, env.get());
        benchmark::DoNotOptimize(f->GetReadPtr());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBytes);
}
BENCHMARK(BM_ComposeEmptyFrame);

void BM_MemsetMemcpyFloor(benchmark::State& state) {
    std::vector<uint8_t> canvas(kBytes), out(kBytes);
    for (auto _ : state) {
        std::memset(canvas.data(), 0, kBytes);
        benchmark::ClobberMemory();
        std::memcpy(out.data(), canvas.data(), kBytes);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBytes);
}
BENCHMARK(BM_MemsetMemcpyFloor);

void BM_MemsetFloor(benchmark::State& state) {
    std::vector<uint8_t> canvas(kBytes);
    for (auto _ : state) {
        std::memset(canvas.data(), 0, kBytes);
        benchmark::DoNotOptimize(canvas.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBytes);
}
BENCHMARK(BM_MemsetFloor);

}  // namespace

BENCHMARK_MAIN();
