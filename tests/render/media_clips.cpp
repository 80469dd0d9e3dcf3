#include "tests/render/media_clips.h"

#include <stdexcept>

extern "C" {
#include <libavutil/display.h>
}

#include "tools/ferrule-render/av_holders.h"

namespace rtest {

void WriteClip(const std::string& path, int width, int height, int frames, int display_ccw,
               const std::function<uint32_t(int x, int y)>& paint) {
    const auto check = [](int r) {
        if (r < 0) throw std::runtime_error("cannot write a test clip: " + render::AvError(r));
    };
    AVFormatContext* raw = nullptr;
    check(avformat_alloc_output_context2(&raw, nullptr, "mov", path.c_str()));
    const render::OutputFormatPtr oc(raw);
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_QTRLE);
    const render::CodecContextPtr enc(avcodec_alloc_context3(codec));
    enc->width = width, enc->height = height, enc->pix_fmt = AV_PIX_FMT_RGB24, enc->time_base = {1, 25};
    check(avcodec_open2(enc.get(), codec, nullptr));
    AVStream* st = avformat_new_stream(oc.get(), nullptr);
    check(avcodec_parameters_from_context(st->codecpar, enc.get()));
    st->time_base = enc->time_base;
    if (display_ccw) {  // this call turns clockwise
        uint8_t* matrix = av_stream_new_side_data(st, AV_PKT_DATA_DISPLAYMATRIX, 9 * sizeof(int32_t));
        av_display_rotation_set(reinterpret_cast<int32_t*>(matrix), -display_ccw);
    }
    check(avio_open(&oc->pb, path.c_str(), AVIO_FLAG_WRITE));
    check(avformat_write_header(oc.get(), nullptr));
    const render::FramePtr frame(av_frame_alloc());
    const render::PacketPtr pkt(av_packet_alloc());
    frame->format = AV_PIX_FMT_RGB24, frame->width = width, frame->height = height;
    check(av_frame_get_buffer(frame.get(), 0));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t c = paint(x, y);
            uint8_t* p = frame->data[0] + y * frame->linesize[0] + 3 * x;
            p[0] = uint8_t(c >> 16), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c);
        }
    for (int n = 0; n <= frames; ++n) {  // the last round flushes
        frame->pts = n;
        check(avcodec_send_frame(enc.get(), n < frames ? frame.get() : nullptr));
        while (avcodec_receive_packet(enc.get(), pkt.get()) == 0) {
            pkt->duration = 1;
            av_packet_rescale_ts(pkt.get(), enc->time_base, st->time_base);
            check(av_interleaved_write_frame(oc.get(), pkt.get()));
        }
    }
    check(av_write_trailer(oc.get()));
}

uint32_t PixelAt(const PVideoFrame& frame, int height, int x, int y) {
    const uint8_t* p = frame->GetReadPtr() + static_cast<ptrdiff_t>(height - 1 - y) * frame->GetPitch() + 3 * x;
    return uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
}

}  // namespace rtest
