// Frame rates in the timeline: whole, decimal and fractional, and an NTSC timeline
// rendered at its exact rate.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

#include "tests/render/render_support.h"
#include "tools/ferrule-render/session.h"

namespace {

std::string RateError(const std::string& fps) {
    try {
        render::ParseTimeline(R"({"output": {"fps": )" + fps + R"(}, "channels": []})", "t.json", "/");
        return "";
    } catch (const render::TimelineError& e) {
        return e.what();
    }
}

TEST(FrameRate, WholeDecimalAndFractionalRatesAndTheirFaults) {
    const std::pair<const char*, std::array<int, 2>> rates[] = {
        {"25", {25, 1}},         {"30.0", {30, 1}},          {R"("30000/1001")", {30000, 1001}},
        {"29.97", {30000, 1001}}, {"23.976", {24000, 1001}}, {"59.94", {60000, 1001}},
        {"12.5", {25, 2}},       {R"("50/2")", {25, 1}},    {R"("24")", {24, 1}},
    };
    for (const auto& [text, want] : rates) {
        const render::Output o =
            render::ParseTimeline(R"({"output": {"fps": )" + std::string(text) + R"(}, "channels": []})", "t.json", "/").output;
        EXPECT_EQ((std::array<int, 2>{o.fps, o.fps_denominator}), want) << text;
    }
    const std::string range = "t.json: /output/fps: must be from 1 to 240", form = "t.json: /output/fps: must be a number or a fraction \"N/D\"";
    const std::pair<const char*, std::string> faults[] = {{"0.5", range},         {"240.5", range},         {R"("241/1")", range},
                                                          {"-25", range},          {R"("30000/0")", form},   {R"("29.97")", form},
                                                          {R"("1/x")", form},      {"true", form}};
    for (const auto& [text, message] : faults) EXPECT_EQ(RateError(text), message) << text;
}

// 29.97 fps through two workers: the MP4's frames are 1001/30000 s apart, and the sound
// runs as long as the 12 frames.
TEST(FrameRate, AnNtscTimelineRendersAtItsExactRate) {
    rtest::TempDir dir;
    rtest::WriteText(dir / "t.json", R"({"output": {"width": 64, "height": 48, "fps": 29.97, "frames": 12},
        "channels": [{"items": [{"type": "overlay", "first": 0, "last": 11, "audio": true,
                                 "generate": {"kind": "gradient", "tone": true}}]}]})");
    const render::Session session(render::ReadTimelineFile(dir / "t.json"));
    const VideoInfo& vi = session.Main()->GetVideoInfo();
    EXPECT_EQ(vi.fps_numerator, 30000u);
    EXPECT_EQ(vi.fps_denominator, 1001u);
    EXPECT_EQ(vi.num_audio_samples, 19219) << "12 * 48000 * 1001 / 30000, rounded down";

    ASSERT_EQ(rtest::RunRender({dir / "t.json", "-o", dir / "t.mp4", "--jobs", "2", "--quiet"}).status, 0);
    AVFormatContext* raw = nullptr;
    ASSERT_GE(avformat_open_input(&raw, (dir / "t.mp4").c_str(), nullptr, nullptr), 0);
    std::unique_ptr<AVFormatContext, void (*)(AVFormatContext*)> in(raw, [](AVFormatContext* c) { avformat_close_input(&c); });
    ASSERT_GE(avformat_find_stream_info(in.get(), nullptr), 0);
    const int video = av_find_best_stream(in.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    ASSERT_GE(video, 0);
    const AVRational base = in->streams[video]->time_base;
    EXPECT_EQ(av_cmp_q(in->streams[video]->avg_frame_rate, AVRational{30000, 1001}), 0);
    AVPacket* pkt = av_packet_alloc();
    std::vector<int64_t> starts;
    while (av_read_frame(in.get(), pkt) >= 0) {
        if (pkt->stream_index == video) starts.push_back(av_rescale_q(pkt->pts, base, AVRational{1, 30000}));
        av_packet_unref(pkt);
    }
    av_packet_free(&pkt);
    std::sort(starts.begin(), starts.end());
    ASSERT_EQ(starts.size(), 12u);
    for (size_t i = 0; i < starts.size(); ++i) EXPECT_EQ(starts[i] - starts[0], int64_t(1001 * i)) << i;
}

}  // namespace
