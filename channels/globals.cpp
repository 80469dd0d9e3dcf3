#include "channels/globals.h"

CMainChMgr* g_pMainChMgr = nullptr;
CMainChMgr* g_pPreviewChMgr = nullptr;
IScriptEnvironment* g_pScriptEnv = nullptr;
int32_t g_quick_warp = 1;
