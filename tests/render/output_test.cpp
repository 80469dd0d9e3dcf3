// What ferrule-render writes: MP4s decoded back, joined pieces, PNGs read back, the progress line.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/render/render_support.h"
#include "tools/ferrule-render/av_holders.h"
#include "tools/ferrule-render/join_pieces.h"
#include "tools/ferrule-render/png_frames.h"
#include "tools/ferrule-render/progress.h"
#include "tools/ferrule-render/video_writer.h"

namespace {

using render::Output;
using rtest::TempDir;

Output TinyOutput(int frames) { return {.width = 64, .height = 48, .fps = 25, .frames = frames}; }

// A bottom-up BGR frame, `top` over the upper half of the picture, padding after each row.
std::vector<uint8_t> TwoToneFrame(const Output& out, int pitch, std::array<uint8_t, 3> bottom,
                                  std::array<uint8_t, 3> top) {
    std::vector<uint8_t> frame(static_cast<size_t>(pitch) * out.height, 0xEE);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            for (int c = 0; c < 3; ++c)
                frame[static_cast<size_t>(y) * pitch + 3 * x + c] = (y < out.height / 2 ? bottom : top)[c];
    return frame;
}

void Tone(int16_t* buf, int64_t start, int64_t count, int channels) {
    for (int64_t i = 0; i < count; ++i)
        for (int c = 0; c < channels; ++c)
            buf[i * channels + c] = static_cast<int16_t>(8000 * std::sin(2 * M_PI * 440 * (start + i) / 48000.0));
}

struct Decoded {
    int video_frames = 0, width = 0, height = 0;
    std::vector<int64_t> frame_pts, packet_dts;
    std::vector<std::array<double, 3>> top_bgr, bottom_bgr;  // mean of each half of each frame
    bool has_audio = false;
    int64_t audio_samples = 0;
};

// Decodes every stream of `path` with FFmpeg's own decoders.
Decoded Decode(const std::string& path) {
    Decoded d;
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) throw std::runtime_error(path + ": unreadable");
    render::InputFormatPtr in(raw);
    avformat_find_stream_info(in.get(), nullptr);
    std::vector<render::CodecContextPtr> decoders(in->nb_streams);
    for (unsigned i = 0; i < in->nb_streams; ++i) {
        const AVCodec* codec = avcodec_find_decoder(in->streams[i]->codecpar->codec_id);
        decoders[i].reset(avcodec_alloc_context3(codec));
        avcodec_parameters_to_context(decoders[i].get(), in->streams[i]->codecpar);
        decoders[i]->pkt_timebase = in->streams[i]->time_base;
        if (avcodec_open2(decoders[i].get(), codec, nullptr) < 0) throw std::runtime_error("decoder");
        d.has_audio |= in->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO;
    }
    render::PacketPtr packet(av_packet_alloc());
    render::FramePtr frame(av_frame_alloc());
    auto receive = [&](AVCodecContext* dec) {
        while (avcodec_receive_frame(dec, frame.get()) == 0) {
            if (dec->codec_type == AVMEDIA_TYPE_AUDIO) {
                d.audio_samples += frame->nb_samples;
                continue;
            }
            ++d.video_frames;
            d.width = frame->width;
            d.height = frame->height;
            d.frame_pts.push_back(frame->best_effort_timestamp);
            std::vector<uint8_t> bgr(static_cast<size_t>(frame->width) * frame->height * 3);
            render::SwsPtr sws(sws_getContext(frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                                              frame->width, frame->height, AV_PIX_FMT_BGR24, SWS_POINT, nullptr,
                                              nullptr, nullptr));
            uint8_t* dst = bgr.data();
            const int stride = frame->width * 3;
            sws_scale(sws.get(), frame->data, frame->linesize, 0, frame->height, &dst, &stride);
            std::array<double, 3> top{}, bottom{};
            const size_t half = bgr.size() / 2;
            for (size_t i = 0; i < bgr.size(); ++i) (i < half ? top : bottom)[i % 3] += bgr[i];
            for (int c = 0; c < 3; ++c) {
                top[c] /= half / 3.0;
                bottom[c] /= half / 3.0;
            }
            d.top_bgr.push_back(top);
            d.bottom_bgr.push_back(bottom);
        }
    };
    while (av_read_frame(in.get(), packet.get()) == 0) {
        AVCodecContext* dec = decoders[packet->stream_index].get();
        if (dec->codec_type == AVMEDIA_TYPE_VIDEO) d.packet_dts.push_back(packet->dts);
        avcodec_send_packet(dec, packet.get());
        av_packet_unref(packet.get());
        receive(dec);
    }
    for (auto& dec : decoders) {
        avcodec_send_packet(dec.get(), nullptr);
        receive(dec.get());
    }
    return d;
}

