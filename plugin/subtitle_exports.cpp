// Exports for subtitles: an item on a channel, or a stand-alone clip for the host.
#include "channels/globals.h"
#include "channels/main_ch_mgr.h"
#include "items/subtitle_item.h"
#include "plugin/exports.h"
#include "plugin/host_channel.h"

FERRULE_API void FERRULE_CC AddSubtitleFile(const SubtitleInfo* info, int channel, int insert) {
    return avs::Entry([&] {
        if (!g_pMainChMgr || !info) return;
        const int k = InternalChannel(channel);
        // The frame server's errors leave through here, before anything is placed.
        auto item = MakeSubtitleItem(*info, k, g_pMainChMgr->Environment());
        g_pMainChMgr->AddItem(k, insert != 0, std::move(item));
    });
}

FERRULE_API int FERRULE_CC ImportSubtitleFile(const char* path, int width, int height, PClip* clip) {
    return avs::Entry([&] {
        if (!g_pScriptEnv || !path || !clip) return 0;
        IScriptEnvironment* env = g_pScriptEnv;
        const AVSValue args[2] = {BlankSubtitleBase(env, width, height, "RGB32"), path};
        const AVSValue result = env->Invoke(SubtitleRendererFor(path), AVSValue(args, 2));
        if (!result.IsClip()) return 0;
        *clip = result.AsClip();
        return 1;
    });
}
