#include "channels/main_ch_mgr.h"

#include <algorithm>
#include <cstring>

#include "channels/globals.h"

CMainChMgr::CMainChMgr(PClip input, IScriptEnvironment* env) : GenericVideoFilter(std::move(input)), env_(env) {
    if (vi.IsPlanar()) env->ThrowError("CMainChMgr: input to filter must be in YUY2 or RGB");
}

CMainChMgr::~CMainChMgr() {
    RemoveAllItems();
    // The frame server releases managers with its graph; forgetting a released one
    // turns later exports into no-ops instead of calls through a dangling pointer.
    if (g_pMainChMgr == this) g_pMainChMgr = nullptr;
    if (g_pPreviewChMgr == this) g_pPreviewChMgr = nullptr;
}

PVideoFrame* AVS_STDCALL CMainChMgr::GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) {
    return ReturnInto(result, ComposeFrame(n, ChannelCount() - 1, env));
}

// Every kind draws a bottom-up RGB24 picture of the manager's size. Over a YUY2 or
// RGB32 input the canvas has another layout, so such a manager composes black only.
bool CMainChMgr::Drawable() const { return vi.IsRGB24(); }

PVideoFrame CMainChMgr::ComposeFrame(int n, int last_channel, IScriptEnvironment* env) {
    const PVideoFrame input = child->GetFrame(n, env);  // held, never drawn

    PVideoFrame canvas = env->NewVideoFrame(vi, -4);
    uint8_t* const pixels = canvas->GetWritePtr();
    const int size = canvas->GetPitch() * canvas->GetHeight();
    std::memset(pixels, 0, static_cast<size_t>(size));

    if (!Drawable()) return canvas;
    const int last = std::min(last_channel, ChannelCount() - 1);
    for (int c = 0; c <= last; ++c) {
        ItemList* items = channels_[c].get();
        if (!items || !visible_[c]) continue;
        CanvasScope scope(*this, pixels, size);
        // Items are drawn by index: a drawing kind must not change the list, but the
        // index walk stays well defined even if one does.
        for (size_t i = 0; i < items->size(); ++i) DrawItem(*(*items)[i], n, pixels, size);
    }
    return canvas;
}

PVideoFrame CMainChMgr::GetPackedFrame(const PClip& clip, int n, IScriptEnvironment* env) {
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

void AVS_STDCALL CMainChMgr::GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment* env) {
    child->GetAudio(buf, start, count, env);
    // Overlay clips are read through the environment the script ran in.
    IScriptEnvironment* mix_env = g_pScriptEnv ? g_pScriptEnv : env;
    for (int c = 0; c < ChannelCount(); ++c) {
        ItemList* items = channels_[c].get();
        if (!items || !visible_[c]) continue;
        for (const auto& item : *items)
            if (item->kind == kItemOverlay) MixItemAudio(*item, buf, start, count, mix_env);
    }
}
