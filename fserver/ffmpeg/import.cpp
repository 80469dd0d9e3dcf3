// Import: any file libavformat reads, as a clip. Video comes out as RGB24, audio as
// interleaved samples, both addressable at random by frame and by sample.
//
// Video and audio each have their own demuxer, so that seeking one never moves the
// other. Frame n is the frame whose timestamp, counted from the stream's first one,
// rounds to n at the clip's rate; sample s is the s-th sample decoded from the start
// (fserver/ffmpeg/sample_reader.h).
#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include "fserver/ffmpeg/ffmpeg_builtins.h"
#include "fserver/ffmpeg/sample_reader.h"
#include "fserver/ffmpeg/stream_decoder.h"

namespace fserver {

namespace {

enum ImportArg {
    kPath,
};

// Decoding forward this far is taken to be cheaper than a seek: always for a few
// frames, and up to the longer reach where the demuxer has no key frame index.
constexpr int kShortReach = 4;
constexpr int kFrameReach = 48;
// The finest timestamp grid a variable-rate video is laid on, in frames per second.
constexpr AVRational kFinestGrid{240, 1};

// What a converter was built for; a change of any of it mid-stream builds a new one.
struct PictureKey {
    int width = 0, height = 0, format = AV_PIX_FMT_NONE, colorspace = 0, full_range = 0;
    bool operator==(const PictureKey&) const = default;
};

bool IsFullRangeFormat(int format) {
    return format == AV_PIX_FMT_YUVJ420P || format == AV_PIX_FMT_YUVJ422P || format == AV_PIX_FMT_YUVJ444P ||
           format == AV_PIX_FMT_YUVJ440P || format == AV_PIX_FMT_YUVJ411P;
}

class Import : public IClip {
public:
    Import(const char* path, IScriptEnvironment* env);

    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) override;
    bool AVS_STDCALL GetParity(int) override { return false; }
    void AVS_STDCALL GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment* env) override;
    void AVS_STDCALL SetCacheHints(int, int) override {}
    const VideoInfo& AVS_STDCALL GetVideoInfo() override { return vi_; }
    using IClip::GetFrame;

private:
    void OpenVideo();
    void OpenAudio(IScriptEnvironment* env);
    int64_t FrameOf(const AVFrame* frame) const;
    int64_t FrameAt(int64_t ts) const;
    bool DecodeForwardTo(int64_t n) const;
    void SeekVideo(int64_t n, IScriptEnvironment* env);
    PVideoFrame Picture(IScriptEnvironment* env);

    std::string path_;
    VideoInfo vi_{};

    StreamDecoder video_;
    AvFramePtr held_, pending_, scratch_;  // last decoded frame; one read past a request; the next one
    int64_t held_n_ = -1;                  // frame number of held_, -1 when empty
    bool at_start_ = true;                 // nothing decoded since the decoder was put at the start
    int64_t sought_ = 0;                   // frame number the last seek aimed at
    SwsPtr sws_;
    PictureKey sws_key_;
    PVideoFrame out_;
    int out_n_ = -1;

    SampleReader audio_;
};

Import::Import(const char* path, IScriptEnvironment* env) : path_(path) {
    held_.reset(av_frame_alloc());
    pending_.reset(av_frame_alloc());
    scratch_.reset(av_frame_alloc());
    if (!held_ || !pending_ || !scratch_) env->ThrowError("Import: out of memory");

    const int video = video_.Open(path, AVMEDIA_TYPE_VIDEO);
    if (video < 0 && video != AVERROR_STREAM_NOT_FOUND)
        env->ThrowError("Import: cannot open \"%s\": %s", path, AvErrorText(video).c_str());
    const int audio = audio_.Open(path);
    if (audio < 0 && audio != AVERROR_STREAM_NOT_FOUND)
        env->ThrowError("Import: cannot open \"%s\": %s", path, AvErrorText(audio).c_str());
    if (video < 0 && audio < 0) env->ThrowError("Import: \"%s\" has neither video nor audio", path);

    // Without video the clip is width 0 and 0 frames; it keeps a nominal 25 fps so that
    // frame and sample counts still convert downstream.
    vi_.fps_numerator = 25;
    vi_.fps_denominator = 1;
    if (video == 0) OpenVideo();
    if (video == 0 && (vi_.width <= 0 || vi_.height <= 0))
        env->ThrowError("Import: \"%s\" has a video without a picture size", path);
    if (audio == 0) OpenAudio(env);
}

