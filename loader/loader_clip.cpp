#include "loader/loader_clip.h"

#include <cstring>
#include <new>
#include <vector>

#include "loader/loader_channel.h"

CLoaderClip::CLoaderClip(LoaderChannel& channel, std::string path, const LoaderChannel::Remote& remote,
                         IScriptEnvironment* env)
    : channel_(channel), path_(std::move(path)), vi_(remote.vi), pipe_(remote.pipe), remote_id_(remote.id) {
    if (!vi_.HasVideo()) return;
    frame_ = env->NewVideoFrame(vi_, FRAME_ALIGN);
    // Black until the loader has filled it, so a failed first request shows nothing stale.
    VideoFrameBuffer* vfb = frame_->GetFrameBuffer();
    std::memset(vfb->GetWritePtr(), 0, static_cast<size_t>(vfb->GetDataSize()));
}

CLoaderClip::~CLoaderClip() {
    LoaderBlock block{};
    block.close.command = kLoaderClose;
    block.close.remote_id = remote_id_;
    {
        auto hold = channel_.Hold();
        channel_.Exchange(*pipe_, block);  // the reply says nothing we act on
    }
    frame_ = PVideoFrame();
}

// Under the lock: the connection to ask on. One that failed is replaced by opening the
// file again, as the first import did, which starts a fresh loader when no running one
// takes it; the clip then goes on under the new loader's id.
bool CLoaderClip::Connected() {
    if (!pipe_->Broken()) return true;
    if (!may_reopen_) return false;
    may_reopen_ = false;
    LoaderChannel::Remote remote;
    if (!channel_.Reopen(path_.c_str(), vi_, remote)) return false;
    pipe_ = remote.pipe;
    remote_id_ = remote.id;
    return true;
}

// Under the lock: block goes out with this clip's id; true when the reply says status 1.
bool CLoaderClip::Ask(LoaderBlock& block) {
    if (!Connected()) return false;
    block.frame.remote_id = remote_id_;  // at offset 4 in every request
    if (!channel_.Exchange(*pipe_, block)) return false;
    may_reopen_ = true;
    return block.reply.status == 1;
}

// A clip without video hands out no frame at all, as the frame server's own Import
// does for such a file, so a host sees the same clip whichever way it was imported.
// A frame larger than the area is never asked for: it keeps what it shows.
PVideoFrame* AVS_STDCALL CLoaderClip::GetFrame(PVideoFrame* result, int n, IScriptEnvironment*) {
    return avs::Entry([&] {
        if (frame_) {
            VideoFrameBuffer* vfb = frame_->GetFrameBuffer();
            const size_t size = static_cast<size_t>(vfb->GetDataSize());
            if (size <= channel_.AreaSize()) {
                LoaderBlock block{};
                block.frame.command = kLoaderFrame;
                block.frame.frame = n;
                auto hold = channel_.Hold();
                if (Ask(block)) std::memcpy(vfb->GetWritePtr(), channel_.Area(), size);
            }
        }
        return ReturnInto(result, PVideoFrame(frame_));
    });
}

// One request: out receives count samples or stays as it was.
bool CLoaderClip::FetchAudio(uint8_t* out, int64_t start, int64_t count, int bytes_per_sample) {
    LoaderBlock block{};
    block.audio.command = kLoaderAudio;
    block.audio.start = start;
    block.audio.count = count;
    if (!Ask(block)) return false;
    std::memcpy(out, channel_.Area(), static_cast<size_t>(count * bytes_per_sample));
    return true;
}

// A request larger than the area goes in blocks that fit, gathered aside and copied
// out only once every block came, so a failure still leaves buf untouched.
void AVS_STDCALL CLoaderClip::GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment*) {
    return avs::Entry([&] {
        if (!buf || count <= 0) return;
        const int bps = vi_.BytesPerAudioSample();  // bounded: the channel took only plausible layouts
        const int64_t area = static_cast<int64_t>(channel_.AreaSize());
        if (bps > area) return;
        auto* out = static_cast<uint8_t*>(buf);
        auto hold = channel_.Hold();
        if (bps <= 0 || count <= area / bps) {
            FetchAudio(out, start, count, bps);
            return;
        }
        if (count > static_cast<int64_t>(SIZE_MAX / 2) / bps) return;  // more than this process could hold
        std::vector<uint8_t> staged;
        try {
            staged.resize(static_cast<size_t>(count * bps));
        } catch (const std::bad_alloc&) {
            return;
        }
        const int64_t per_block = area / bps;
        for (int64_t done = 0; done < count; done += per_block) {
            const int64_t n = count - done < per_block ? count - done : per_block;
            if (!FetchAudio(staged.data() + done * bps, start + done, n, bps)) return;
        }
        std::memcpy(out, staged.data(), staged.size());
    });
}
