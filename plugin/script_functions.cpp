// The plugin's script functions, registered from one table.
#include "plugin/script_functions.h"

#include <new>

#include "avs/avisynth.h"
#include "channels/globals.h"
#include "channels/main_ch_mgr.h"
#include "channels/sub_title_ch.h"
#include "plugin/item_kinds.h"

namespace {

enum ChannelArgs { kClip = 0, kChannel = 1 };

// Construction errors free the half-built manager and leave the published pointer as it was.
CMainChMgr* NewManager(const AVSValue& args, IScriptEnvironment* env) {
    return new (std::nothrow) CMainChMgr(args[kClip].AsClip(), env, AllItemKinds());
}

AVSValue CreateSetMainCh(const AVSValue& args, void*, IScriptEnvironment* env) {
    g_pMainChMgr = NewManager(args, env);
    return g_pMainChMgr ? AVSValue(static_cast<IClip*>(g_pMainChMgr)) : AVSValue();
}

AVSValue CreateSetPreviewCh(const AVSValue& args, void*, IScriptEnvironment* env) {
    g_pPreviewChMgr = NewManager(args, env);
    return g_pPreviewChMgr ? AVSValue(static_cast<IClip*>(g_pPreviewChMgr)) : AVSValue();
}

// Returns its clip untouched, so it can stand anywhere in a chain.
AVSValue CreateSetTempCh(const AVSValue& args, void*, IScriptEnvironment* env) {
    g_pScriptEnv = env;
    return args[kClip];
}

AVSValue CreateSetSubTitleCh(const AVSValue& args, void*, IScriptEnvironment*) {
    IClip* clip = new (std::nothrow) CSubTitleCh(args[kClip].AsClip(), args[kChannel].AsInt());
    return clip ? AVSValue(clip) : AVSValue();
}

struct ScriptFunction {
    const char* name;
    const char* params;
    IScriptEnvironment::ApplyFunc create;
};

const ScriptFunction kScriptFunctions[] = {
    {"SetMainCh", "c", ApplyAdapter<CreateSetMainCh>},
    {"SetTempCh", "c", ApplyAdapter<CreateSetTempCh>},
    {"SetPreviewCh", "c", ApplyAdapter<CreateSetPreviewCh>},
    {"SetSubTitleCh", "ci", ApplyAdapter<CreateSetSubTitleCh>},
};

}  // namespace

void RegisterScriptFunctions(IScriptEnvironment* env) {
    for (const ScriptFunction& f : kScriptFunctions) env->AddFunction(f.name, f.params, f.create, nullptr);
}
