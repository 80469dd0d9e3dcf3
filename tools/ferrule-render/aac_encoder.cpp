#include "aac_encoder.h"

#include <algorithm>
#include <stdexcept>
#include <string>

extern "C" {
#include <libavutil/channel_layout.h>
}

namespace render {

namespace {
constexpr int64_t kConvertChunk = 4096;  // sample frames converted at a time
}

AacEncoder::AacEncoder(Mp4File& file, int rate, int channels) : file_(file), channels_(channels) {
    const std::string& path = file.path();
    const AVCodec* codec = avcodec_find_encoder_by_name("aac");
    if (!codec)
        throw std::runtime_error("this FFmpeg has no AAC encoder (aac); write PNG frames with --frames DIR instead");
    codec_.reset(avcodec_alloc_context3(codec));
    if (!codec_) throw std::runtime_error(path + ": out of memory for the AAC encoder");
    codec_->sample_fmt = AV_SAMPLE_FMT_FLTP;
    codec_->sample_rate = rate;
    av_channel_layout_default(&codec_->ch_layout, channels);
    codec_->bit_rate = 128000;
    codec_->time_base = AVRational{1, rate};
    if (file.wants_global_header()) codec_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int err = avcodec_open2(codec_.get(), codec, nullptr);
    if (err < 0)
        throw std::runtime_error(path + ": cannot open the AAC encoder for " + std::to_string(rate) + " Hz, " +
                                 std::to_string(channels) + " channels: " + AvError(err));

    stream_ = file.AddStream();
    stream_->time_base = codec_->time_base;
    err = avcodec_parameters_from_context(stream_->codecpar, codec_.get());
    if (err < 0) throw std::runtime_error(path + ": cannot describe the audio stream: " + AvError(err));

    SwrContext* swr = nullptr;
    AVChannelLayout in_layout;
    av_channel_layout_default(&in_layout, channels);
    err = swr_alloc_set_opts2(&swr, &codec_->ch_layout, AV_SAMPLE_FMT_FLTP, rate, &in_layout, AV_SAMPLE_FMT_S16,
                              rate, 0, nullptr);
    av_channel_layout_uninit(&in_layout);
    convert_.reset(swr);
    if (err < 0 || (err = swr_init(swr)) < 0)
        throw std::runtime_error(path + ": cannot set up the audio conversion: " + AvError(err));

    fifo_.reset(av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, channels, codec_->frame_size * 2));
    frame_.reset(av_frame_alloc());
    packet_.reset(av_packet_alloc());
    if (!fifo_ || !frame_ || !packet_) throw std::runtime_error(path + ": out of memory for the audio");
    planar_.resize(static_cast<size_t>(kConvertChunk) * channels);
}

void AacEncoder::Write(const int16_t* interleaved, int64_t sample_frames) {
    std::vector<uint8_t*> planes(channels_);
    for (int64_t done = 0; done < sample_frames;) {
        const int count = static_cast<int>(std::min(kConvertChunk, sample_frames - done));
        for (int c = 0; c < channels_; ++c)
            planes[c] = reinterpret_cast<uint8_t*>(planar_.data() + static_cast<size_t>(c) * kConvertChunk);
        const uint8_t* in = reinterpret_cast<const uint8_t*>(interleaved + done * channels_);
        // Same rate both sides, so the converter hands back every sample at once.
        const int got = swr_convert(convert_.get(), planes.data(), count, &in, count);
        if (got != count) throw std::runtime_error(file_.path() + ": audio conversion failed");
        if (av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(planes.data()), got) < got)
            throw std::runtime_error(file_.path() + ": out of memory for the audio");
        done += count;
        while (av_audio_fifo_size(fifo_.get()) >= codec_->frame_size) EncodeFromFifo(codec_->frame_size);
    }
}

void AacEncoder::Finish() {
    const int rest = av_audio_fifo_size(fifo_.get());
    if (rest > 0) {
        if (!(codec_->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME))
            throw std::runtime_error(file_.path() + ": the AAC encoder cannot take a short last frame");
        EncodeFromFifo(rest);
    }
    Drain(nullptr);
}

void AacEncoder::EncodeFromFifo(int sample_frames) {
    av_frame_unref(frame_.get());
    frame_->nb_samples = sample_frames;
    frame_->format = codec_->sample_fmt;
    frame_->sample_rate = codec_->sample_rate;
    int err = av_channel_layout_copy(&frame_->ch_layout, &codec_->ch_layout);
    if (err >= 0) err = av_frame_get_buffer(frame_.get(), 0);
    if (err < 0) throw std::runtime_error(file_.path() + ": out of memory for an audio frame");
    if (av_audio_fifo_read(fifo_.get(), reinterpret_cast<void**>(frame_->data), sample_frames) < sample_frames)
        throw std::runtime_error(file_.path() + ": audio buffer underrun");
    frame_->pts = next_pts_;
    next_pts_ += sample_frames;
    Drain(frame_.get());
}

void AacEncoder::Drain(const AVFrame* frame) {
    int err = avcodec_send_frame(codec_.get(), frame);
    if (err < 0) throw std::runtime_error(file_.path() + ": AAC encoding failed: " + AvError(err));
    for (;;) {
        err = avcodec_receive_packet(codec_.get(), packet_.get());
        if (err == AVERROR(EAGAIN) || err == AVERROR_EOF) return;
        if (err < 0) throw std::runtime_error(file_.path() + ": AAC encoding failed: " + AvError(err));
        packet_->stream_index = stream_->index;
        file_.Write(packet_.get(), codec_->time_base);
    }
}

}  // namespace render
