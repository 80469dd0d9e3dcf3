#include "channels/host_frames.h"

#include <cstring>

#include "channels/main_ch_mgr.h"
#include "channels/packed_frame.h"
#include "framework/host_buffer.h"

void ComposeForHost(CMainChMgr& mgr, int n, int32_t excluded_id, uint8_t** buffer, int32_t* size, int32_t* width,
                    int32_t* height) {
    int32_t pitch;
    {
        // Only its pitch is wanted: the host's buffer has the frame server's layout.
        const PVideoFrame layout = mgr.Environment()->NewVideoFrame(mgr.Info(), -4);
        pitch = layout->GetPitch();
    }
    const int32_t s = pitch * mgr.Info().height;
    uint8_t* pixels = NewZeroedHostBuffer(static_cast<size_t>(s));
    const Canvas canvas = mgr.CanvasOver(pixels, pitch);
    *buffer = pixels;
    *size = s;
    *width = mgr.Info().width;
    *height = mgr.Info().height;
    // As composition: items draw RGB24 canvases only, so any other manager gives black.
    if (!mgr.Drawable()) return;

    for (int c = 0; c < mgr.ChannelCount(); ++c) {
        const ItemList* items = mgr.Channel(c);
        if (!items) continue;
        CMainChMgr::CanvasScope scope(mgr, pixels, s);
        for (size_t i = 0; i < items->size(); ++i)
            if ((*items)[i]->id != excluded_id) mgr.DrawItem(*(*items)[i], n, canvas);
    }
}

bool ItemPictureForHost(CMainChMgr& mgr, int n, int32_t id, HostPicture& out) {
    bool found = false;
    for (int c = 0; c < mgr.ChannelCount(); ++c) {
        const ItemList* items = mgr.Channel(c);
        if (!items) continue;
        for (const auto& item : *items) {
            if (item->id != id) continue;
            // Ids are meant to be unique; where one repeats on another channel, its
            // picture replaces the earlier one, whose buffer is freed, not leaked.
            HostPicture next = out;
            if (mgr.ItemPicture(*item, n, next)) {
                if (found && out.buffer) ::operator delete(out.buffer);
                out = next;
                found = true;
            }
            break;
        }
    }
    return found;
}

void ClipFrameForHost(const PClip& clip, int n, IScriptEnvironment* env, uint8_t** buffer, int32_t* size) {
    if (n >= clip->GetVideoInfo().num_frames) n = 0;
    const PVideoFrame f = GetPackedFrame(clip, n, env);
    const int32_t s = f->GetPitch() * f->GetHeight();
    *size = s;
    *buffer = NewHostBuffer(static_cast<size_t>(s));
    std::memcpy(*buffer, f->GetReadPtr(), static_cast<size_t>(s));
}
