// Crop: a window of the picture, shared with the source frame rather than copied.
#include <cstdint>

#include "fserver/builtins.h"

namespace fserver {

namespace {

enum CropArg { kClip, kLeft, kTop, kWidth, kHeight, kAlign };

class Crop : public GenericVideoFilter {
public:
    // top is counted in memory rows, from the first row the buffer holds.
    Crop(PClip child, const VideoInfo& vi_out, int left, int top, bool align)
        : GenericVideoFilter(std::move(child)), left_(left), top_(top), align_(align) {
        vi = vi_out;
    }

    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) override {
        return avs::Entry([&] {
            PVideoFrame frame = child->GetFrame(n, env);
            const int pitch = frame->GetPitch();
            const int offset = top_ * pitch + vi.BytesFromPixels(left_);
            if (align_ && !Aligned(frame, offset)) return ReturnInto(result, Copy(frame, env));
            if (!vi.IsPlanar())
                return env->Subframe(result, frame.release(), offset, pitch, vi.RowSize(), vi.height);
            const int pitch_uv = frame->GetPitch(PLANAR_U);
            const int offset_uv = (top_ / 2) * pitch_uv + left_ / 2;
            return env->SubframePlanar(result, frame.release(), offset, pitch, vi.RowSize(), vi.height, offset_uv,
                                       offset_uv, pitch_uv);
        });
    }
    using IClip::GetFrame;

private:
    bool Aligned(const PVideoFrame& frame, int offset) const {
        const auto at = [](const unsigned char* p) { return reinterpret_cast<uintptr_t>(p) % FRAME_ALIGN == 0; };
        if (!at(frame->GetReadPtr() + offset)) return false;
        if (!vi.IsPlanar()) return true;
        const int offset_uv = (top_ / 2) * frame->GetPitch(PLANAR_U) + left_ / 2;
        return at(frame->GetReadPtr(PLANAR_U) + offset_uv) && at(frame->GetReadPtr(PLANAR_V) + offset_uv);
    }

    // align asks for rows starting on FRAME_ALIGN, which only a fresh frame can promise.
    PVideoFrame Copy(const PVideoFrame& frame, IScriptEnvironment* env) const {
        PVideoFrame dst = env->NewVideoFrame(vi);
        const int planes[] = {PLANAR_Y, PLANAR_U, PLANAR_V};
        for (int plane : planes) {
            if (plane != PLANAR_Y && !vi.IsPlanar()) break;
            const bool chroma = plane != PLANAR_Y;
            const int left = chroma ? left_ / 2 : vi.BytesFromPixels(left_), top = chroma ? top_ / 2 : top_;
            const int pitch = frame->GetPitch(plane);
            env->BitBlt(dst->GetWritePtr(plane), dst->GetPitch(plane), frame->GetReadPtr(plane) + top * pitch + left,
                        pitch, dst->GetRowSize(plane), dst->GetHeight(plane));
        }
        return dst;
    }

    const int left_, top_;
    const bool align_;
};

}  // namespace

AVSValue CreateCrop(const AVSValue& args, void*, IScriptEnvironment* env) {
    const PClip clip = args[kClip].AsClip();
    VideoInfo vi = clip->GetVideoInfo();
    const int left = args[kLeft].AsInt(), top = args[kTop].AsInt();
    int width = args[kWidth].AsInt(), height = args[kHeight].AsInt();
    if (!vi.HasVideo()) env->ThrowError("Crop: clip has no video");
    if (left < 0 || top < 0) env->ThrowError("Crop: Top and Left must be more than 0");
    // Zero or negative sizes count from the right and bottom edges.
    if (width <= 0) width = vi.width - left + width;
    if (height <= 0) height = vi.height - top + height;
    if (width <= 0) env->ThrowError("Crop: Destination width is 0 or less.");
    if (height <= 0) env->ThrowError("Crop: Destination height is 0 or less.");
    if (left + width > vi.width || top + height > vi.height)
        env->ThrowError("Crop: you cannot use crop to enlarge or 'shift' a clip");
    if (vi.IsYUV()) {
        if (left & 1) env->ThrowError("Crop: YUV images can only be cropped by even numbers (left side).");
        if (width & 1) env->ThrowError("Crop: YUV images can only be cropped by even numbers (right side).");
        if (vi.IsYV12()) {
            if (top & 1) env->ThrowError("Crop: YV12 images can only be cropped by even numbers (top).");
            if (height & 1) env->ThrowError("Crop: YV12 images can only be cropped by even numbers (bottom).");
        }
    }
    // RGB keeps its bottom row first, so the rows cut at the top are the buffer's last.
    const int memory_top = vi.IsRGB() ? vi.height - top - height : top;
    vi.width = width;
    vi.height = height;
    return new Crop(clip, vi, left, memory_top, args[kAlign].AsBool(false));
}

}  // namespace fserver
