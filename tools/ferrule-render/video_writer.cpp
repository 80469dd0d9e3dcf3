#include "video_writer.h"

#include <stdexcept>

extern "C" {
#include <libavutil/opt.h>
}

namespace render {

Mp4Writer::Mp4Writer(const std::string& path, const Output& out, bool with_audio, const std::string& format)
    : out_(out), file_(path, format) {
    if (out.width <= 0 || out.height <= 0 || out.width % 2 || out.height % 2)
        throw std::runtime_error(path + ": H.264 in yuv420p needs an even width and height, not " +
                                 std::to_string(out.width) + "x" + std::to_string(out.height));
    if (out.fps <= 0 || out.fps_denominator <= 0) throw std::runtime_error(path + ": frame rate must be positive");

    // libx264 is the one that works everywhere; a hardware H.264 encoder is only a fallback.
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (!codec) codec = avcodec_find_encoder(AV_CODEC_ID_H264);
    if (!codec)
        throw std::runtime_error(
            "this FFmpeg has no H.264 encoder (libx264); write PNG frames with --frames DIR instead");
    video_.reset(avcodec_alloc_context3(codec));
    if (!video_) throw std::runtime_error(path + ": out of memory for the H.264 encoder");
    video_->width = out.width;
    video_->height = out.height;
    video_->pix_fmt = AV_PIX_FMT_YUV420P;
    video_->time_base = AVRational{out.fps_denominator, out.fps};
    video_->framerate = AVRational{out.fps, out.fps_denominator};
    if (file_.wants_global_header()) video_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (std::string(codec->name) == "libx264") {
        av_opt_set(video_->priv_data, "preset", "veryfast", 0);
        av_opt_set(video_->priv_data, "crf", "18", 0);
    }
    int err = avcodec_open2(video_.get(), codec, nullptr);
    if (err < 0)
        throw std::runtime_error(path + ": cannot open the H.264 encoder " + codec->name + ": " + AvError(err));
    video_stream_ = file_.AddStream();
    video_stream_->time_base = video_->time_base;
    video_stream_->avg_frame_rate = video_->framerate;
    err = avcodec_parameters_from_context(video_stream_->codecpar, video_.get());
    if (err < 0) throw std::runtime_error(path + ": cannot describe the video stream: " + AvError(err));

    if (with_audio && out.audio_channels > 0) audio_.emplace(file_, out.audio_rate, out.audio_channels);

    convert_.reset(sws_getContext(out.width, out.height, AV_PIX_FMT_BGR24, out.width, out.height,
                                  AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr));
    frame_.reset(av_frame_alloc());
    packet_.reset(av_packet_alloc());
    if (!convert_ || !frame_ || !packet_) throw std::runtime_error(path + ": cannot set up the colour conversion");
    frame_->format = AV_PIX_FMT_YUV420P;
    frame_->width = out.width;
    frame_->height = out.height;
    err = av_frame_get_buffer(frame_.get(), 0);
    if (err < 0) throw std::runtime_error(path + ": out of memory for a video frame");

    file_.Open();
}

Mp4Writer::~Mp4Writer() = default;

void Mp4Writer::WriteVideo(const uint8_t* bottom_up_bgr, int pitch) {
    int err = av_frame_make_writable(frame_.get());
    if (err < 0) throw std::runtime_error(file_.path() + ": out of memory for a video frame");
    // Start at the last row in memory (the top of the picture) and step backwards.
    const uint8_t* top = bottom_up_bgr + static_cast<ptrdiff_t>(out_.height - 1) * pitch;
    const int stride = -pitch;
    sws_scale(convert_.get(), &top, &stride, 0, out_.height, frame_->data, frame_->linesize);
    frame_->pts = frames_written_++;
    Drain(frame_.get());
}

void Mp4Writer::WriteAudio(const int16_t* interleaved, int64_t sample_frames) {
    if (audio_) audio_->Write(interleaved, sample_frames);
}

void Mp4Writer::Finish() {
    Drain(nullptr);
    if (audio_) audio_->Finish();
    file_.Finish();
}

void Mp4Writer::Drain(const AVFrame* frame) {
    int err = avcodec_send_frame(video_.get(), frame);
    if (err < 0) throw std::runtime_error(file_.path() + ": H.264 encoding failed: " + AvError(err));
    for (;;) {
        err = avcodec_receive_packet(video_.get(), packet_.get());
        if (err == AVERROR(EAGAIN) || err == AVERROR_EOF) return;
        if (err < 0) throw std::runtime_error(file_.path() + ": H.264 encoding failed: " + AvError(err));
        packet_->stream_index = video_stream_->index;
        file_.Write(packet_.get(), video_->time_base);
    }
}

}  // namespace render
