// Composing 1920x1080 RGB24 frames with 1280x720 overlays through the plugin and the
// stand-in frame server: rectangles, warps with both samplers, four warps, and the
// canvas alone. Counters give megapixels of output per second.
#include <benchmark/benchmark.h>

#include "bench/workloads.h"

namespace {

void BM_Compose(benchmark::State& state) {
    const bench::Workload& w = bench::Workloads()[state.range(0)];
    state.SetLabel(w.name);
    bench::Timeline timeline(w);
    int n = 0;
    for (auto _ : state) {
        PVideoFrame f = timeline.Frame(n++);
        benchmark::DoNotOptimize(f->GetReadPtr());
    }
    state.counters["Mpx/s"] = benchmark::Counter(double(bench::kWidth) * bench::kHeight / 1e6 * state.iterations(),
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Compose)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

}  // namespace
