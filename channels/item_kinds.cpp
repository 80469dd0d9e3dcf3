// The one place that knows every item kind: drawing, audio and payload release are
// dispatched here on the kind tag.
#include "channels/globals.h"
#include "channels/main_ch_mgr.h"
#include "items/slide_item.h"
#include "overlay/overlay_item.h"
#include "items/title_item.h"

void CMainChMgr::DrawItem(ItemRecord& item, int n, uint8_t* canvas, int size) {
    switch (item.kind) {
        case kItemOverlay:
            // Overlay clips are read through the environment the script ran in.
            DrawOverlayItem(*static_cast<COverlayItem*>(item.payload), n, g_pScriptEnv ? g_pScriptEnv : env_, canvas,
                            size, vi.width, vi.height);
            break;
        case kItemSlide: DrawSlideItem(item, n, canvas, size, vi.width, vi.height); break;
        case kItemTitle: DrawTitleItem(item, n, canvas, size, vi.width, vi.height); break;
        default: break;  // a record of any other kind is skipped
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
        default: break;  // a record of any other kind owns nothing more
    }
}
