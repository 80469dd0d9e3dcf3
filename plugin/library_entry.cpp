// Library entry and exit: DllMain on Windows, load and unload hooks elsewhere.
#include "plugin/library_entry.h"

#include "loader/process_loader.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

AFX_EXTENSION_MODULE g_extensionModule;

bool LibraryAttach(void* module) {
    if (!AfxInitExtensionModule(g_extensionModule, module)) return false;
    OpenProcessLoaderChannel();
    return true;
}

void LibraryDetach() {
    CloseProcessLoaderChannel();
    AfxTermExtensionModule(g_extensionModule);
}

#if defined(_WIN32)

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    switch (reason) {
        case DLL_PROCESS_ATTACH: return LibraryAttach(instance) ? TRUE : FALSE;
        case DLL_PROCESS_DETACH: LibraryDetach(); break;
        default: break;  // thread attach and detach do nothing
    }
    return TRUE;
}

#else

namespace {

// The module is whatever object holds this function: the shared library when loaded
// as a plugin, the program itself when linked in statically.
__attribute__((constructor)) void OnLoad() {
    Dl_info info{};
    void* module = dladdr(reinterpret_cast<void*>(&OnLoad), &info) ? info.dli_fbase : nullptr;
    LibraryAttach(module);
}

__attribute__((destructor)) void OnUnload() { LibraryDetach(); }

}  // namespace

#endif
