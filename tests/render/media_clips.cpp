#include "tests/render/media_clips.h"

#include <stdexcept>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
}

#include "tools/ferrule-render/av_holders.h"

namespace rtest {

namespace {

void Check(int r, const std::string& what) {
    if (r < 0) throw std::runtime_error(what + ": " + render::AvError(r));
}

}  // namespace

void WriteClip(const std::string& path, const ClipSpec& spec) {
    AVFormatContext* raw = nullptr;
    Check(avformat_alloc_output_context2(&raw, nullptr, "mov", path.c_str()), "muxer");
    const render::OutputFormatPtr oc(raw);
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_QTRLE);
    if (!codec) throw std::runtime_error("no QuickTime RLE encoder");
    const render::CodecContextPtr enc(avcodec_alloc_context3(codec));
    enc->width = spec.width, enc->height = spec.height, enc->pix_fmt = AV_PIX_FMT_RGB24;
    enc->time_base = {spec.fps_den, spec.fps_num}, enc->framerate = {spec.fps_num, spec.fps_den};
    Check(avcodec_open2(enc.get(), codec, nullptr), "encoder");
    AVStream* st = avformat_new_stream(oc.get(), nullptr);
    Check(avcodec_parameters_from_context(st->codecpar, enc.get()), "parameters");
    st->time_base = enc->time_base;
    if (spec.display_ccw) {
        auto* matrix = reinterpret_cast<int32_t*>(av_stream_new_side_data(st, AV_PKT_DATA_DISPLAYMATRIX, 9 * sizeof(int32_t)));
        if (!matrix) throw std::runtime_error("display matrix");
        av_display_rotation_set(matrix, -spec.display_ccw);  // this call turns clockwise
    }
    Check(avio_open(&oc->pb, path.c_str(), AVIO_FLAG_WRITE), "file");
    Check(avformat_write_header(oc.get(), nullptr), "header");

    const render::FramePtr frame(av_frame_alloc());
    const render::PacketPtr pkt(av_packet_alloc());
    frame->format = AV_PIX_FMT_RGB24, frame->width = spec.width, frame->height = spec.height;
    Check(av_frame_get_buffer(frame.get(), 0), "frame");
    const auto send = [&](const AVFrame* f) {
        Check(avcodec_send_frame(enc.get(), f), "encode");
        while (avcodec_receive_packet(enc.get(), pkt.get()) == 0) {
            pkt->duration = 1;
            av_packet_rescale_ts(pkt.get(), enc->time_base, st->time_base);
            pkt->stream_index = st->index;
            Check(av_interleaved_write_frame(oc.get(), pkt.get()), "write");
        }
    };
    for (int n = 0; n < spec.frames; ++n) {
        Check(av_frame_make_writable(frame.get()), "writable");
        for (int y = 0; y < spec.height; ++y)
            for (int x = 0; x < spec.width; ++x) {
                const uint32_t c = spec.paint(x, y, n);
                uint8_t* p = frame->data[0] + y * frame->linesize[0] + 3 * x;
                p[0] = uint8_t(c >> 16), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c);
            }
        frame->pts = n;
        send(frame.get());
    }
    send(nullptr);
    Check(av_write_trailer(oc.get()), "trailer");
}

uint32_t PixelAt(const PVideoFrame& frame, int height, int x, int y) {
    const uint8_t* p = frame->GetReadPtr() + static_cast<ptrdiff_t>(height - 1 - y) * frame->GetPitch() + 3 * x;
    return uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
}

}  // namespace rtest
