#include "subtitle_timing.h"

#include <stdlib.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

extern "C" {
#include <libavformat/avformat.h>
}

#include "av_holders.h"

namespace render {

namespace {

// The first frame (at `frame_time` per frame) that starts at or after t.
int64_t FrameAtOrAfter(int64_t t, AVRational time_base, AVRational frame_time) {
    return av_rescale_q_rnd(t, time_base, frame_time,
                            static_cast<AVRounding>(AV_ROUND_UP | AV_ROUND_PASS_MINMAX));
}

// When chain frame m starts, in time_base, rounded down: the cue is then on at m and
// not yet at m - 1, whether the renderer rounds the frame's time down or not at all.
int64_t ChainTime(int64_t m, AVRational time_base) {
    return av_rescale_q_rnd(m, AVRational{1, kSubtitleChainFps}, time_base, AV_ROUND_DOWN);
}

}  // namespace

bool IsTextSubtitleFile(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return false;
    const char* ext = path.c_str() + dot + 1;
    return !strcasecmp(ext, "srt") || !strcasecmp(ext, "ass") || !strcasecmp(ext, "ssa");
}

void RetimeSubtitles(const std::string& in, const std::string& out, int fps_num, int fps_den) {
    AVFormatContext* raw = nullptr;
    int err = avformat_open_input(&raw, in.c_str(), nullptr, nullptr);
    if (err < 0) throw std::runtime_error(in + ": cannot be read: " + AvError(err));
    const InputFormatPtr input(raw);
    err = avformat_find_stream_info(input.get(), nullptr);
    const int index = err < 0 ? err : av_find_best_stream(input.get(), AVMEDIA_TYPE_SUBTITLE, -1, -1, nullptr, 0);
    if (index < 0) throw std::runtime_error(in + ": holds no subtitles FFmpeg reads");
    const AVStream* in_stream = input->streams[index];

    raw = nullptr;
    err = avformat_alloc_output_context2(&raw, nullptr, nullptr, out.c_str());
    if (err < 0 || !raw) throw std::runtime_error(out + ": no subtitle muxer for it: " + AvError(err));
    OutputFormatPtr output(raw);
    AVStream* out_stream = avformat_new_stream(output.get(), nullptr);
    if (!out_stream) throw std::runtime_error(out + ": cannot add a stream");
    err = avcodec_parameters_copy(out_stream->codecpar, in_stream->codecpar);
    if (err < 0) throw std::runtime_error(out + ": cannot describe the subtitles: " + AvError(err));
    out_stream->time_base = in_stream->time_base;
    err = avio_open(&output->pb, out.c_str(), AVIO_FLAG_WRITE);
    if (err < 0) throw std::runtime_error(out + ": cannot be created: " + AvError(err));
    err = avformat_write_header(output.get(), nullptr);
    if (err < 0) throw std::runtime_error(out + ": cannot write the header: " + AvError(err));

    const AVRational frame_time{fps_den, fps_num}, out_base = out_stream->time_base;
    const PacketPtr packet(av_packet_alloc());
    if (!packet) throw std::runtime_error(out + ": out of memory for a packet");
    while (av_read_frame(input.get(), packet.get()) >= 0) {
        const bool cue = packet->stream_index == index && packet->pts != AV_NOPTS_VALUE;
        const int64_t first = cue ? std::max<int64_t>(0, FrameAtOrAfter(packet->pts, in_stream->time_base, frame_time)) : 0;
        const int64_t end = cue ? FrameAtOrAfter(packet->pts + std::max<int64_t>(0, packet->duration), in_stream->time_base, frame_time) : 0;
        if (end <= first) {  // not a cue, or one that no frame's start falls within
            av_packet_unref(packet.get());
            continue;
        }
        packet->pts = packet->dts = ChainTime(first, out_base);
        packet->duration = ChainTime(end, out_base) - packet->pts;
        packet->stream_index = out_stream->index;
        packet->pos = -1;
        err = av_write_frame(output.get(), packet.get());
        av_packet_unref(packet.get());
        if (err < 0) throw std::runtime_error(out + ": cannot write a cue: " + AvError(err));
    }
    err = av_write_trailer(output.get());
    if (err < 0) throw std::runtime_error(out + ": cannot be finished: " + AvError(err));
}

std::string RetimedCopy(const std::string& in, int fps_num, int fps_den) {
    std::string ext = std::filesystem::path(in).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    std::string name = (std::filesystem::temp_directory_path() / ("ferrule-subtitles-XXXXXX" + ext)).string();
    const int fd = mkstemps(name.data(), static_cast<int>(ext.size()));
    if (fd < 0) throw std::runtime_error("cannot make a temporary copy of \"" + in + "\"");
    close(fd);
    try {
        RetimeSubtitles(in, name, fps_num, fps_den);
    } catch (...) {
        std::remove(name.c_str());
        throw;
    }
    return name;
}

}  // namespace render