bool StrictlyIncreasing(const std::vector<int64_t>& v) {
    for (size_t i = 1; i < v.size(); ++i)
        if (v[i] <= v[i - 1]) return false;
    return true;
}

void ExpectColour(const std::array<double, 3>& mean, std::array<uint8_t, 3> bgr) {
    // yuv420p at crf 18 and back: a few levels of rounding either way.
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(mean[c], bgr[c], 4.0) << "channel " << c;
}

// AAC starts with 1024 samples of encoder delay, which the MP4 edit list lets the
// decoder drop, and the last frame is filled out to 1024. So at least what was written
// comes back, and less than two frames more even if the delay were kept.
void ExpectAudioLength(const Decoded& d, int64_t written) {
    EXPECT_TRUE(d.has_audio);
    EXPECT_GE(d.audio_samples, written);
    EXPECT_LT(d.audio_samples, written + 2048);
}

void WritePiece(const std::string& path, const Output& out, std::array<uint8_t, 3> bottom, bool with_audio,
                std::array<uint8_t, 3> top) {
    const int pitch = out.width * 3 + 4;
    const std::vector<uint8_t> frame = TwoToneFrame(out, pitch, bottom, top);
    render::Mp4Writer writer(path, out, with_audio);
    for (int i = 0; i < out.frames; ++i) writer.WriteVideo(frame.data(), pitch);
    if (with_audio) {
        const int64_t total = static_cast<int64_t>(out.frames) * out.audio_rate / out.fps;
        std::vector<int16_t> samples(static_cast<size_t>(total) * out.audio_channels);
        Tone(samples.data(), 0, total, out.audio_channels);
        // Uneven pieces, so the encoder's fixed frames come from the FIFO.
        for (int64_t at = 0; at < total; at += 1000)
            writer.WriteAudio(samples.data() + at * out.audio_channels, std::min<int64_t>(1000, total - at));
    }
    writer.Finish();
}

TEST(Mp4Writer, VideoAndAudioDecodeBackWithTheirLengthsAndColour) {
    const TempDir dir;
    const Output out = TinyOutput(12);
    for (const bool audio : {true, false}) {
        WritePiece(dir / "a.mp4", out, {40, 160, 200}, audio, {220, 90, 20});
        const Decoded d = Decode(dir / "a.mp4");
        EXPECT_EQ(d.video_frames, 12);
        EXPECT_EQ(d.width, 64);
        EXPECT_EQ(d.height, 48);
        EXPECT_TRUE(StrictlyIncreasing(d.frame_pts));
        ASSERT_FALSE(d.top_bgr.empty());
        ExpectColour(d.bottom_bgr.front(), {40, 160, 200});
        ExpectColour(d.top_bgr.front(), {220, 90, 20});
        if (audio) ExpectAudioLength(d, 12 * 48000 / 25);
        else EXPECT_FALSE(d.has_audio);
    }
}

