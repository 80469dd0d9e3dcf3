#include "channels/main_ch_mgr.h"

#include <algorithm>
#include <cstring>

#include "channels/globals.h"

CMainChMgr::CMainChMgr(PClip input, IScriptEnvironment* env, const ItemKindTable& kinds)
    : GenericVideoFilter(std::move(input)), kinds_(kinds), env_(env) {
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
    return avs::Entry([&] {
        return ReturnInto(result, ComposeFrame(n, ChannelCount() - 1, env));
    });
}

// Every kind draws a bottom-up RGB24 picture of the manager's size. Over a YUY2 or
// RGB32 input the canvas has another layout, so such a manager composes black only.
bool CMainChMgr::Drawable() const { return vi.IsRGB24(); }

PVideoFrame CMainChMgr::ComposeFrame(int n, int last_channel, IScriptEnvironment* env) {
    const PVideoFrame input = child->GetFrame(n, env);  // held, never drawn

    PVideoFrame frame = env->NewVideoFrame(vi, -4);
    const Canvas canvas = CanvasOver(frame->GetWritePtr(), frame->GetPitch());
    std::memset(canvas.pixels, 0, static_cast<size_t>(frame->GetPitch()) * frame->GetHeight());

    if (!Drawable()) return frame;
    const int last = std::min(last_channel, ChannelCount() - 1);
    for (int c = 0; c <= last; ++c) {
        ItemList* items = channels_[c].get();
        if (!items || !visible_[c]) continue;
        CanvasScope scope(*this, canvas.pixels, canvas.size);
        // Items are drawn by index: a drawing kind must not change the list, but the
        // index walk stays well defined even if one does.
        for (size_t i = 0; i < items->size(); ++i) DrawItem(*(*items)[i], n, canvas);
    }
    return frame;
}

void CMainChMgr::DrawItem(ItemRecord& item, int n, const Canvas& canvas) {
    const ItemKindOps* ops = kinds_.Find(item.kind);
    if (ops && ops->draw) ops->draw(item, n, canvas);  // a record of any other kind is skipped
}

bool CMainChMgr::ItemPicture(ItemRecord& item, int n, HostPicture& out) {
    const ItemKindOps* ops = kinds_.Find(item.kind);
    if (!ops || !ops->picture) return false;
    ops->picture(item, n, CanvasOver(nullptr, 0), out);  // the frame size is all it needs
    return true;
}

void AVS_STDCALL CMainChMgr::GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment* env) {
    return avs::Entry([&] {
        child->ReadAudio(buf, start, count, env);
        // Overlay clips are read through the environment the script ran in.
        IScriptEnvironment* mix_env = g_pScriptEnv ? g_pScriptEnv : env;
        for (int c = 0; c < ChannelCount(); ++c) {
            ItemList* items = channels_[c].get();
            if (!items || !visible_[c]) continue;
            for (const auto& item : *items) {
                const ItemKindOps* ops = kinds_.Find(item->kind);
                if (ops && ops->mix_audio) ops->mix_audio(*item, vi, buf, start, count, mix_env);
            }
        }
    });
}
