// Exports that place overlay clips, change their effect and fill the preview.
#include "channels/globals.h"
#include "channels/main_ch_mgr.h"
#include "overlay/overlay_item.h"
#include "plugin/exports.h"
#include "plugin/host_channel.h"

// Without a main manager or a script environment there is nothing to build on: a no-op.
FERRULE_API void FERRULE_CC AddOverlay(const OverlayClipInfo* info, const OverlayEffect* effect, int channel,
                                       int insert) {
    return avs::Entry([&] {
        if (g_pMainChMgr && g_pScriptEnv)
            AddOverlayItem(*g_pMainChMgr, *info, *effect, InternalChannel(channel), insert != 0, g_pScriptEnv);
    });
}

FERRULE_API void FERRULE_CC SetOverlayEffect(int id, const OverlayEffect* effect) {
    return avs::Entry([&] {
        if (g_pMainChMgr) SetOverlayItemEffect(*g_pMainChMgr, id, *effect);
    });
}

// A script that never called "SetPreviewCh" has no preview to fill: nothing happens,
// and the call still answers 1 as it always does.
FERRULE_API int FERRULE_CC SetPreviewClip(const PClip* clip, const OverlayEffect* effect) {
    return avs::Entry([&] {
        if (g_pPreviewChMgr && g_pScriptEnv) SetPreviewOverlay(*g_pPreviewChMgr, *clip, *effect, g_pScriptEnv);
        return 1;
    });
}

// A plain store: a frame being composed may still see the old value.
FERRULE_API int FERRULE_CC SetQuickWarp(int quick) {
    return avs::Entry([&] {
        g_quick_warp = quick;
        return quick;
    });
}
