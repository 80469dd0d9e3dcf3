// FlipHorizontal and FlipVertical: mirror images; audio passes through.
#include <cstdint>

#include "fserver/builtins.h"

namespace fserver {

namespace {

enum FlipArg { kClip };

constexpr int kPlanes[] = {PLANAR_Y, PLANAR_U, PLANAR_V};

class FlipVertical : public GenericVideoFilter {
public:
    using GenericVideoFilter::GenericVideoFilter;

    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) override {
        return avs::Entry([&] {
            const PVideoFrame src = child->GetFrame(n, env);
            PVideoFrame dst = env->NewVideoFrame(vi);
            for (int plane : kPlanes) {
                if (plane != PLANAR_Y && !vi.IsPlanar()) break;
                const int height = src->GetHeight(plane), pitch = src->GetPitch(plane);
                // The source read from its last row upwards.
                env->BitBlt(dst->GetWritePtr(plane), dst->GetPitch(plane), src->GetReadPtr(plane) + (height - 1) * pitch,
                            -pitch, src->GetRowSize(plane), height);
            }
            return ReturnInto(result, std::move(dst));
        });
    }
    using IClip::GetFrame;
};

// Reverses the order of `unit`-byte groups along each row.
void MirrorRows(uint8_t* dst, int dst_pitch, const uint8_t* src, int src_pitch, int row_size, int height, int unit) {
    for (int y = 0; y < height; ++y, dst += dst_pitch, src += src_pitch)
        for (int x = 0; x + unit <= row_size; x += unit)
            for (int k = 0; k < unit; ++k) dst[row_size - unit - x + k] = src[x + k];
}

class FlipHorizontal : public GenericVideoFilter {
public:
    using GenericVideoFilter::GenericVideoFilter;

    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) override {
        return avs::Entry([&] {
            const PVideoFrame src = child->GetFrame(n, env);
            PVideoFrame dst = env->NewVideoFrame(vi);
            const uint8_t* s = src->GetReadPtr();
            uint8_t* d = dst->GetWritePtr();
            const int row = src->GetRowSize(), height = src->GetHeight(), sp = src->GetPitch(), dp = dst->GetPitch();
            if (vi.IsYUY2()) {
                // Macropixels Y0 U Y1 V mirror as a whole, and their two lumas trade places.
                for (int y = 0; y < height; ++y, s += sp, d += dp)
                    for (int x = 0; x + 4 <= row; x += 4) {
                        uint8_t* out = d + row - 4 - x;
                        out[0] = s[x + 2];
                        out[1] = s[x + 1];
                        out[2] = s[x];
                        out[3] = s[x + 3];
                    }
            } else if (vi.IsPlanar()) {
                for (int plane : kPlanes)
                    MirrorRows(dst->GetWritePtr(plane), dst->GetPitch(plane), src->GetReadPtr(plane), src->GetPitch(plane),
                               src->GetRowSize(plane), src->GetHeight(plane), 1);
            } else {
                MirrorRows(d, dp, s, sp, row, height, vi.IsRGB32() ? 4 : 3);
            }
            return ReturnInto(result, std::move(dst));
        });
    }
    using IClip::GetFrame;
};

template <class Flip>
AVSValue CreateFlip(const AVSValue& args, const char* name, IScriptEnvironment* env) {
    const PClip clip = args[kClip].AsClip();
    const VideoInfo& vi = clip->GetVideoInfo();
    if (!vi.HasVideo()) env->ThrowError("%s: clip has no video", name);
    if (!vi.IsRGB24() && !vi.IsRGB32() && !vi.IsYUY2() && !vi.IsYV12())
        env->ThrowError("%s: the clip must be RGB24, RGB32, YUY2 or YV12", name);
    return new Flip(clip);
}

}  // namespace

AVSValue CreateFlipHorizontal(const AVSValue& args, void*, IScriptEnvironment* env) {
    return CreateFlip<FlipHorizontal>(args, "FlipHorizontal", env);
}

AVSValue CreateFlipVertical(const AVSValue& args, void*, IScriptEnvironment* env) {
    return CreateFlip<FlipVertical>(args, "FlipVertical", env);
}

}  // namespace fserver
