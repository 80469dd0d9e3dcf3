// The extension-library module record the library keeps from load to unload.
#pragma once

struct AFX_EXTENSION_MODULE {
    bool bInitialized = false;
    void* hModule = nullptr;    // this library's module
    void* hResource = nullptr;  // where its resources are found
};

// Fails for a missing module handle, which makes the library refuse to load.
bool AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, void* module);
void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state);
