#include "fserver/ffmpeg/stream_decoder.h"

namespace fserver {

int StreamDecoder::Open(const char* path, AVMediaType type) {
    AVFormatContext* raw = nullptr;
    int r = avformat_open_input(&raw, path, nullptr, nullptr);  // frees raw itself on failure
    if (r < 0) return r;
    AvFormatPtr format(raw);
    if ((r = avformat_find_stream_info(format.get(), nullptr)) < 0) return r;
    const AVCodec* decoder = nullptr;
    const int index = av_find_best_stream(format.get(), type, -1, -1, &decoder, 0);
    if (index < 0) return index;
    AVStream* stream = format->streams[index];
    // Cover art is a single picture, not a video.
    if (stream->disposition & AV_DISPOSITION_ATTACHED_PIC) return AVERROR_STREAM_NOT_FOUND;

    AvCodecPtr codec(avcodec_alloc_context3(decoder));
    AvPacketPtr packet(av_packet_alloc());
    if (!codec || !packet) return AVERROR(ENOMEM);
    if ((r = avcodec_parameters_to_context(codec.get(), stream->codecpar)) < 0) return r;
    codec->pkt_timebase = stream->time_base;
    codec->thread_count = 1;  // the frame server is single-threaded, and frame threading adds delay
    if ((r = avcodec_open2(codec.get(), decoder, nullptr)) < 0) return r;
    for (unsigned i = 0; i < format->nb_streams; ++i)
        if (static_cast<int>(i) != index) format->streams[i]->discard = AVDISCARD_ALL;

    path_ = path;
    type_ = type;
    format_ = std::move(format);
    codec_ = std::move(codec);
    packet_ = std::move(packet);
    stream_ = stream;
    origin_ = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    draining_ = false;
    return 0;
}

int StreamDecoder::Reopen() {
    const std::string path = path_;  // Open assigns it
    return Open(path.c_str(), type_);
}

bool StreamDecoder::Next(AVFrame* frame) {
    for (;;) {
        const int got = avcodec_receive_frame(codec_.get(), frame);
        if (got == 0) return true;
        if (got == AVERROR_EOF || draining_) return false;
        // EAGAIN, or a broken frame the decoder skipped: feed it the next packet.
        for (;;) {
            if (av_read_frame(format_.get(), packet_.get()) < 0) {
                avcodec_send_packet(codec_.get(), nullptr);
                draining_ = true;
                break;
            }
            const bool ours = packet_->stream_index == stream_->index;
            if (ours) avcodec_send_packet(codec_.get(), packet_.get());  // a corrupt packet is dropped
            av_packet_unref(packet_.get());
            if (ours) break;
        }
    }
}

int64_t StreamDecoder::KeyBefore(int64_t ts) const {
    const AVIndexEntry* e = avformat_index_get_entry_from_timestamp(stream_, ts, AVSEEK_FLAG_BACKWARD);
    return e ? e->timestamp : AV_NOPTS_VALUE;
}

bool StreamDecoder::Seek(int64_t ts) {
    if (ts < origin_) ts = origin_;
    if (av_seek_frame(format_.get(), stream_->index, ts, AVSEEK_FLAG_BACKWARD) >= 0 ||
        (ts > origin_ && av_seek_frame(format_.get(), stream_->index, origin_, AVSEEK_FLAG_BACKWARD) >= 0)) {
        avcodec_flush_buffers(codec_.get());
        draining_ = false;
        return true;
    }
    // A demuxer that cannot seek still reads from the start of a fresh open.
    return Reopen() == 0;
}

}  // namespace fserver