TEST(Mp4Writer, UnfinishedOrFailedOutputLeavesNoFile) {
    const TempDir dir;
    const Output out = TinyOutput(4);
    {
        render::Mp4Writer writer(dir / "partial.mp4", out, true);
        const std::vector<uint8_t> frame = TwoToneFrame(out, out.width * 3, {1, 2, 3}, {1, 2, 3});
        writer.WriteVideo(frame.data(), out.width * 3);
        EXPECT_TRUE(std::filesystem::exists(dir / "partial.mp4"));
    }
    EXPECT_TRUE(dir.Names().empty());

    try {
        render::Mp4Writer writer(dir / "missing/x.mp4", out, false);
        ADD_FAILURE() << "opened a file in a missing directory";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("missing/x.mp4: cannot be created"), std::string::npos) << e.what();
    }
    Output odd = out;
    odd.width = 63;
    EXPECT_THROW(render::Mp4Writer(dir / "odd.mp4", odd, false), std::runtime_error);
    EXPECT_TRUE(dir.Names().empty());
}

TEST(JoinPieces, CopiesThePiecesVideoAndEncodesOneAudioTrack) {
    const TempDir dir;
    const Output piece = TinyOutput(6);
    WritePiece(dir / "p0.mp4", piece, {200, 30, 30}, false, {200, 30, 30});
    WritePiece(dir / "it's p1.mp4", piece, {30, 200, 30}, false, {30, 200, 30});  // a quote the list must escape
    const Output whole = TinyOutput(12);
    const int64_t total = 12 * 48000 / 25;
    int64_t asked = 0;
    render::JoinPieces({dir / "p0.mp4", dir / "it's p1.mp4"}, whole,
                       [&](int16_t* buf, int64_t start, int64_t count) {
                           EXPECT_EQ(start, asked) << "audio asked for in order, without gaps";
                           asked += count;
                           Tone(buf, start, count, 2);
                       },
                       dir / "joined.mp4");
    EXPECT_EQ(asked, total);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"it's p1.mp4", "joined.mp4", "p0.mp4"})) << "no list left";
    const Decoded d = Decode(dir / "joined.mp4");
    EXPECT_EQ(d.video_frames, 12);
    EXPECT_TRUE(StrictlyIncreasing(d.frame_pts));
    EXPECT_TRUE(StrictlyIncreasing(d.packet_dts));
    ASSERT_EQ(d.top_bgr.size(), 12u);
    ExpectColour(d.top_bgr[5], {200, 30, 30});
    ExpectColour(d.top_bgr[6], {30, 200, 30});
    ExpectAudioLength(d, total);

    Output silent = whole;
    silent.audio_channels = 0;
    render::JoinPieces({dir / "p0.mp4", dir / "it's p1.mp4"}, silent, {}, dir / "silent.mp4");
    const Decoded s = Decode(dir / "silent.mp4");
    EXPECT_EQ(s.video_frames, 12);
    EXPECT_FALSE(s.has_audio);

    EXPECT_THROW(render::JoinPieces({dir / "none.mp4"}, silent, {}, dir / "bad.mp4"), std::runtime_error);
    EXPECT_FALSE(std::filesystem::exists(dir / "bad.mp4"));
    EXPECT_EQ(dir.Names().size(), 4u) << "no list left after a failure";
}

TEST(Progress, FormatsTheLine) {
    EXPECT_EQ(render::FormatProgress(45, 100, 45 / 23.4, 20),
              "[#########           ]  45/100 frames  23.4 fps  0:02 left");
    EXPECT_EQ(render::FormatProgress(0, 100, 0.0, 20), "[                    ]   0/100 frames  0.0 fps  -:-- left");
    EXPECT_EQ(render::FormatProgress(7, 100, 0.0, 10), "[          ]   7/100 frames  0.0 fps  -:-- left");
    EXPECT_EQ(render::FormatProgress(100, 100, 4.0, 20), "[####################] 100/100 frames  25.0 fps  0:00 left");
    EXPECT_EQ(render::FormatProgress(1, 10000, 1.0, 4), "[    ]     1/10000 frames  1.0 fps  2:46:39 left");
}

