#include "tools/sondrel/loader_server.h"

#include <cstring>

#include "avs/frame_layout.h"
#include "platform/loader_pipe.h"

namespace {

// Rows to the area at its pitch; the padding is zeroed so a frame's bytes depend on
// its pixels alone.
void CopyPlane(uint8_t* dst, int dst_pitch, const uint8_t* src, int src_pitch, int row_size, int height) {
    for (int y = 0; y < height; ++y) {
        std::memcpy(dst + static_cast<size_t>(y) * dst_pitch, src + static_cast<size_t>(y) * src_pitch,
                    static_cast<size_t>(row_size));
        std::memset(dst + static_cast<size_t>(y) * dst_pitch + row_size, 0, static_cast<size_t>(dst_pitch - row_size));
    }
}

}  // namespace

void LoaderServer::Serve(platform::PipeEnd& pipe) {
    LoaderBlock block;
    while (pipe.Read(block.bytes, sizeof block, -1)) {
        Answer(block);
        if (!pipe.Write(block.bytes, sizeof block, -1)) return;
    }
}

void LoaderServer::Answer(LoaderBlock& block) {
    const LoaderBlock request = block;
    std::memset(&block, 0, sizeof block);
    const auto found = clips_.find(request.close.remote_id);  // every request has the id at 4
    const bool known = found != clips_.end();
    switch (request.open.command) {
        case kLoaderOpen: block = request, block.reply.status = Open(block); break;
        case kLoaderClose:
            block.reply.status = known ? 1 : 0;
            if (known) clips_.erase(found);
            break;
        case kLoaderFrame: block.reply.status = known ? Frame(found->second, request.frame.frame) : 0; break;
        case kLoaderAudio:
            block.reply.status = known ? Audio(found->second, request.audio.start, request.audio.count) : 0;
            break;
        default: block.reply.status = 0; break;
    }
}

// The request block comes in; the reply goes out in it.
int32_t LoaderServer::Open(LoaderBlock& block) {
    char path[kLoaderPathBytes];
    std::memcpy(path, block.open.path, sizeof path);
    path[sizeof path - 1] = 0;
    std::memset(&block, 0, sizeof block);
    PClip clip;
    try {
        clip = env_->Invoke("Import", AVSValue(path)).AsClip();
    } catch (const AvisynthError&) {
    } catch (const IScriptEnvironment::NotFound&) {
#if AVS_SEH_GUARDS
    } catch (const avs::ForeignException&) {  // the same error, raised as an MSVC-built server raises it
#endif
    }
    if (!clip) return kLoaderCannotOpen;
    const int32_t id = next_id_++;
    clips_[id] = clip;
    block.open_reply.remote_id = id;
    block.open_reply.vi = clip->GetVideoInfo();
    return kLoaderOpened;
}

int32_t LoaderServer::Frame(const PClip& clip, int n) {
    const VideoInfo& vi = clip->GetVideoInfo();
    const FrameLayout l = LayOutFrame(vi, FRAME_ALIGN);
    if (!vi.HasVideo() || !l.valid || static_cast<size_t>(l.data_size) > area_size_) return 0;
    const PVideoFrame f = clip->GetFrame(n, env_);
    if (!f || f->GetRowSize() != l.row_size || f->GetHeight() != l.height) return 0;
    if (vi.IsPlanar() && (f->GetRowSize(PLANAR_U) != l.row_size_uv || f->GetHeight(PLANAR_U) != l.height_uv))
        return 0;
    CopyPlane(area_ + l.offset, l.pitch, f->GetReadPtr(), f->GetPitch(), l.row_size, l.height);
    if (vi.IsPlanar()) {
        CopyPlane(area_ + l.offset_u, l.pitch_uv, f->GetReadPtr(PLANAR_U), f->GetPitch(PLANAR_U), l.row_size_uv,
                  l.height_uv);
        CopyPlane(area_ + l.offset_v, l.pitch_uv, f->GetReadPtr(PLANAR_V), f->GetPitch(PLANAR_V), l.row_size_uv,
                  l.height_uv);
    }
    return 1;
}

int32_t LoaderServer::Audio(const PClip& clip, int64_t start, int64_t count) {
    const int bps = clip->GetVideoInfo().BytesPerAudioSample();
    if (count < 0 || (bps > 0 && count > static_cast<int64_t>(area_size_) / bps)) return 0;
    clip->GetAudio(area_, start, count, env_);
    return 1;
}
