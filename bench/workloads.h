// The composition workloads of the overlay benchmarks, shared by the Google Benchmark
// program and the whole-process timer: 1920x1080 RGB24 frames composed through the
// plugin's exports and the stand-in frame server, as a host would drive them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "avs/avisynth.h"
#include "channels/overlay_records.h"
#include "plugin/exports.h"

namespace bench {

constexpr int kWidth = 1920, kHeight = 1080;

struct Quad {
    float x[4], y[4];  // top-left, top-right, bottom-right, bottom-left
};

// The quadrilaterals FFmpeg's peer graphs warp into.
inline constexpr Quad kQuads[4] = {
    {{200, 1500, 1400, 300}, {100, 180, 900, 1000}},
    {{40, 900, 860, 80}, {60, 20, 560, 520}},
    {{1000, 1880, 1840, 1060}, {80, 140, 620, 580}},
    {{500, 1400, 1380, 460}, {560, 600, 1060, 1040}},
};

struct Overlay {
    Quad quad;
    int opacity;
    int outline;
};

struct Workload {
    const char* name;
    std::vector<Overlay> overlays;
    int quick;  // 1 nearest, 0 bilinear
};

inline const std::vector<Workload>& Workloads() {
    static const Quad centred = {{320, 1600, 1600, 320}, {180, 180, 900, 900}};
    static const std::vector<Workload> w = {
        {"a_rect_opaque", {{centred, 255, 0}}, 1},
        {"b_rect_alpha200_outline2", {{centred, 200, 2}}, 1},
        {"c_warp_nearest", {{kQuads[0], 200, 0}}, 1},
        {"d_warp_bilinear", {{kQuads[0], 200, 0}}, 0},
        {"e_warp4_bilinear", {{kQuads[0], 200, 0}, {kQuads[1], 200, 0}, {kQuads[2], 200, 0}, {kQuads[3], 200, 0}}, 0},
        {"f_canvas", {}, 1},
    };
    return w;
}

struct EnvDeleter {
    void operator()(IScriptEnvironment* env) const { env->DeletingDestructor(1); }
};
using EnvPtr = std::unique_ptr<IScriptEnvironment, EnvDeleter>;

// A published manager over a 1000-frame black main clip with the workload's overlays
// (1280x720 clips) on channels 1, 2, ...
class Timeline {
public:
    explicit Timeline(const Workload& w) : env_(CreateScriptEnvironment(AVISYNTH_INTERFACE_VERSION)) {
        AvisynthPluginInit2(env_.get());
        mgr_ = env_->Invoke("SetMainCh", env_->Invoke("SetTempCh", Blank(kWidth, kHeight, 0))).AsClip();
        int id = 1;
        for (const Overlay& o : w.overlays) {
            clips_.push_back(Blank(1280, 720, 0x3366CC + id));
            OverlayClipInfo info;
            info.item_id = id;
            info.first_frame = 0;
            info.last_frame = 999;
            info.clip = &clips_.back();
            info.video_enabled = 1;
            OverlayEffect e;
            for (int i = 0; i < 4; ++i) e.placement.corners[i] = {o.quad.x[i], o.quad.y[i]};
            e.placement.opacity = o.opacity;
            e.placement.outline_width = o.outline;
            AddOverlay(&info, &e, id, 0);
            ++id;
        }
        SetQuickWarp(w.quick);
    }
    ~Timeline() { SetQuickWarp(1); }

    PVideoFrame Frame(int n) { return mgr_->GetFrame(n % 1000, env_.get()); }

private:
    PClip Blank(int width, int height, int colour) {
        const AVSValue args[] = {1000, width, height, "RGB24", colour};
        const char* names[] = {"length", "width", "height", "pixel_type", "color"};
        return env_->Invoke("BlankClip", AVSValue(args, 5), names).AsClip();
    }

    EnvPtr env_;
    std::vector<PClip> clips_;  // the host's references, as a host keeps them
    PClip mgr_;
};

}  // namespace bench
