// Process-wide state set up by the script functions and read by the exports and by
// composition. None of these pointers owns its object: the frame server's clip graph
// owns the managers.
#pragma once

class CMainChMgr;
class IScriptEnvironment;

extern CMainChMgr* g_pMainChMgr;
extern CMainChMgr* g_pPreviewChMgr;
extern IScriptEnvironment* g_pScriptEnv;
