// Whole-process timing of one composition workload, for hyperfine beside FFmpeg's
// peer graphs: `ferrule-compose-timer <workload> <frames>` composes that many frames
// and prints the time they took. With frames 1 and N, (T_N - T_1) / (N - 1) is the
// marginal cost of a frame, set-up and process start left out.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/workloads.h"

int main(int argc, char** argv) {
    const auto& all = bench::Workloads();
    const bench::Workload* w = nullptr;
    for (const auto& candidate : all)
        if (argc > 1 && std::strncmp(candidate.name, argv[1], std::strlen(argv[1])) == 0) w = &candidate;
    const int frames = argc > 2 ? std::atoi(argv[2]) : 0;
    if (!w || frames <= 0) {
        std::fprintf(stderr, "usage: %s <workload> <frames>\nworkloads:", argv[0]);
        for (const auto& c : all) std::fprintf(stderr, " %s", c.name);
        std::fprintf(stderr, "\n");
        return 2;
    }
    bench::Timeline timeline(*w);
    const auto start = std::chrono::steady_clock::now();
    unsigned sum = 0;
    for (int n = 0; n < frames; ++n) sum += timeline.Frame(n)->GetReadPtr()[n % 64];
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s: %d frames in %.1f ms, %.2f ms/frame (checksum %u)\n", w->name, frames, ms, ms / frames, sum);
    return 0;
}