TEST(Progress, DrawsOnlyWhenEnabledAndEndsTheLine) {
    std::FILE* sink = std::tmpfile();
    ASSERT_NE(sink, nullptr);
    auto contents = [&] {
        std::string text(static_cast<size_t>(std::ftell(sink)), '\0');
        std::rewind(sink);
        text.resize(std::fread(text.data(), 1, text.size(), sink));
        return text;
    };
    render::Progress off(10, false, sink);
    off.Update(5);
    off.Finish();
    EXPECT_EQ(contents(), "");

    render::Progress on(10, true, sink);
    on.Update(1);
    on.Update(2);  // within a tenth of a second: not drawn
    on.Update(10);
    on.Finish();
    const std::string text = contents();
    std::fclose(sink);
    EXPECT_EQ(text.rfind("\r[##", 0), 0u) << text;
    EXPECT_EQ(text.find(" 2/10"), std::string::npos) << text;
    EXPECT_NE(text.find("10/10 frames"), std::string::npos) << text;
    EXPECT_EQ(text.back(), '\n');
}

TEST(PngFrames, FrameAndContactSheetReadBackTopDownRgb) {
    const TempDir dir;
    // 3x2 bottom-up BGR with two bytes of row padding; the first row in memory is the bottom.
    const uint8_t frame[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0,  //
                             10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0};
    render::WritePngFrame(dir / "f.png", frame, 11, 3, 2);
    const rtest::Png png = rtest::ReadPng(dir / "f.png");
    EXPECT_EQ(png.width, 3);
    EXPECT_EQ(png.rgb, (std::vector<uint8_t>{12, 11, 10, 15, 14, 13, 18, 17, 16, 3, 2, 1, 6, 5, 4, 9, 8, 7}));
    EXPECT_THROW(render::WritePngFrame(dir / "missing/f.png", frame, 11, 3, 2), std::runtime_error);

    // 8x4 frames to 4x2 tiles: each tile pixel the mean of a 2x2 block.
    const Output out{.width = 8, .height = 4};
    render::ContactSheet sheet(8, 4, 2, 4);
    std::vector<uint8_t> striped = TwoToneFrame(out, 24, {}, {});
    for (int y = 0; y < 4; ++y) striped[static_cast<size_t>(y) * 24 + 2] = 200;  // red in column 0
    for (int i = 0; i < 3; ++i) sheet.Add(striped.data(), 24);
    sheet.Write(dir / "sheet.png");
    const rtest::Png s = rtest::ReadPng(dir / "sheet.png");
    ASSERT_EQ(s.width, 4 + 2 * (4 + 4));
    ASSERT_EQ(s.height, 4 + 2 * (2 + 4));
    auto at = [&](int x, int y, int c) { return s.rgb[size_t(y * s.width + x) * 3 + c]; };
    EXPECT_EQ(at(0, 0, 0), render::ContactSheet::kBackground);
    EXPECT_EQ(at(4, 4, 0), 100) << "half of the block is red";
    EXPECT_EQ(at(5, 4, 0), 0);
    EXPECT_EQ(at(4, 10, 0), 100) << "third tile starts the second row";
    EXPECT_EQ(at(12, 10, 0), render::ContactSheet::kBackground) << "no fourth tile";
}

// The whole program: an MP4 from one process or from two pieces has every frame, the
// size and the whole sound.
TEST(Render, AnMp4FromOneOrTwoJobsDecodesToItsFramesSizeAndSound) {
    const TempDir dir;
    dir.Write("t.json", R"({"output": {"width": 64, "height": 48, "fps": 25, "frames": 30},
        "channels": [{"items": [{"type": "overlay", "first": 0, "last": 29, "audio": true,
                                 "generate": {"kind": "gradient", "tone": true}}]}]})");
    for (const char* jobs : {"1", "2"}) {
        const std::string out = dir / (std::string("out-") + jobs + ".mp4");
        const rtest::Run run = rtest::RunRender({dir / "t.json", "-o", out, "--jobs", jobs});
        ASSERT_EQ(run.status, 0) << run.errors;
        const Decoded d = Decode(out);
        EXPECT_EQ(d.video_frames, 30) << jobs;
        EXPECT_EQ(d.width, 64);
        EXPECT_EQ(d.height, 48);
        EXPECT_TRUE(d.has_audio);
        ExpectAudioLength(d, 30 * 48000 / 25);
    }
}

}  // namespace
