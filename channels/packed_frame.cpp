#include "channels/packed_frame.h"

#include <cstring>

PVideoFrame GetPackedFrame(const PClip& clip, int n, IScriptEnvironment* env) {
    PVideoFrame f = clip->GetFrame(n, env);
    if (f->GetRowSize() == f->GetPitch()) return f;
    const VideoInfo& cvi = clip->GetVideoInfo();
    PVideoFrame g = env->NewVideoFrame(cvi, -4);
    const uint8_t* src = f->GetReadPtr();
    uint8_t* dst = g->GetWritePtr();
    const int row = f->GetRowSize(), src_pitch = f->GetPitch(), dst_pitch = g->GetPitch();
    for (int y = 0; y < cvi.height; ++y, src += src_pitch, dst += dst_pitch) std::memcpy(dst, src, static_cast<size_t>(row));
    return g;
}
