// AddBorders: the picture framed by borders of one colour.
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <utility>

#include "fserver/builtins.h"
#include "fserver/color.h"

namespace fserver {

namespace {

enum AddBordersArg { kClip, kLeft, kTop, kRight, kBottom, kColor };

void Fill(uint8_t* p, int pitch, int row_size, int height, const uint8_t* pattern, int unit) {
    for (int y = 0; y < height; ++y, p += pitch)
        for (int x = 0; x + unit <= row_size; x += unit) std::memcpy(p + x, pattern, static_cast<size_t>(unit));
}

class AddBorders : public GenericVideoFilter {
public:
    // top and bottom are in memory order: for RGB, bottom-up, they come swapped.
    AddBorders(PClip child, const VideoInfo& vi_out, int left, int top, int color)
        : GenericVideoFilter(std::move(child)), left_(left), top_(top), color_(color) {
        vi = vi_out;
    }

    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) override {
        return avs::Entry([&] {
            const PVideoFrame src = child->GetFrame(n, env);
            PVideoFrame dst = env->NewVideoFrame(vi);
            if (vi.IsRGB()) {
                const uint8_t px[4] = {static_cast<uint8_t>(color_), static_cast<uint8_t>(color_ >> 8),
                                       static_cast<uint8_t>(color_ >> 16), static_cast<uint8_t>(color_ >> 24)};
                Fill(dst->GetWritePtr(), dst->GetPitch(), dst->GetRowSize(), dst->GetHeight(), px, vi.IsRGB32() ? 4 : 3);
            } else {
                const int yuv = RgbToYuv(color_);
                const uint8_t y = static_cast<uint8_t>(yuv >> 16), u = static_cast<uint8_t>(yuv >> 8),
                              v = static_cast<uint8_t>(yuv);
                if (vi.IsYUY2()) {
                    const uint8_t px[4] = {y, u, y, v};
                    Fill(dst->GetWritePtr(), dst->GetPitch(), dst->GetRowSize(), dst->GetHeight(), px, 4);
                } else {
                    for (const auto& [plane, value] : {std::pair{PLANAR_Y, y}, std::pair{PLANAR_U, u}, std::pair{PLANAR_V, v}})
                        Fill(dst->GetWritePtr(plane), dst->GetPitch(plane), dst->GetRowSize(plane), dst->GetHeight(plane),
                             &value, 1);
                }
            }
            const int planes[] = {PLANAR_Y, PLANAR_U, PLANAR_V};
            for (int plane : planes) {
                if (plane != PLANAR_Y && !vi.IsPlanar()) break;
                const bool chroma = plane != PLANAR_Y;
                const int left = chroma ? left_ / 2 : vi.BytesFromPixels(left_), top = chroma ? top_ / 2 : top_;
                const int pitch = dst->GetPitch(plane);
                env->BitBlt(dst->GetWritePtr(plane) + top * pitch + left, pitch, src->GetReadPtr(plane), src->GetPitch(plane),
                            src->GetRowSize(plane), src->GetHeight(plane));
            }
            return ReturnInto(result, std::move(dst));
        });
    }
    using IClip::GetFrame;

private:
    const int left_, top_, color_;
};

}  // namespace

AVSValue CreateAddBorders(const AVSValue& args, void*, IScriptEnvironment* env) {
    const PClip clip = args[kClip].AsClip();
    VideoInfo vi = clip->GetVideoInfo();
    int left = args[kLeft].AsInt(), top = args[kTop].AsInt(), right = args[kRight].AsInt(),
        bottom = args[kBottom].AsInt();
    if (!vi.HasVideo()) env->ThrowError("AddBorders: clip has no video");
    if (!vi.IsRGB24() && !vi.IsRGB32() && !vi.IsYUY2() && !vi.IsYV12())
        env->ThrowError("AddBorders: the clip must be RGB24, RGB32, YUY2 or YV12");
    // A negative border is no border, as AviSynth takes it.
    for (int* side : {&left, &top, &right, &bottom})
        if (*side < 0) *side = 0;
    // YUV shares chroma between pixel pairs (and YV12 between row pairs): a border that
    // would split a pair is refused.
    if (vi.IsYUV() && ((left | right) & 1))
        env->ThrowError("AddBorders: YUV images can only have borders of even width (left and right).");
    if (vi.IsYV12() && ((top | bottom) & 1))
        env->ThrowError("AddBorders: YV12 images can only have borders of even height (top and bottom).");
    // Keeps the frame's byte arithmetic well inside int.
    if (int64_t{vi.width} + left + right > 0x7FFF || int64_t{vi.height} + top + bottom > 0x7FFF)
        env->ThrowError("AddBorders: the bordered frame would be too large");
    vi.width += left + right;
    vi.height += top + bottom;
    // RGB keeps its bottom row first, so the bottom border comes first in memory.
    const int memory_top = vi.IsRGB() ? bottom : top;
    return new AddBorders(clip, vi, left, memory_top, args[kColor].AsInt(0));
}

}  // namespace fserver
