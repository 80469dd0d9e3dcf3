#pragma once

#include "framework/extension_module.h"

// Process attach and detach of the library; attach fails without a module.
bool LibraryAttach(void* module);
void LibraryDetach();

extern AFX_EXTENSION_MODULE g_extensionModule;
