// Process-wide state set up by the script functions and the exports, and read by
// composition. None of these pointers owns its object: the frame server's clip graph
// owns the managers.
#pragma once

#include <cstdint>

class CMainChMgr;
class IScriptEnvironment;

extern CMainChMgr* g_pMainChMgr;
extern CMainChMgr* g_pPreviewChMgr;
extern IScriptEnvironment* g_pScriptEnv;

// Nonzero samples nearest-neighbour (and draws rectangles without smoothing), 0
// bilinear (and bicubic). Starts at 1; set by the host through SetQuickWarp.
extern int32_t g_quick_warp;
