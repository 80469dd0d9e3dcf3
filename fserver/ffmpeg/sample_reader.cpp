#include "fserver/ffmpeg/sample_reader.h"

#include <algorithm>
#include <climits>
#include <cstring>

extern "C" {
#include <libavutil/channel_layout.h>
}

namespace fserver {

int SampleReader::Open(const char* path) {
    path_ = path;
    frame_.reset(av_frame_alloc());
    if (!frame_) return AVERROR(ENOMEM);
    return decoder_.Open(path, AVMEDIA_TYPE_AUDIO);
}

void SampleReader::SetOutput(int rate, int channels, int sample_type) {
    rate_ = rate;
    channels_ = channels;
    format_ = sample_type == SAMPLE_INT16 ? AV_SAMPLE_FMT_S16 : AV_SAMPLE_FMT_FLT;
    bytes_ = channels * av_get_bytes_per_sample(format_);
    const AVCodecParameters* par = decoder_.stream()->codecpar;
    const AVCodecDescriptor* desc = avcodec_descriptor_get(par->codec_id);
    // A lossy decoder carries state from frame to frame (overlapping transforms, bit
    // reservoirs, predicted energies). Half a second settles every one we know to the
    // bit; Opus's band energies take longest, their error halving with each 20 ms frame.
    const bool lossless = desc && (desc->props & AV_CODEC_PROP_LOSSLESS) && !(desc->props & AV_CODEC_PROP_LOSSY);
    preroll_ = lossless ? 0 : rate / 2;
    preroll_ = std::max<int64_t>(preroll_, par->seek_preroll);
    const AVRational tb = decoder_.stream()->time_base;
    const bool fine = tb.num > 0 && int64_t{tb.num} * rate <= tb.den;
    // Coarse timestamps cannot place a jump to the sample, so it decodes on however far.
    reach_ = fine ? int64_t{10} * rate : INT64_MAX / 2;
}

void SampleReader::Read(uint8_t* out, int64_t start, int64_t count, int64_t total, IScriptEnvironment* env) {
    std::memset(out, 0, static_cast<size_t>(count * bytes_));
    int64_t pos = std::max<int64_t>(start, 0);
    const int64_t end = std::min(start + count, total);
    if (pos >= end) return;
    if (!DecodesOnTo(pos)) Reposition(pos, env);
    int64_t back = rate_;
    while (pos < end) {
        const int64_t chunk_end = chunk_start_ + chunk_len_;
        if (pos >= chunk_start_ && pos < chunk_end) {
            Convert(env);
            const int64_t n = std::min(end, chunk_end) - pos;
            std::memcpy(out + (pos - start) * bytes_, chunk_.data() + (pos - chunk_start_) * bytes_,
                        static_cast<size_t>(n * bytes_));
            pos += n;
        } else if (pos < chunk_start_) {
            if (exact_ && chunk_start_ > 0) {
                // A demuxer that landed past the frame it was sent to: from the start.
                Restart(env);
            } else if (!exact_ && chunk_start_ == landed_ && sought_ > 0) {
                // The seek landed past pos: aim further back.
                SeekByTimestamp(std::max<int64_t>(0, sought_ - back), env);
                valid_from_ = pos;
                back *= 2;
            } else {
                pos = std::min(end, chunk_start_);  // a gap in the stream
            }
        } else if (!NextChunk(env)) {
            chunk_start_ += chunk_len_;  // at the end; a later request before here seeks back
            chunk_len_ = 0;
            break;
        }
    }
}

bool SampleReader::DecodesOnTo(int64_t pos) const {
    const int64_t chunk_end = chunk_start_ + chunk_len_;
    if (pos < std::max(chunk_start_, valid_from_)) return false;
    if (exact_) return pos <= chunk_end + rate_ || (chunk_end >= explored_ && pos <= explored_ + reach_);
    // Placed by timestamp: on only while what lies ahead has never been decoded exactly.
    return pos <= chunk_end + rate_ && pos > explored_ + reach_;
}

void SampleReader::Reposition(int64_t target, IScriptEnvironment* env) {
    if (marks_.empty()) {
        // Nothing is known yet: the first frame, decoded from the start, is the first mark.
        Restart(env);
        NextChunk(env);
        if (marks_.empty()) return;  // the stream has no timestamps: it decodes on from the start
    }
    // On past the decoded part: from before its end, where the decoder's output is known.
    const int64_t from = std::min(target, explored_) - preroll_;
    const auto after = std::upper_bound(marks_.begin(), marks_.end(), from,
                                        [](int64_t s, const Mark& m) { return s < m.sample; });
    if (after == marks_.begin() || after - 1 == marks_.begin()) {
        // Back to the first frame: only a fresh start drops the priming samples again.
        Restart(env);
    } else if (target <= explored_ + reach_) {
        SeekToMark(*(after - 1), env);
    } else {
        SeekByTimestamp(from, env);
    }
    valid_from_ = target;
}

void SampleReader::Restart(IScriptEnvironment* env) {
    if (decoder_.Reopen() < 0) env->ThrowError("Import: cannot seek in \"%s\"", path_.c_str());
    chunk_start_ = chunk_len_ = 0;
    valid_from_ = 0;
    exact_ = true;
    landing_ = Landing::kNone;
}

void SampleReader::SeekToMark(const Mark& mark, IScriptEnvironment* env) {
    if (!decoder_.Seek(mark.pts)) env->ThrowError("Import: cannot seek in \"%s\"", path_.c_str());
    chunk_start_ = mark.sample;
    chunk_len_ = 0;
    exact_ = false;  // until a frame is found among the marks
    landing_ = Landing::kOnMark;
    mark_pts_ = mark.pts;
}

void SampleReader::SeekByTimestamp(int64_t sample, IScriptEnvironment* env) {
    // From the last frame known exactly, so a stream not starting at zero lands right too.
    const Mark& last = marks_.back();
    const AVRational tb = decoder_.stream()->time_base;
    if (!decoder_.Seek(last.pts + av_rescale_q(sample - last.sample, AVRational{1, rate_}, tb)))
        env->ThrowError("Import: cannot seek in \"%s\"", path_.c_str());
    chunk_start_ = sample;
    chunk_len_ = 0;
    exact_ = false;
    landing_ = Landing::kByTimestamp;
    sought_ = sample;
}

const SampleReader::Mark* SampleReader::MarkAt(int64_t pts) const {
    const auto it = std::lower_bound(marks_.begin(), marks_.end(), pts,
                                     [](const Mark& m, int64_t p) { return m.pts < p; });
    return it != marks_.end() && it->pts == pts ? &*it : nullptr;
}

// Where frame f starts, or false when it is to be passed over: a seek may land before
// the mark it aimed at, and those frames only settle the decoder.
bool SampleReader::Place(const AVFrame* f, int64_t& start) {
    const int64_t ts = f->best_effort_timestamp;
    const Mark* mark = ts != AV_NOPTS_VALUE ? MarkAt(ts) : nullptr;
    switch (landing_) {
        case Landing::kOnMark:
            if (!mark && (ts == AV_NOPTS_VALUE || ts < mark_pts_)) return false;
            landing_ = Landing::kNone;
            if (mark) {
                start = mark->sample;
                exact_ = true;
                return true;
            }
            [[fallthrough]];  // past the mark and still none known: its timestamp will do
        case Landing::kByTimestamp: {
            const Mark& last = marks_.back();
            if (ts != AV_NOPTS_VALUE)
                start = last.sample + av_rescale_q(ts - last.pts, decoder_.stream()->time_base, AVRational{1, rate_});
            landing_ = Landing::kNone;
            landed_ = start;
            return true;
        }
        case Landing::kNone:
            // A decoder settling after a seek may size its first frames differently: the
            // first run's count stands wherever it is known.
            if (exact_ && mark) start = mark->sample;
            return true;
    }
    return true;
}

bool SampleReader::NextChunk(IScriptEnvironment*) {
    AVFrame* f = frame_.get();
    int64_t start = chunk_start_ + chunk_len_;
    for (;;) {
        av_frame_unref(f);
        if (!decoder_.Next(f)) return false;
        if (Place(f, start)) break;
    }
    chunk_start_ = start;
    chunk_len_ = f->nb_samples;
    converted_ = false;
    if (exact_ && start == explored_) {
        const int64_t ts = f->best_effort_timestamp;
        if (ts != AV_NOPTS_VALUE && (marks_.empty() || ts > marks_.back().pts)) marks_.push_back({ts, start});
        explored_ += f->nb_samples;
    }
    return true;
}

// Skipped frames are never converted: decoding on to a far sample costs the decoding alone.
void SampleReader::Convert(IScriptEnvironment* env) {
    if (converted_) return;
    converted_ = true;
    const AVFrame* f = frame_.get();
    const size_t bytes = static_cast<size_t>(f->nb_samples) * bytes_;
    if (chunk_.size() < bytes) chunk_.resize(bytes);  // grows to the largest frame, then stays
    if (f->ch_layout.nb_channels != channels_) {
        std::memset(chunk_.data(), 0, bytes);  // a frame we cannot lay out is silence
        return;
    }
    if (!swr_ || swr_format_ != f->format) {
        SwrContext* raw = nullptr;
        const int set = swr_alloc_set_opts2(&raw, &frame_->ch_layout, format_, rate_, &frame_->ch_layout,
                                            static_cast<AVSampleFormat>(f->format), rate_, 0, nullptr);
        swr_.reset(raw);
        if (set < 0 || swr_init(swr_.get()) < 0)
            env->ThrowError("Import: libswresample cannot convert the audio of \"%s\"", path_.c_str());
        swr_format_ = f->format;
    }
    uint8_t* dst = chunk_.data();
    // Same rate on both sides: no filter delay, every input sample comes straight out.
    const int got =
        swr_convert(swr_.get(), &dst, f->nb_samples, const_cast<const uint8_t**>(f->extended_data), f->nb_samples);
    const size_t done = static_cast<size_t>(std::max(got, 0)) * bytes_;
    std::memset(chunk_.data() + done, 0, bytes - done);
}

}  // namespace fserver
