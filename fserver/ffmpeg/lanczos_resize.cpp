// LanczosResize: the picture scaled by libswscale's Lanczos filter; audio passes through.
#include <cmath>
#include <memory>
#include <vector>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/opt.h>
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

#include "fserver/ffmpeg/av_ptr.h"
#include "fserver/ffmpeg/ffmpeg_builtins.h"

namespace fserver {

namespace {

enum LanczosResizeArg {
    kClip,
    kTargetWidth,
    kTargetHeight,
    kSrcLeft,
    kSrcTop,
    kSrcWidth,
    kSrcHeight,
    kTaps,
};

// The source rectangle in whole pixels, top-down picture coordinates.
struct Window {
    int left, top, width, height;
};

AVPixelFormat PixelFormatOf(const VideoInfo& vi) {
    if (vi.IsRGB32()) return AV_PIX_FMT_BGRA;
    if (vi.IsRGB24()) return AV_PIX_FMT_BGR24;
    if (vi.IsYUY2()) return AV_PIX_FMT_YUYV422;
    if (vi.IsYV12()) return AV_PIX_FMT_YUV420P;
    return AV_PIX_FMT_NONE;
}

class LanczosResize : public GenericVideoFilter {
public:
    LanczosResize(PClip child, int width, int height, const Window& window, int taps, IScriptEnvironment* env);

    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) override;
    using IClip::GetFrame;

private:
    // RGB32 goes in as planes: libswscale's packed BGRA reader skews alpha by one step
    // at half the levels, its planar one does not.
    void SplitPlanes(const uint8_t* src, int pitch);

    Window window_;
    SwsPtr sws_;
    int plane_pitch_ = 0;
    std::vector<uint8_t> planes_;  // G, B, R, A of one source window
};

LanczosResize::LanczosResize(PClip child_clip, int width, int height, const Window& window, int taps,
                             IScriptEnvironment* env)
    : GenericVideoFilter(std::move(child_clip)), window_(window) {
    const AVPixelFormat format = PixelFormatOf(vi);
    const AVPixelFormat src_format = vi.IsRGB32() ? AV_PIX_FMT_GBRAP : format;
    if (vi.IsRGB32()) {
        plane_pitch_ = (window.width + 63) & ~63;
        planes_.resize(static_cast<size_t>(plane_pitch_) * window.height * 4);
    }
    SwsPtr sws(sws_alloc_context());
    if (!sws) env->ThrowError("LanczosResize: out of memory");
    // Full chroma on both sides keeps packed RGB from being subsampled on its way through.
    const int64_t flags = SWS_LANCZOS | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT | SWS_FULL_CHR_H_INP;
    bool ok = av_opt_set_int(sws.get(), "srcw", window.width, 0) >= 0 &&
              av_opt_set_int(sws.get(), "srch", window.height, 0) >= 0 &&
              av_opt_set_int(sws.get(), "dstw", width, 0) >= 0 && av_opt_set_int(sws.get(), "dsth", height, 0) >= 0 &&
              av_opt_set_pixel_fmt(sws.get(), "src_format", src_format, 0) >= 0 &&
              av_opt_set_pixel_fmt(sws.get(), "dst_format", format, 0) >= 0 &&
              av_opt_set_int(sws.get(), "sws_flags", flags, 0) >= 0 &&
              av_opt_set_double(sws.get(), "param0", taps, 0) >= 0;
    // Newer libswscale can slice-thread; the frame server runs single-threaded.
    const int threads = av_opt_set_int(sws.get(), "threads", 1, 0);
    ok = ok && (threads >= 0 || threads == AVERROR_OPTION_NOT_FOUND);
    if (!ok || sws_init_context(sws.get(), nullptr, nullptr) < 0)
        env->ThrowError("LanczosResize: libswscale cannot scale %dx%d to %dx%d", window.width, window.height, width,
                        height);
    sws_ = std::move(sws);
    vi.width = width;
    vi.height = height;
}

PVideoFrame* AVS_STDCALL LanczosResize::GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) {
    const PVideoFrame src = child->GetFrame(n, env);
    PVideoFrame dst = env->NewVideoFrame(vi);
    const uint8_t* in[4] = {};
    int in_pitch[4] = {src->GetPitch()};
    uint8_t* out[4] = {dst->GetWritePtr()};
    int out_pitch[4] = {dst->GetPitch()};
    const VideoInfo& svi = child->GetVideoInfo();
    if (vi.IsRGB()) {
        // Bottom-up rows: the window's lowest picture row comes first in memory. Scaling
        // is the same read either way up, so the orientation carries over.
        const int bpp = vi.IsRGB32() ? 4 : 3;
        const int first_row = svi.height - window_.top - window_.height;
        in[0] = src->GetReadPtr() + first_row * src->GetPitch() + window_.left * bpp;
        if (vi.IsRGB32()) {
            SplitPlanes(in[0], src->GetPitch());
            const size_t plane_size = static_cast<size_t>(plane_pitch_) * window_.height;
            for (int i = 0; i < 4; ++i) {
                in[i] = planes_.data() + i * plane_size;
                in_pitch[i] = plane_pitch_;
            }
        }
    } else if (vi.IsYUY2()) {
        in[0] = src->GetReadPtr() + window_.top * src->GetPitch() + window_.left * 2;
    } else {
        in[0] = src->GetReadPtr(PLANAR_Y) + window_.top * src->GetPitch(PLANAR_Y) + window_.left;
        in[1] = src->GetReadPtr(PLANAR_U) + window_.top / 2 * src->GetPitch(PLANAR_U) + window_.left / 2;
        in[2] = src->GetReadPtr(PLANAR_V) + window_.top / 2 * src->GetPitch(PLANAR_V) + window_.left / 2;
        in_pitch[1] = src->GetPitch(PLANAR_U);
        in_pitch[2] = src->GetPitch(PLANAR_V);
        out[1] = dst->GetWritePtr(PLANAR_U);
        out[2] = dst->GetWritePtr(PLANAR_V);
        out_pitch[1] = dst->GetPitch(PLANAR_U);
        out_pitch[2] = dst->GetPitch(PLANAR_V);
    }
    sws_scale(sws_.get(), in, in_pitch, 0, window_.height, out, out_pitch);
    return ReturnInto(result, std::move(dst));
}

