#include "tests/ffmpeg/media_writer.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include "fserver/ffmpeg/stream_decoder.h"

namespace test {

using fserver::AvCodecPtr;
using fserver::AvFramePtr;
using fserver::AvPacketPtr;

namespace {

void Check(int r, const char* what) {
    if (r < 0) throw std::runtime_error(what);
}

struct OutputDeleter {
    void operator()(AVFormatContext* c) const {
        if (c->pb) avio_closep(&c->pb);
        avformat_free_context(c);
    }
};

}  // namespace

void Write(const std::string& path, const VideoTrack* video, const AudioTrack* audio) {
    AVFormatContext* raw = nullptr;
    Check(avformat_alloc_output_context2(&raw, nullptr, nullptr, path.c_str()), "muxer");
    std::unique_ptr<AVFormatContext, OutputDeleter> oc(raw);
    struct Encoder {
        AvCodecPtr ctx;
        AVStream* st = nullptr;
    } enc[2];
    const auto open = [&](Encoder& e, AVCodecID id, auto setup) {
        const AVCodec* codec = avcodec_find_encoder(id);
        if (!codec) throw std::runtime_error("no encoder");
        e.ctx.reset(avcodec_alloc_context3(codec));
        setup(e.ctx.get());
        if (oc->oformat->flags & AVFMT_GLOBALHEADER) e.ctx->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        Check(avcodec_open2(e.ctx.get(), codec, nullptr), "encoder");
        e.st = avformat_new_stream(oc.get(), nullptr);
        Check(avcodec_parameters_from_context(e.st->codecpar, e.ctx.get()), "parameters");
        e.st->time_base = e.ctx->time_base;
    };
    if (video)
        open(enc[0], video->codec, [&](AVCodecContext* c) {
            c->width = kWidth, c->height = kHeight, c->pix_fmt = video->format;
            c->time_base = {1, 25}, c->framerate = {25, 1};
            c->gop_size = 12, c->max_b_frames = 0;
            c->flags |= AV_CODEC_FLAG_QSCALE, c->global_quality = FF_QP2LAMBDA * 2;
            av_opt_set_int(c->priv_data, "sc_threshold", 1000000000, 0);  // no scene cuts: P frames between key frames
        });
    if (audio)
        open(enc[1], audio->codec, [&](AVCodecContext* c) {
            c->sample_fmt = audio->format, c->sample_rate = audio->rate, c->time_base = {1, audio->rate};
            // Noise substitution draws from the decoder's random generator, which only a
            // decode from the start reproduces: the suites compare samples exactly.
            if (audio->codec == AV_CODEC_ID_AAC) av_opt_set_int(c->priv_data, "aac_pns", 0, 0);
            av_opt_set(c->priv_data, "aac_coder", "fast", 0);  // a tenth of the default's time
            av_channel_layout_default(&c->ch_layout, audio->channels);
        });
    Check(avio_open(&oc->pb, path.c_str(), AVIO_FLAG_WRITE), "file");
    Check(avformat_write_header(oc.get(), nullptr), "header");

    AvPacketPtr pkt(av_packet_alloc());
    const auto send = [&](Encoder& e, const AVFrame* f) {
        Check(avcodec_send_frame(e.ctx.get(), f), "encode");
        while (avcodec_receive_packet(e.ctx.get(), pkt.get()) == 0) {
            if (e.ctx->codec_type == AVMEDIA_TYPE_VIDEO) pkt->duration = 1;  // else MP4 cuts the last frame
            av_packet_rescale_ts(pkt.get(), e.ctx->time_base, e.st->time_base);
            pkt->stream_index = e.st->index;
            Check(av_interleaved_write_frame(oc.get(), pkt.get()), "write");
        }
    };
    const int frames = video ? video->frames : 0;
    // Encoders with a fixed frame size (AAC, Opus) take exactly that many samples.
    int chunk = audio ? audio->rate / 50 : 0;
    if (audio && enc[1].ctx->frame_size > 0 &&
        !(enc[1].ctx->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE))
        chunk = enc[1].ctx->frame_size;
    const bool planar = audio && av_sample_fmt_is_planar(audio->format);
    int64_t s = 0;
    for (int n = 0; n <= frames; ++n) {
        if (n < frames) {
            AvFramePtr f(av_frame_alloc());
            f->width = kWidth, f->height = kHeight, f->format = video->format, f->pts = n;
            f->quality = enc[0].ctx->global_quality;
            Check(av_frame_get_buffer(f.get(), 0), "frame");
            video->paint(f.get(), n);
            send(enc[0], f.get());
        }
        // Audio up to the same time, or all of it after the last frame.
        while (audio && s < audio->samples && (n == frames || s * 25 < int64_t{n + 1} * audio->rate)) {
            AvFramePtr f(av_frame_alloc());
            f->nb_samples = static_cast<int>(std::min<int64_t>(chunk, audio->samples - s));
            f->format = audio->format, f->sample_rate = audio->rate, f->pts = s;
            av_channel_layout_default(&f->ch_layout, audio->channels);
            Check(av_frame_get_buffer(f.get(), 0), "frame");
            for (int i = 0; i < f->nb_samples * audio->channels; ++i) {
                const int ch = i % audio->channels;
                const double v = audio->value(s + i / audio->channels, ch);
                // Interleaved: all in plane 0; planar: one plane a channel.
                uint8_t* plane = f->extended_data[planar ? ch : 0];
                const int at = planar ? i / audio->channels : i;
                if (av_get_packed_sample_fmt(audio->format) == AV_SAMPLE_FMT_S16)
                    reinterpret_cast<int16_t*>(plane)[at] = int16_t(lround(v));
                else
                    reinterpret_cast<float*>(plane)[at] = float(v);
            }
            s += f->nb_samples;
            send(enc[1], f.get());
        }
    }
    for (Encoder& e : enc)
        if (e.ctx) send(e, nullptr);
    Check(av_write_trailer(oc.get()), "trailer");
}


}  // namespace test
