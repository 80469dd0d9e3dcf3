// Channel and item exports. Each is a safe no-op while there is no main manager
// (before "SetMainCh", or after the frame server released it).
#include "channels/globals.h"
#include "channels/main_ch_mgr.h"
#include "plugin/exports.h"
#include "plugin/host_channel.h"

FERRULE_API void FERRULE_CC InsertChannel(int channel) {
    return avs::Entry([&] {
        if (g_pMainChMgr) g_pMainChMgr->InsertChannel(channel + 1);
    });
}

FERRULE_API void FERRULE_CC RemoveChannel(int channel) {
    return avs::Entry([&] {
        if (g_pMainChMgr) g_pMainChMgr->RemoveChannel(InternalChannel(channel));
    });
}

FERRULE_API void FERRULE_CC SetChannelVisible(int channel, int visible) {
    return avs::Entry([&] {
        if (g_pMainChMgr) g_pMainChMgr->SetChannelVisible(InternalChannel(channel), visible);
    });
}

FERRULE_API void FERRULE_CC RemoveItem(int id, int channel) {
    return avs::Entry([&] {
        if (g_pMainChMgr) g_pMainChMgr->RemoveItem(id, InternalChannel(channel));
    });
}

FERRULE_API void FERRULE_CC ChangeItemChLevel(int id, int channel) {
    return avs::Entry([&] {
        if (g_pMainChMgr) g_pMainChMgr->ChangeItemChLevel(id, InternalChannel(channel));
    });
}

FERRULE_API void FERRULE_CC RemoveAllItems() {
    return avs::Entry([&] {
        if (g_pMainChMgr) g_pMainChMgr->RemoveAllItems();
    });
}

// No reference is added: a host that keeps the clip wraps it in a PClip of its own.
FERRULE_API IClip* FERRULE_CC GetMainClip() {
    return avs::Entry([&] {
     return g_pMainChMgr; 
    });
}
