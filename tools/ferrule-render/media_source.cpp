#include "media_source.h"

#include <cmath>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/display.h>
}

#include "av_holders.h"

namespace render {

namespace {

// Turns as FFmpeg's own player and converter take them from the display matrix: the
// matrix's counter-clockwise angle, negated, brought into [0, 360).
int TurnOf(const AVStream* st) {
    size_t size = 0;
    const uint8_t* matrix = av_stream_get_side_data(st, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (!matrix || size < 9 * sizeof(int32_t)) return 0;
    const double angle = av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix));
    if (std::isnan(angle)) return 0;
    double theta = -std::round(angle);
    theta -= 360 * std::floor(theta / 360 + 0.9 / 360);
    for (const int turn : {90, 180, 270})
        if (std::abs(theta - turn) < 1.0) return turn;
    return 0;  // other angles are not quarter turns; the picture stays as it is coded
}

// Holds one picture for as many frames as asked.
class HeldStill final : public GenericVideoFilter {
public:
    HeldStill(PClip clip, int frames, const VideoInfo& timeline) : GenericVideoFilter(std::move(clip)) {
        vi.num_frames = frames;
        vi.SetFPS(timeline.fps_numerator, timeline.fps_denominator);
    }
    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int, IScriptEnvironment* env) override {
        return ReturnInto(result, child->GetFrame(0, env));
    }
    using IClip::GetFrame;
};

}  // namespace

MediaFacts ProbeMedia(const std::string& path) {
    MediaFacts facts;
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) return facts;
    const InputFormatPtr input(raw);
    if (avformat_find_stream_info(input.get(), nullptr) < 0) return facts;
    const int video = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (video < 0) return facts;
    facts.turn = TurnOf(input->streams[video]);
    const PacketPtr packet(av_packet_alloc());
    if (!packet) return facts;
    int pictures = 0;
    while (pictures < 2 && av_read_frame(input.get(), packet.get()) >= 0) {
        pictures += packet->stream_index == video;
        av_packet_unref(packet.get());
    }
    facts.still = pictures == 1;
    return facts;
}

PClip ConformMedia(PClip clip, const MediaFacts& facts, int frames, const VideoInfo& timeline, IScriptEnvironment* env) {
    if (!clip->GetVideoInfo().HasVideo()) return clip;
    const char* turn = facts.turn == 90 ? "TurnRight" : facts.turn == 180 ? "Turn180" : facts.turn == 270 ? "TurnLeft" : nullptr;
    if (turn) clip = env->Invoke(turn, AVSValue(clip)).AsClip();
    if (facts.still) clip = new HeldStill(clip, frames, timeline);
    return clip;
}

}  // namespace render
