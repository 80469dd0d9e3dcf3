// OpenCV's warpPerspective as a peer of the warp workloads (c), (d), (e): the same
// 1280x720 picture (BGRA) mapped into the same quadrilaterals of a 1920x1080 BGRA
// canvas, single-threaded. Each frame clears the canvas and warps into the
// quadrilateral's bounding box only; OpenCV does not lay the result over a frame, so
// this is the warp alone, without the opacity and the blend ours includes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "bench/workloads.h"

namespace {

void BM_OpenCvWarp(benchmark::State& state) {
    const bench::Workload& w = bench::Workloads()[state.range(0)];
    state.SetLabel(w.name);
    cv::setNumThreads(0);  // sequential, as ours is
    const cv::Mat src(720, 1280, CV_8UC4, cv::Scalar(0xCC, 0x66, 0x33, 0xFF));
    cv::Mat canvas(bench::kHeight, bench::kWidth, CV_8UC4);
    const cv::Point2f from[4] = {{0, 0}, {1279, 0}, {1279, 719}, {0, 719}};
    struct Target {
        cv::Rect box;
        cv::Mat m;
    };
    std::vector<Target> targets;
    for (const bench::Overlay& o : w.overlays) {
        cv::Point2f to[4];
        for (int i = 0; i < 4; ++i) to[i] = {o.quad.x[i], o.quad.y[i]};
        const float x0 = std::min({to[0].x, to[1].x, to[2].x, to[3].x}), y0 = std::min({to[0].y, to[1].y, to[2].y, to[3].y});
        const float x1 = std::max({to[0].x, to[1].x, to[2].x, to[3].x}), y1 = std::max({to[0].y, to[1].y, to[2].y, to[3].y});
        for (cv::Point2f& p : to) p -= cv::Point2f(x0, y0);  // the box's own coordinates
        const cv::Rect box(int(x0), int(y0), int(x1 - x0) + 1, int(y1 - y0) + 1);
        targets.push_back({box & cv::Rect(0, 0, bench::kWidth, bench::kHeight), cv::getPerspectiveTransform(from, to)});
    }
    const int mode = w.quick ? cv::INTER_NEAREST : cv::INTER_LINEAR;
    for (auto _ : state) {
        canvas.setTo(cv::Scalar::all(0));
        for (const Target& t : targets) {
            cv::Mat roi = canvas(t.box);
            cv::warpPerspective(src, roi, t.m, roi.size(), mode, cv::BORDER_TRANSPARENT);
        }
        benchmark::DoNotOptimize(canvas.data);
    }
    state.counters["Mpx/s"] = benchmark::Counter(double(bench::kWidth) * bench::kHeight / 1e6 * state.iterations(),
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(BM_OpenCvWarp)->DenseRange(2, 4)->Unit(benchmark::kMillisecond);

}  // namespace
