// TextSub: text subtitles drawn by libass over an RGB clip. ASS/SSA files go to libass
// as they are; SRT and the other text formats FFmpeg reads arrive as the ASS events
// FFmpeg's decoders make of them.
#include <strings.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

extern "C" {
#include <ass/ass.h>
}

#include "fserver/ffmpeg/ffmpeg_builtins.h"
#include "fserver/ffmpeg/subtitle_support.h"

namespace fserver {

namespace {

using namespace subtitles;

enum TextSubArg { kClip, kFile };

// Faces come from the system through fontconfig, as a player finds them, so that a
// bold or italic style draws the family's own bold or italic face rather than one
// regular face thickened or slanted. A family the system lacks becomes the generic
// sans-serif; with no fonts known to fontconfig at all, this file still draws.
constexpr const char* kDefaultFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char* kDefaultFamily = "sans-serif";

struct AssLibraryDeleter {
    void operator()(ASS_Library* l) const { ass_library_done(l); }
};
struct AssRendererDeleter {
    void operator()(ASS_Renderer* r) const { ass_renderer_done(r); }
};
struct AssTrackDeleter {
    void operator()(ASS_Track* t) const { ass_free_track(t); }
};
using AssLibraryPtr = std::unique_ptr<ASS_Library, AssLibraryDeleter>;
using AssRendererPtr = std::unique_ptr<ASS_Renderer, AssRendererDeleter>;
using AssTrackPtr = std::unique_ptr<ASS_Track, AssTrackDeleter>;

// libass reports to stderr by default; a frame server has no console to speak to.
void Quiet(int, const char*, va_list, void*) {}

bool IsAssFile(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos) return false;
    const char* ext = path.c_str() + dot;
    return strcasecmp(ext, ".ass") == 0 || strcasecmp(ext, ".ssa") == 0;
}

// The events of a file FFmpeg reads as text subtitles, as a libass track; null if it
// holds none FFmpeg can decode to ASS.
AssTrackPtr ConvertToAss(ASS_Library* library, const char* path) {
    Decoder d = OpenSubtitleDecoder(path, nullptr);
    if (!d.codec) return nullptr;
    const AVCodecDescriptor* desc = avcodec_descriptor_get(d.codec->codec_id);
    if (!desc || !(desc->props & AV_CODEC_PROP_TEXT_SUB) || !d.codec->subtitle_header) return nullptr;
    AssTrackPtr track(ass_new_track(library));
    PacketPtr pkt(av_packet_alloc());
    if (!track || !pkt) return nullptr;
    ass_process_codec_private(track.get(), reinterpret_cast<char*>(d.codec->subtitle_header),
                              d.codec->subtitle_header_size);
    const AVRational time_base = d.format->streams[d.stream]->time_base;
    while (av_read_frame(d.format.get(), pkt.get()) >= 0) {
        Subtitle sub;
        int got = 0;
        if (pkt->stream_index == d.stream && pkt->pts != AV_NOPTS_VALUE &&
            avcodec_decode_subtitle2(d.codec.get(), &sub, &got, pkt.get()) >= 0 && got) {
            const int64_t start = ToMs(pkt->pts, time_base) + sub.start_display_time;
            const int64_t duration = pkt->duration > 0 ? ToMs(pkt->duration, time_base)
                                                       : int64_t{sub.end_display_time} - sub.start_display_time;
            for (unsigned i = 0; i < sub.num_rects; ++i) {
                char* line = sub.rects[i]->ass;
                if (line) ass_process_chunk(track.get(), line, static_cast<int>(std::strlen(line)), start, duration);
            }
        }
        av_packet_unref(pkt.get());
    }
    return track;
}

class TextSub : public GenericVideoFilter {
public:
    TextSub(PClip child, const char* path, IScriptEnvironment* env);

    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) override;
    using IClip::GetFrame;

private:
    // Declared in the order libass needs them torn down in reverse.
    AssLibraryPtr library_;
    AssRendererPtr renderer_;
    AssTrackPtr track_;
};

TextSub::TextSub(PClip child_clip, const char* path, IScriptEnvironment* env)
    : GenericVideoFilter(std::move(child_clip)) {
    if (!vi.IsRGB24() && !vi.IsRGB32()) env->ThrowError("TextSub: input must be RGB24 or RGB32");
    std::ifstream in(path, std::ios::binary);
    if (!in) env->ThrowError("TextSub: cannot open \"%s\"", path);
    library_.reset(ass_library_init());
    if (!library_) env->ThrowError("TextSub: libass cannot start");
    ass_set_message_cb(library_.get(), Quiet, nullptr);
    if (IsAssFile(path)) {
        std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        track_.reset(ass_read_memory(library_.get(), text.data(), text.size(), nullptr));
    } else {
        track_ = ConvertToAss(library_.get(), path);
    }
    if (!track_) env->ThrowError("TextSub: cannot read subtitles from \"%s\"", path);
    renderer_.reset(ass_renderer_init(library_.get()));
    if (!renderer_) env->ThrowError("TextSub: libass cannot start");
    ass_set_frame_size(renderer_.get(), vi.width, vi.height);
    ass_set_fonts(renderer_.get(), kDefaultFont, kDefaultFamily, ASS_FONTPROVIDER_AUTODETECT, nullptr, 1);
}

PVideoFrame* AVS_STDCALL TextSub::GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) {
    PVideoFrame src = child->GetFrame(n, env);
    int changed = 0;
    const ASS_Image* image = ass_render_frame(renderer_.get(), track_.get(), FrameTimeMs(vi, n), &changed);
    if (!image) return ReturnInto(result, std::move(src));
    PVideoFrame dst = CopyFrame(src, vi, env);
    uint8_t* const base = dst->GetWritePtr();
    const int pitch = dst->GetPitch(), bpp = vi.IsRGB32() ? 4 : 3;
    for (; image; image = image->next) {
        const int r = image->color >> 24, g = (image->color >> 16) & 0xFF, b = (image->color >> 8) & 0xFF;
        const int alpha = 255 - static_cast<int>(image->color & 0xFF);
        // libass keeps its images inside the frame size; clamping again costs nothing.
        const int x0 = std::max(0, -image->dst_x), x1 = std::min(image->w, vi.width - image->dst_x);
        const int y0 = std::max(0, -image->dst_y), y1 = std::min(image->h, vi.height - image->dst_y);
        for (int y = y0; y < y1; ++y) {
            const uint8_t* mask = image->bitmap + static_cast<ptrdiff_t>(y) * image->stride;
            uint8_t* row = PictureRow(base, pitch, vi.height, image->dst_y + y) + image->dst_x * bpp;
            for (int x = x0; x < x1; ++x)
                if (mask[x]) BlendPixel(row + x * bpp, r, g, b, mask[x] * alpha / 255);
        }
    }
    return ReturnInto(result, std::move(dst));
}

}  // namespace

AVSValue CreateTextSub(const AVSValue& args, void*, IScriptEnvironment* env) {
    return new TextSub(args[kClip].AsClip(), args[kFile].AsString(), env);
}

}  // namespace fserver
