// Exports that hand the host pictures as buffers it owns and releases with operator
// delete. Without the state they read (no main manager, no recorded environment)
// they hand out no buffer: *buffer is set to null and nothing else is written.
#include "channels/globals.h"
#include "channels/host_frames.h"
#include "channels/main_ch_mgr.h"
#include "plugin/exports.h"

FERRULE_API void FERRULE_CC GetFrame(int n, int excluded_id, uint8_t** buffer, int32_t* size, int32_t* width,
                                     int32_t* height) {
    return avs::Entry([&] {
        *buffer = nullptr;
        if (g_pMainChMgr) ComposeForHost(*g_pMainChMgr, n, excluded_id, buffer, size, width, height);
    });
}

FERRULE_API void FERRULE_CC GetFrameByID(int n, int id, uint8_t** buffer, int32_t* size, int32_t* width,
                                         int32_t* height, int32_t* bits_per_pixel) {
    return avs::Entry([&] {
        *buffer = nullptr;
        if (!g_pMainChMgr) return;
        HostPicture picture;
        if (!ItemPictureForHost(*g_pMainChMgr, n, id, picture)) return;
        *buffer = picture.buffer;
        *size = picture.size;
        *width = picture.width;
        *height = picture.height;
        *bits_per_pixel = picture.bits_per_pixel;
    });
}

FERRULE_API int FERRULE_CC GetClipFrame(const PClip* clip, int n, uint8_t** buffer, int32_t* size) {
    return avs::Entry([&] {
        *buffer = nullptr;
        if (!g_pScriptEnv || !clip || !*clip) return 0;
        ClipFrameForHost(*clip, n, g_pScriptEnv, buffer, size);
        return 1;
    });
}