void Import::OpenVideo() {
    const AVStream* st = video_.stream();
    vi_.width = video_.codec()->width;
    vi_.height = video_.codec()->height;
    vi_.pixel_type = VideoInfo::CS_BGR24;
    // The average comes from the duration, which some muxers cut short by the last
    // frame's; the real rate is then the exact one. A real rate above the average is a
    // timestamp grid finer than the frames (variable rate): up to kFinestGrid that grid
    // is the clip's rate, so that every frame keeps its own time; past it the average stands.
    const auto valid = [](AVRational r) { return r.num > 0 && r.den > 0; };
    AVRational rate = st->avg_frame_rate;
    const bool grid = valid(rate) && valid(st->r_frame_rate) && av_cmp_q(st->r_frame_rate, rate) > 0 &&
                      av_cmp_q(st->r_frame_rate, kFinestGrid) <= 0;
    if (valid(st->r_frame_rate) && (!valid(rate) || av_cmp_q(st->r_frame_rate, rate) <= 0 || grid))
        rate = st->r_frame_rate;
    if (!valid(rate)) rate = AVRational{25, 1};
    av_reduce(&rate.num, &rate.den, rate.num, rate.den, INT_MAX);
    vi_.fps_numerator = static_cast<unsigned>(rate.num);
    vi_.fps_denominator = static_cast<unsigned>(rate.den);

    const AVRational frame_time{rate.den, rate.num};
    int64_t frames = grid ? 0 : st->nb_frames;  // on a grid, the frames are fewer than its steps
    if (frames <= 0 && st->duration != AV_NOPTS_VALUE) frames = av_rescale_q(st->duration, st->time_base, frame_time);
    if (frames <= 0 && video_.format()->duration != AV_NOPTS_VALUE)
        frames = av_rescale_q(video_.format()->duration, AV_TIME_BASE_Q, frame_time);
    vi_.num_frames = static_cast<int>(std::clamp<int64_t>(frames, 0, INT_MAX));
}

void Import::OpenAudio(IScriptEnvironment* env) {
    const AVCodecContext* codec = audio_.decoder().codec();
    const AVStream* st = audio_.decoder().stream();
    if (codec->sample_rate <= 0 || codec->ch_layout.nb_channels <= 0)
        env->ThrowError("Import: the audio of \"%s\" has no sample rate or channels", path_.c_str());
    vi_.audio_samples_per_second = codec->sample_rate;
    vi_.nchannels = codec->ch_layout.nb_channels;
    // 16-bit sources stay 16-bit, losslessly; everything else goes to float, which
    // holds any decoder's output without clipping.
    const bool int16 = codec->sample_fmt == AV_SAMPLE_FMT_S16 || codec->sample_fmt == AV_SAMPLE_FMT_S16P;
    vi_.sample_type = int16 ? SAMPLE_INT16 : SAMPLE_FLOAT;
    const AVRational sample_time{1, codec->sample_rate};
    int64_t samples = 0;
    if (st->duration != AV_NOPTS_VALUE) samples = av_rescale_q(st->duration, st->time_base, sample_time);
    if (samples <= 0 && audio_.decoder().format()->duration != AV_NOPTS_VALUE)
        samples = av_rescale_q(audio_.decoder().format()->duration, AV_TIME_BASE_Q, sample_time);
    vi_.num_audio_samples = std::max<int64_t>(samples, 0);
    audio_.SetOutput(vi_.audio_samples_per_second, vi_.nchannels, vi_.sample_type);
}

int64_t Import::FrameOf(const AVFrame* frame) const {
    const int64_t ts = frame->best_effort_timestamp;
    if (ts == AV_NOPTS_VALUE) return held_n_ >= 0 ? held_n_ + 1 : at_start_ ? 0 : sought_;
    return FrameAt(ts);
}

int64_t Import::FrameAt(int64_t ts) const {
    const AVRational frame_time{static_cast<int>(vi_.fps_denominator), static_cast<int>(vi_.fps_numerator)};
    return av_rescale_q(ts - video_.origin(), video_.stream()->time_base, frame_time);
}

bool Import::DecodeForwardTo(int64_t n) const {
    if ((held_n_ < 0 && !at_start_) || n <= held_n_) return false;
    if (n - held_n_ <= kShortReach) return true;
    const AVRational frame_time{static_cast<int>(vi_.fps_denominator), static_cast<int>(vi_.fps_numerator)};
    const int64_t key = video_.KeyBefore(video_.origin() + av_rescale_q(n, frame_time, video_.stream()->time_base));
    // A seek would land no further on than where the decoder already is.
    if (key != AV_NOPTS_VALUE) return FrameAt(key) <= held_n_;
    return n - held_n_ <= kFrameReach;
}

