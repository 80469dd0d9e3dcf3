#include "channels/globals.h"

CMainChMgr* g_pMainChMgr = nullptr;
CMainChMgr* g_pPreviewChMgr = nullptr;
IScriptEnvironment* g_pScriptEnv = nullptr;
