// The one place that knows every item kind: drawing, audio and payload release are
// dispatched here on the kind tag.
#include "channels/globals.h"
#include "channels/host_frames.h"
#include "channels/main_ch_mgr.h"
#include "items/image_item.h"
#include "items/slide_item.h"
#include "items/subtitle_item.h"
#include "items/title_item.h"
#include "overlay/overlay_item.h"

void CMainChMgr::DrawItem(ItemRecord& item, int n, uint8_t* canvas, int size) {
    switch (item.kind) {
        case kItemOverlay:
            // Overlay clips are read through the environment the script ran in.
            DrawOverlayItem(*static_cast<COverlayItem*>(item.payload), n, g_pScriptEnv ? g_pScriptEnv : env_, canvas,
                            size, vi.width, vi.height);
            break;
        case kItemSlide: DrawSlideItem(item, n, canvas, size, vi.width, vi.height); break;
        case kItemTitle: DrawTitleItem(item, n, canvas, size, vi.width, vi.height); break;
        case kItemImage:
            DrawImageItem(*static_cast<CImageItem*>(item.payload), n, canvas, size, vi.width, vi.height);
            break;
        case kItemSubtitle: DrawSubtitleItem(*static_cast<SubtitleInfo*>(item.payload), n, canvas, size, env_); break;
        default: break;  // a record of any other kind is skipped
    }
}

bool CMainChMgr::ItemPicture(ItemRecord& item, int n, HostPicture& out) {
    switch (item.kind) {
        case kItemOverlay:
            OverlayItemPicture(*static_cast<COverlayItem*>(item.payload), n, g_pScriptEnv ? g_pScriptEnv : env_, out);
            return true;
        case kItemImage: ImageItemPicture(*static_cast<CImageItem*>(item.payload), vi.width, vi.height, out); return true;
        default: return false;  // slides, titles and subtitles have no picture of their own
    }
}

void CMainChMgr::MixItemAudio(ItemRecord& item, void* buf, int64_t start, int64_t count, IScriptEnvironment* env) {
    switch (item.kind) {
        case kItemOverlay: MixOverlayAudio(*static_cast<COverlayItem*>(item.payload), vi, buf, start, count, env); break;
        default: break;  // only overlay clips carry audio
    }
}

void ReleaseItemPayload(int32_t kind, void* payload) {
    switch (kind) {
        case kItemOverlay: delete static_cast<COverlayItem*>(payload); break;
        case kItemSlide: delete static_cast<SlideEffect*>(payload); break;
        case kItemTitle: delete static_cast<TitleEffect*>(payload); break;
        case kItemImage: delete static_cast<CImageItem*>(payload); break;
        case kItemSubtitle: delete static_cast<SubtitleInfo*>(payload); break;
        default: break;  // a record of any other kind owns nothing more
    }
}
