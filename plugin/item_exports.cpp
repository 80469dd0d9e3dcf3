// Exports that place title, slide and image items, and refresh the slides' snapshots. Each
// is a safe no-op while there is no main manager.
#include "channels/globals.h"
#include "channels/main_ch_mgr.h"
#include "items/image_item.h"
#include "items/slide_item.h"
#include "items/title_item.h"
#include "plugin/exports.h"
#include "plugin/host_channel.h"

FERRULE_API void FERRULE_CC AddTitleEff(const TitleEffect* effect, int channel, int insert) {
    return avs::Entry([&] {
        if (g_pMainChMgr) g_pMainChMgr->AddItem(InternalChannel(channel), insert != 0, MakeTitleItem(*effect));
    });
}

FERRULE_API void FERRULE_CC AddSlideEff(const SlideEffect* effect, int channel, int insert) {
    return avs::Entry([&] {
        if (g_pMainChMgr) g_pMainChMgr->AddItem(InternalChannel(channel), insert != 0, MakeSlideItem(*effect));
    });
}

FERRULE_API void FERRULE_CC AddImageEff(const ImageEffect* effect, int channel, int insert) {
    return avs::Entry([&] {
        if (g_pMainChMgr) g_pMainChMgr->AddItem(InternalChannel(channel), insert != 0, MakeImageItem(*effect));
    });
}

FERRULE_API void FERRULE_CC UpdateSlideEffsData() {
    return avs::Entry([&] {
        if (g_pMainChMgr) UpdateSlideSnapshots(*g_pMainChMgr);
    });
}
