#include "framework/extension_module.h"

bool AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, void* module) {
    if (!module) return false;
    state.hModule = module;
    state.hResource = module;  // resources live in the library itself
    state.bInitialized = true;
    return true;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state) { state = AFX_EXTENSION_MODULE{}; }