void Import::SeekVideo(int64_t n, IScriptEnvironment* env) {
    const AVRational frame_time{static_cast<int>(vi_.fps_denominator), static_cast<int>(vi_.fps_numerator)};
    if (!video_.Seek(video_.origin() + av_rescale_q(n, frame_time, video_.stream()->time_base)))
        env->ThrowError("Import: cannot seek in \"%s\"", path_.c_str());
    av_frame_unref(held_.get());
    av_frame_unref(pending_.get());
    held_n_ = -1;
    at_start_ = n <= 0;
    sought_ = n;
}

PVideoFrame* AVS_STDCALL Import::GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) {
    if (!vi_.HasVideo()) return ReturnInto(result, PVideoFrame());
    n = std::clamp(n, 0, std::max(vi_.num_frames - 1, 0));
    if (out_ && out_n_ == n) return ReturnInto(result, PVideoFrame(out_));

    const bool held = held_n_ == n && held_->buf[0];  // read ahead of an earlier request
    if (!held && !DecodeForwardTo(n)) SeekVideo(n, env);
    int64_t back = kFrameReach;
    while (!held) {
        AVFrame* f = scratch_.get();
        if (pending_->buf[0]) {
            av_frame_move_ref(f, pending_.get());
        } else if (!video_.Next(f)) {
            if (held_n_ >= 0 || at_start_) break;  // past the last frame: the last one stands
            SeekVideo(0, env);
            continue;
        }
        const int64_t index = FrameOf(f);
        if (index > n && held_n_ < 0 && !at_start_) {
            // The seek landed past n: aim further back.
            av_frame_unref(f);
            SeekVideo(std::max<int64_t>(0, sought_ - back), env);
            back *= 2;
            continue;
        }
        if (index > n && held_n_ >= 0) {
            // The stream has no frame n; the one before it stands, this one waits its turn.
            av_frame_move_ref(pending_.get(), f);
            break;
        }
        av_frame_unref(held_.get());
        av_frame_move_ref(held_.get(), f);
        held_n_ = index;
        if (index >= n) break;
    }
    out_ = Picture(env);
    out_n_ = n;
    return ReturnInto(result, PVideoFrame(out_));
}

PVideoFrame Import::Picture(IScriptEnvironment* env) {
    PVideoFrame dst = env->NewVideoFrame(vi_);
    uint8_t* base = dst->GetWritePtr();
    const int pitch = dst->GetPitch();
    const AVFrame* f = held_.get();
    if (!f->buf[0]) {
        // Nothing in the file decodes: black.
        std::memset(base, 0, static_cast<size_t>(pitch) * vi_.height);
        return dst;
    }
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(f->format));
    const bool yuv = desc && !(desc->flags & AV_PIX_FMT_FLAG_RGB);
    const PictureKey key{f->width, f->height, f->format, f->colorspace,
                         f->color_range == AVCOL_RANGE_JPEG || IsFullRangeFormat(f->format)};
    if (!sws_ || !(key == sws_key_)) {
        sws_.reset(sws_getContext(f->width, f->height, static_cast<AVPixelFormat>(f->format), vi_.width, vi_.height,
                                  AV_PIX_FMT_BGR24, SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr,
                                  nullptr, nullptr));
        if (!sws_) env->ThrowError("Import: cannot convert the pictures of \"%s\" to RGB24", path_.c_str());
        if (yuv) {
            // The decoder's matrix and range, not libswscale's guess.
            const int* coefficients = sws_getCoefficients(f->colorspace);
            sws_setColorspaceDetails(sws_.get(), coefficients, key.full_range, sws_getCoefficients(SWS_CS_DEFAULT), 1,
                                     0, 1 << 16, 1 << 16);
        }
        sws_key_ = key;
    }
    // Bottom-up: start at the last memory row and step backwards through it.
    uint8_t* rows[4] = {base + static_cast<ptrdiff_t>(vi_.height - 1) * pitch};
    const int strides[4] = {-pitch};
    sws_scale(sws_.get(), f->data, f->linesize, 0, f->height, rows, strides);
    return dst;
}

void AVS_STDCALL Import::GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment* env) {
    if (count <= 0 || !vi_.HasAudio()) return;
    audio_.Read(static_cast<uint8_t*>(buf), start, count, vi_.num_audio_samples, env);
}

}  // namespace

AVSValue CreateImport(const AVSValue& args, void*, IScriptEnvironment* env) {
    const char* path = args[kPath].AsString();
    if (!path || !*path) env->ThrowError("Import: a file name is needed");
    return new Import(path, env);
}

}  // namespace fserver
