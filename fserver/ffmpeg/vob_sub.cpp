// VobSub: the bitmap subtitles of an .idx/.sub pair over an RGB clip, read by FFmpeg's
// vobsub demuxer and dvdsub decoder.
#include <strings.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "fserver/ffmpeg/ffmpeg_builtins.h"
#include "fserver/ffmpeg/subtitle_support.h"

namespace fserver {

namespace {

using namespace subtitles;

enum VobSubArg { kClip, kFile };

constexpr int64_t kOpenEnd = std::numeric_limits<int64_t>::max();

// One rectangle: palette indices, w per row, at x, y in top-down picture coordinates.
struct Picture {
    int x, y, w, h;
    std::vector<uint8_t> indices;
    std::array<uint32_t, 256> palette{};  // ARGB; unset entries are transparent
};

// What shows from start (inclusive) to end (exclusive), in milliseconds.
struct Shown {
    int64_t start, end;
    std::vector<Picture> pictures;
};

// The demuxer opens the .idx and finds the .sub beside it itself.
std::string IndexPath(const char* path) {
    std::string p = path;
    const size_t dot = p.rfind('.');
    if (dot != std::string::npos && strcasecmp(p.c_str() + dot, ".sub") == 0)
        p.replace(dot + 1, 3, p.compare(dot + 1, 3, "SUB") == 0 ? "IDX" : "idx");
    return p;
}

Picture CopyPicture(const AVSubtitleRect& rect) {
    Picture pic{rect.x, rect.y, rect.w, rect.h, std::vector<uint8_t>(static_cast<size_t>(rect.w) * rect.h), {}};
    for (int y = 0; y < rect.h; ++y)
        std::memcpy(pic.indices.data() + static_cast<size_t>(y) * rect.w, rect.data[0] + y * rect.linesize[0], rect.w);
    std::memcpy(pic.palette.data(), rect.data[1], sizeof(uint32_t) * std::clamp(rect.nb_colors, 0, 256));
    return pic;
}

// Every subtitle of the stream, sorted by start.
std::vector<Shown> DecodeAll(Decoder& d) {
    std::vector<Shown> list;
    PacketPtr pkt(av_packet_alloc());
    if (!pkt) return list;
    const AVRational time_base = d.format->streams[d.stream]->time_base;
    while (av_read_frame(d.format.get(), pkt.get()) >= 0) {
        Subtitle sub;
        int got = 0;
        if (pkt->stream_index == d.stream && pkt->pts != AV_NOPTS_VALUE &&
            avcodec_decode_subtitle2(d.codec.get(), &sub, &got, pkt.get()) >= 0 && got) {
            const int64_t at = ToMs(pkt->pts, time_base);
            Shown s{at + sub.start_display_time, kOpenEnd, {}};
            if (sub.end_display_time > sub.start_display_time && sub.end_display_time != UINT32_MAX)
                s.end = at + sub.end_display_time;
            else if (pkt->duration > 0)
                s.end = s.start + ToMs(pkt->duration, time_base);
            for (unsigned i = 0; i < sub.num_rects; ++i) {
                const AVSubtitleRect& rect = *sub.rects[i];
                if (rect.type == SUBTITLE_BITMAP && rect.data[0] && rect.data[1] && rect.w > 0 && rect.h > 0)
                    s.pictures.push_back(CopyPicture(rect));
            }
            if (!s.pictures.empty()) list.push_back(std::move(s));
        }
        av_packet_unref(pkt.get());
    }
    std::stable_sort(list.begin(), list.end(), [](const Shown& a, const Shown& b) { return a.start < b.start; });
    // A subtitle that names no end of its own gives way to the next.
    for (size_t i = 0; i + 1 < list.size(); ++i)
        if (list[i].end == kOpenEnd) list[i].end = list[i + 1].start;
    return list;
}

class VobSub : public GenericVideoFilter {
public:
    VobSub(PClip child, const char* path, IScriptEnvironment* env);

    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) override;
    using IClip::GetFrame;

private:
    std::vector<Shown> shown_;
};

VobSub::VobSub(PClip child_clip, const char* path, IScriptEnvironment* env)
    : GenericVideoFilter(std::move(child_clip)) {
    if (!vi.IsRGB24() && !vi.IsRGB32()) env->ThrowError("VobSub: input must be RGB24 or RGB32");
    Decoder d = OpenSubtitleDecoder(IndexPath(path).c_str(), av_find_input_format("vobsub"));
    if (!d.format) env->ThrowError("VobSub: cannot open \"%s\"", path);
    if (!d.codec || d.codec->codec_id != AV_CODEC_ID_DVD_SUBTITLE)
        env->ThrowError("VobSub: cannot read subtitles from \"%s\"", path);
    shown_ = DecodeAll(d);
}

PVideoFrame* AVS_STDCALL VobSub::GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) {
    PVideoFrame src = child->GetFrame(n, env);
    const int64_t t = FrameTimeMs(vi, n);
    PVideoFrame dst;
    const int bpp = vi.IsRGB32() ? 4 : 3;
    for (const Shown& s : shown_) {
        if (s.start > t) break;
        if (t >= s.end) continue;
        if (!dst) dst = CopyFrame(src, vi, env);
        uint8_t* const base = dst->GetWritePtr();
        for (const Picture& pic : s.pictures) {
            const int x0 = std::max(0, -pic.x), x1 = std::min(pic.w, vi.width - pic.x);
            const int y0 = std::max(0, -pic.y), y1 = std::min(pic.h, vi.height - pic.y);
            for (int y = y0; y < y1; ++y) {
                const uint8_t* index = pic.indices.data() + static_cast<size_t>(y) * pic.w;
                uint8_t* row = PictureRow(base, dst->GetPitch(), vi.height, pic.y + y) + pic.x * bpp;
                for (int x = x0; x < x1; ++x) {
                    const uint32_t c = pic.palette[index[x]];
                    if (c >> 24) BlendPixel(row + x * bpp, (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF, c >> 24);
                }
            }
        }
    }
    return ReturnInto(result, dst ? std::move(dst) : std::move(src));
}

}  // namespace

AVSValue CreateVobSub(const AVSValue& args, void*, IScriptEnvironment* env) {
    return new VobSub(args[kClip].AsClip(), args[kFile].AsString(), env);
}

}  // namespace fserver
