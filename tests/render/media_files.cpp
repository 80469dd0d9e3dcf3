#include "media_files.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
}

#include "tools/ferrule-render/av_holders.h"

namespace rtest {

namespace {

using render::CodecContextPtr;
using render::FramePtr;
using render::PacketPtr;

constexpr AVRational kVideoTime{1, 600};  // whole ticks for 10, 25, 30, 50 and 60 fps

void Check(int r, const char* what) {
    if (r < 0) throw std::runtime_error(std::string(what) + ": " + render::AvError(r));
}

struct Stream {
    CodecContextPtr codec;
    AVStream* stream = nullptr;
};

Stream AddStream(AVFormatContext* out, const std::string& name) {
    const AVCodec* codec = avcodec_find_encoder_by_name(name.c_str());
    if (!codec) throw std::runtime_error("no encoder " + name);
    Stream s;
    s.codec.reset(avcodec_alloc_context3(codec));
    s.stream = avformat_new_stream(out, nullptr);
    if (out->oformat->flags & AVFMT_GLOBALHEADER) s.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    return s;
}

void Open(Stream& s) {
    Check(avcodec_open2(s.codec.get(), s.codec->codec, nullptr), "open encoder");
    Check(avcodec_parameters_from_context(s.stream->codecpar, s.codec.get()), "parameters");
    s.stream->time_base = s.codec->time_base;
}

void Send(AVFormatContext* out, Stream& s, const AVFrame* frame) {
    Check(avcodec_send_frame(s.codec.get(), frame), "encode");
    PacketPtr packet(av_packet_alloc());
    while (avcodec_receive_packet(s.codec.get(), packet.get()) == 0) {
        av_packet_rescale_ts(packet.get(), s.codec->time_base, s.stream->time_base);
        packet->stream_index = s.stream->index;
        Check(av_interleaved_write_frame(out, packet.get()), "write");
    }
}

void WriteVideo(AVFormatContext* out, Stream& s, const MediaSpec& spec) {
    FramePtr f(av_frame_alloc());
    f->format = s.codec->pix_fmt;
    f->width = spec.width;
    f->height = spec.height;
    Check(av_frame_get_buffer(f.get(), 0), "frame");
    for (double t : spec.frame_times) {
        Check(av_frame_make_writable(f.get()), "frame");
        const uint8_t y = spec.luma(t);
        for (int row = 0; row < spec.height; ++row) std::fill_n(f->data[0] + row * f->linesize[0], spec.width, y);
        for (int p = 1; p < 3; ++p)
            for (int row = 0; row < spec.height / 2; ++row) std::fill_n(f->data[p] + row * f->linesize[p], spec.width / 2, 128);
        f->pts = std::llround(t * kVideoTime.den);
        Send(out, s, f.get());
    }
    Send(out, s, nullptr);
}

void WriteAudio(AVFormatContext* out, Stream& s, const MediaSpec& spec) {
    const int chunk = s.codec->frame_size > 0 ? s.codec->frame_size : 1024;
    FramePtr f(av_frame_alloc());
    const auto format = static_cast<AVSampleFormat>(s.codec->sample_fmt);
    for (int64_t at = 0; at < spec.audio_samples; at += chunk) {
        f.reset(av_frame_alloc());
        f->format = format;
        f->sample_rate = spec.audio_rate;
        f->nb_samples = static_cast<int>(std::min<int64_t>(chunk, spec.audio_samples - at));
        if (s.codec->frame_size > 0 && !(s.codec->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE))
            f->nb_samples = chunk;  // the last frame is filled out with silence
        Check(av_channel_layout_copy(&f->ch_layout, &s.codec->ch_layout), "layout");
        Check(av_frame_get_buffer(f.get(), 0), "frame");
        const bool planar = av_sample_fmt_is_planar(format);
        for (int i = 0; i < f->nb_samples; ++i)
            for (int c = 0; c < spec.channels; ++c) {
                const float v = at + i < spec.audio_samples ? spec.sound(at + i, c) : 0.0f;
                const int slot = planar ? i : i * spec.channels + c;
                uint8_t* plane = f->data[planar ? c : 0];
                if (format == AV_SAMPLE_FMT_FLT || format == AV_SAMPLE_FMT_FLTP)
                    reinterpret_cast<float*>(plane)[slot] = v;
                else
                    reinterpret_cast<int16_t*>(plane)[slot] = static_cast<int16_t>(std::lrint(v * 32767));
            }
        f->pts = at;
        Send(out, s, f.get());
    }
    Send(out, s, nullptr);
}

}  // namespace

std::vector<double> EvenFrames(double fps, double seconds) {
    std::vector<double> t;
    for (int i = 0; i < std::lround(fps * seconds); ++i) t.push_back(i / fps);
    return t;
}

void WriteMedia(const std::string& path, const MediaSpec& spec) {
    av_log_set_level(AV_LOG_ERROR);  // the encoders' banners and statistics are noise here
    AVFormatContext* raw = nullptr;
    Check(avformat_alloc_output_context2(&raw, nullptr, nullptr, path.c_str()), path.c_str());
    render::OutputFormatPtr out(raw);
    Stream video, audio;
    if (!spec.video_codec.empty()) {
        video = AddStream(out.get(), spec.video_codec);
        AVCodecContext* c = video.codec.get();
        c->width = spec.width;
        c->height = spec.height;
        c->pix_fmt = AV_PIX_FMT_YUV420P;
        c->time_base = kVideoTime;
        c->gop_size = 12;
        c->max_b_frames = 0;
        av_opt_set(c->priv_data, "preset", "ultrafast", 0);
        av_opt_set(c->priv_data, "deadline", "realtime", 0);
        av_opt_set_int(c->priv_data, "cpu-used", 8, 0);
        Open(video);
    }
    if (!spec.audio_codec.empty()) {
        audio = AddStream(out.get(), spec.audio_codec);
        AVCodecContext* c = audio.codec.get();
        c->sample_rate = spec.audio_rate;
        c->time_base = AVRational{1, spec.audio_rate};
        av_channel_layout_default(&c->ch_layout, spec.channels);
        c->sample_fmt = c->codec->sample_fmts ? c->codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
        c->bit_rate = 64000 * spec.channels;
        Open(audio);
    }
    Check(avio_open(&out->pb, path.c_str(), AVIO_FLAG_WRITE), path.c_str());
    Check(avformat_write_header(out.get(), nullptr), "header");
    if (video.codec) WriteVideo(out.get(), video, spec);
    if (audio.codec) WriteAudio(out.get(), audio, spec);
    Check(av_write_trailer(out.get()), "trailer");
}

DecodedMedia DecodeMedia(const std::string& path) {
    DecodedMedia d;
    AVFormatContext* raw = nullptr;
    Check(avformat_open_input(&raw, path.c_str(), nullptr, nullptr), path.c_str());
    render::InputFormatPtr in(raw);
    Check(avformat_find_stream_info(in.get(), nullptr), "stream info");
    std::vector<CodecContextPtr> decoders(in->nb_streams);
    for (unsigned i = 0; i < in->nb_streams; ++i) {
        const AVCodec* codec = avcodec_find_decoder(in->streams[i]->codecpar->codec_id);
        decoders[i].reset(avcodec_alloc_context3(codec));
        avcodec_parameters_to_context(decoders[i].get(), in->streams[i]->codecpar);
        decoders[i]->pkt_timebase = in->streams[i]->time_base;
        Check(avcodec_open2(decoders[i].get(), codec, nullptr), "decoder");
    }
    PacketPtr packet(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    const auto receive = [&](unsigned index) {
        AVCodecContext* dec = decoders[index].get();
        while (avcodec_receive_frame(dec, frame.get()) == 0) {
            if (dec->codec_type == AVMEDIA_TYPE_VIDEO) {
                d.frame_times.push_back(frame->best_effort_timestamp * av_q2d(in->streams[index]->time_base));
                double sum = 0;
                for (int y = 0; y < frame->height; ++y)
                    for (int x = 0; x < frame->width; ++x) sum += frame->data[0][y * frame->linesize[0] + x];
                d.frame_luma.push_back(sum / (frame->width * frame->height));
            } else if (dec->codec_type == AVMEDIA_TYPE_AUDIO) {
                // The writer's AAC is planar float.
                if (frame->format != AV_SAMPLE_FMT_FLTP) throw std::runtime_error("audio is not planar float");
                d.audio_rate = frame->sample_rate;
                d.channels = frame->ch_layout.nb_channels;
                for (int i = 0; i < frame->nb_samples; ++i)
                    for (int c = 0; c < d.channels; ++c)
                        d.audio.push_back(reinterpret_cast<const float*>(frame->extended_data[c])[i]);
            }
            av_frame_unref(frame.get());
        }
    };
    while (av_read_frame(in.get(), packet.get()) == 0) {
        const unsigned index = static_cast<unsigned>(packet->stream_index);
        avcodec_send_packet(decoders[index].get(), packet.get());
        av_packet_unref(packet.get());
        receive(index);
    }
    for (unsigned i = 0; i < in->nb_streams; ++i) {
        avcodec_send_packet(decoders[i].get(), nullptr);
        receive(i);
    }
    return d;
}

}  // namespace rtest