void LanczosResize::SplitPlanes(const uint8_t* src, int pitch) {
    const size_t plane_size = static_cast<size_t>(plane_pitch_) * window_.height;
    uint8_t* const g = planes_.data();
    uint8_t* const b = g + plane_size;
    uint8_t* const r = b + plane_size;
    uint8_t* const a = r + plane_size;
    for (int y = 0; y < window_.height; ++y, src += pitch) {
        const size_t row = static_cast<size_t>(y) * plane_pitch_;
        for (int x = 0; x < window_.width; ++x) {
            b[row + x] = src[4 * x];
            g[row + x] = src[4 * x + 1];
            r[row + x] = src[4 * x + 2];
            a[row + x] = src[4 * x + 3];
        }
    }
}

// A window edge given as a float must still be a whole pixel.
bool Whole(double v) { return std::floor(v) == v && std::fabs(v) < 1 << 24; }

}  // namespace

AVSValue CreateLanczosResize(const AVSValue& args, void*, IScriptEnvironment* env) {
    PClip clip = args[kClip].AsClip();
    const VideoInfo& vi = clip->GetVideoInfo();
    const int width = args[kTargetWidth].AsInt(), height = args[kTargetHeight].AsInt();
    const int taps = args[kTaps].AsInt(3);
    if (!vi.HasVideo()) env->ThrowError("LanczosResize: the clip has no video");
    if (PixelFormatOf(vi) == AV_PIX_FMT_NONE)
        env->ThrowError("LanczosResize: the clip must be RGB24, RGB32, YUY2 or YV12");
    if (width <= 0 || height <= 0) env->ThrowError("LanczosResize: the target width and height must be positive");
    if (vi.IsYUY2() && (width & 1)) env->ThrowError("LanczosResize: YUY2 needs an even target width");
    if (vi.IsYV12() && ((width | height) & 1))
        env->ThrowError("LanczosResize: YV12 needs an even target width and height");
    if (taps < 1 || taps > 100) env->ThrowError("LanczosResize: taps must be between 1 and 100");

    // The source window as in AviSynth: a width or height <= 0 counts from the right or
    // bottom edge. Only whole-pixel windows inside the frame are supported; they are
    // cut out by pointer, without resampling at sub-pixel offsets.
    const double left = args[kSrcLeft].AsFloat(0), top = args[kSrcTop].AsFloat(0);
    double src_width = args[kSrcWidth].AsFloat(vi.width), src_height = args[kSrcHeight].AsFloat(vi.height);
    if (src_width <= 0) src_width = vi.width - left + src_width;
    if (src_height <= 0) src_height = vi.height - top + src_height;
    if (!Whole(left) || !Whole(top) || !Whole(src_width) || !Whole(src_height))
        env->ThrowError("LanczosResize: the source window must be in whole pixels");
    const Window window{static_cast<int>(left), static_cast<int>(top), static_cast<int>(src_width),
                        static_cast<int>(src_height)};
    if (window.left < 0 || window.top < 0 || window.width <= 0 || window.height <= 0 ||
        window.left + window.width > vi.width || window.top + window.height > vi.height)
        env->ThrowError("LanczosResize: the source window must lie inside the frame");
    if (vi.IsYUY2() && ((window.left | window.width) & 1))
        env->ThrowError("LanczosResize: a YUY2 source window needs an even left and width");
    if (vi.IsYV12() && ((window.left | window.top | window.width | window.height) & 1))
        env->ThrowError("LanczosResize: a YV12 source window needs even edges");
    return new LanczosResize(clip, width, height, window, taps, env);
}

}  // namespace fserver
