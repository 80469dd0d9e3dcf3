// TurnLeft, TurnRight and Turn180: the picture turned by a quarter or a half turn;
// audio passes through.
#include <cstdint>
#include <cstring>
#include <utility>

#include "fserver/builtins.h"

namespace fserver {

namespace {

enum TurnArg { kClip };

enum class Turn { kLeft, kRight, kHalf };

// Where picture point (x, y), y from the top, of a w x h source lands in the turned one.
struct Mapping {
    Turn turn;
    int w, h;
    void Source(int dx, int dy, int& sx, int& sy) const {
        switch (turn) {
            case Turn::kRight:  // clockwise: the source's left column becomes the top row
                sx = dy, sy = h - 1 - dx;
                break;
            case Turn::kLeft:
                sx = w - 1 - dy, sy = dx;
                break;
            case Turn::kHalf:
                sx = w - 1 - dx, sy = h - 1 - dy;
                break;
        }
    }
};

// Rows are stored bottom-up: picture row y is memory row height - 1 - y.
template <class Byte>
Byte* PictureRow(Byte* base, int pitch, int height, int y) {
    return base + static_cast<ptrdiff_t>(height - 1 - y) * pitch;
}

class TurnFilter : public GenericVideoFilter {
public:
    TurnFilter(PClip clip, Turn turn) : GenericVideoFilter(std::move(clip)), turn_(turn) {
        if (turn != Turn::kHalf) std::swap(vi.width, vi.height);
    }

    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) override {
        return avs::Entry([&] {
            const PVideoFrame src = child->GetFrame(n, env);
            PVideoFrame dst = env->NewVideoFrame(vi);
            const int unit = vi.IsRGB32() ? 4 : 3;
            const Mapping map{turn_, child->GetVideoInfo().width, child->GetVideoInfo().height};
            for (int y = 0; y < vi.height; ++y) {
                uint8_t* d = PictureRow(dst->GetWritePtr(), dst->GetPitch(), vi.height, y);
                for (int x = 0; x < vi.width; ++x, d += unit) {
                    int sx = 0, sy = 0;
                    map.Source(x, y, sx, sy);
                    const uint8_t* s = PictureRow(src->GetReadPtr(), src->GetPitch(), map.h, sy);
                    std::memcpy(d, s + static_cast<ptrdiff_t>(sx) * unit, static_cast<size_t>(unit));
                }
            }
            return ReturnInto(result, std::move(dst));
        });
    }
    using IClip::GetFrame;

private:
    Turn turn_;
};

AVSValue CreateTurn(const AVSValue& args, Turn turn, const char* name, IScriptEnvironment* env) {
    const PClip clip = args[kClip].AsClip();
    const VideoInfo& vi = clip->GetVideoInfo();
    if (!vi.HasVideo()) env->ThrowError("%s: clip has no video", name);
    if (!vi.IsRGB24() && !vi.IsRGB32()) env->ThrowError("%s: the clip must be RGB24 or RGB32", name);
    return new TurnFilter(clip, turn);
}

}  // namespace

AVSValue CreateTurnLeft(const AVSValue& args, void*, IScriptEnvironment* env) {
    return CreateTurn(args, Turn::kLeft, "TurnLeft", env);
}

AVSValue CreateTurnRight(const AVSValue& args, void*, IScriptEnvironment* env) {
    return CreateTurn(args, Turn::kRight, "TurnRight", env);
}

AVSValue CreateTurn180(const AVSValue& args, void*, IScriptEnvironment* env) {
    return CreateTurn(args, Turn::kHalf, "Turn180", env);
}

}  // namespace fserver
