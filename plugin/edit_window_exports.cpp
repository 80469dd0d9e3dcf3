// The export that opens the edit window; Windows only, as windows are.
#if defined(_WIN32)

#include "channels/globals.h"
#include "editwnd/win32/overlay_edit_wnd.h"
#include "plugin/exports.h"

FERRULE_API HWND FERRULE_CC CreateOverlayEditWnd(int id, HWND parent) {
    return avs::Entry([&]() -> HWND {
        if (!g_pMainChMgr) return nullptr;
        return editwnd::TheOverlayEditWnd().Open(*g_pMainChMgr, id, parent);
    });
}

#endif
