// What the subtitle renderers share: owners for FFmpeg's objects, frame times, and
// source-over blending into bottom-up RGB frames.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "avs/avisynth.h"
#include "fserver/ffmpeg/av_ptr.h"

namespace fserver::subtitles {

using FormatPtr = AvFormatPtr;
using CodecPtr = AvCodecPtr;
using PacketPtr = AvPacketPtr;

// One decoded subtitle, freed however its reader leaves.
struct Subtitle : AVSubtitle {
    Subtitle() : AVSubtitle{} {}
    Subtitle(const Subtitle&) = delete;
    Subtitle& operator=(const Subtitle&) = delete;
    ~Subtitle() { avsubtitle_free(this); }
};

// A subtitle stream of an opened file with its decoder, or nulls if there is none.
struct Decoder {
    FormatPtr format;
    CodecPtr codec;
    int stream = -1;
};

// Opens path (format nullptr probes) and the decoder of its best subtitle stream;
// format stays null if the file cannot be opened, codec if it holds no subtitles.
inline Decoder OpenSubtitleDecoder(const char* path, const AVInputFormat* input_format) {
    Decoder d;
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path, input_format, nullptr) < 0) return d;
    d.format.reset(raw);
    const AVCodec* codec = nullptr;
    d.stream = av_find_best_stream(raw, AVMEDIA_TYPE_SUBTITLE, -1, -1, &codec, 0);
    if (d.stream < 0 || !codec) return d;
    CodecPtr ctx(avcodec_alloc_context3(codec));
    if (!ctx) return d;
    const AVStream* st = raw->streams[d.stream];
    ctx->pkt_timebase = st->time_base;
    if (avcodec_parameters_to_context(ctx.get(), st->codecpar) < 0 || avcodec_open2(ctx.get(), codec, nullptr) < 0)
        return d;
    d.codec = std::move(ctx);
    return d;
}

inline int64_t ToMs(int64_t t, AVRational time_base) { return av_rescale_q(t, time_base, AVRational{1, 1000}); }

// Frame n starts at n / fps seconds.
inline int64_t FrameTimeMs(const VideoInfo& vi, int n) {
    return static_cast<int64_t>(n) * 1000 * vi.fps_denominator / vi.fps_numerator;
}

// A writable copy of src to draw on, so the source frame stays as it was.
inline PVideoFrame CopyFrame(const PVideoFrame& src, const VideoInfo& vi, IScriptEnvironment* env) {
    PVideoFrame dst = env->NewVideoFrame(vi);
    env->BitBlt(dst->GetWritePtr(), dst->GetPitch(), src->GetReadPtr(), src->GetPitch(), src->GetRowSize(),
                src->GetHeight());
    return dst;
}

// The first byte of picture row y (top-down) in a bottom-up frame.
inline uint8_t* PictureRow(uint8_t* frame, int pitch, int height, int y) {
    return frame + static_cast<ptrdiff_t>(height - 1 - y) * pitch;
}

// Colour over a B,G,R pixel at coverage a (0..255). An RGB32 pixel keeps its own alpha
// byte: that is the clip's mask for later layering, not a colour to paint over.
inline void BlendPixel(uint8_t* d, int r, int g, int b, int a) {
    const auto over = [a](int s, uint8_t& v) { v = static_cast<uint8_t>((s * a + v * (255 - a) + 127) / 255); };
    over(b, d[0]);
    over(g, d[1]);
    over(r, d[2]);
}

}  // namespace fserver::subtitles
