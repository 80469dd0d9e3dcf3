#include "mp4_file.h"

#include <cstdio>
#include <stdexcept>

namespace render {

Mp4File::Mp4File(const std::string& path, const std::string& format) : path_(path) {
    AVFormatContext* raw = nullptr;
    const int err = avformat_alloc_output_context2(&raw, nullptr, format.c_str(), path.c_str());
    if (err < 0 || !raw) throw std::runtime_error(path + ": cannot set up the " + format + " muxer: " + AvError(err));
    format_.reset(raw);
}

Mp4File::~Mp4File() {
    if (!created_ || finished_) return;
    // Close before removing so nothing flushes into the name afterwards.
    format_.reset();
    std::remove(path_.c_str());
}

bool Mp4File::wants_global_header() const { return format_->oformat->flags & AVFMT_GLOBALHEADER; }

AVStream* Mp4File::AddStream() {
    AVStream* stream = avformat_new_stream(format_.get(), nullptr);
    if (!stream) throw std::runtime_error(path_ + ": cannot add a stream");
    return stream;
}

void Mp4File::Open() {
    int err = avio_open(&format_->pb, path_.c_str(), AVIO_FLAG_WRITE);
    if (err < 0) throw std::runtime_error(path_ + ": cannot be created: " + AvError(err));
    created_ = true;
    err = avformat_write_header(format_.get(), nullptr);
    if (err < 0) throw std::runtime_error(path_ + ": cannot write the header: " + AvError(err));
}

void Mp4File::Write(AVPacket* packet, AVRational from) {
    av_packet_rescale_ts(packet, from, format_->streams[packet->stream_index]->time_base);
    const int err = av_interleaved_write_frame(format_.get(), packet);
    if (err < 0) throw std::runtime_error(path_ + ": cannot write a packet: " + AvError(err));
}

void Mp4File::Finish() {
    int err = av_write_trailer(format_.get());
    if (err < 0) throw std::runtime_error(path_ + ": cannot write the trailer: " + AvError(err));
    err = avio_closep(&format_->pb);
    if (err < 0) throw std::runtime_error(path_ + ": cannot be closed: " + AvError(err));
    finished_ = true;
}

}  // namespace render
