// The library's one loader channel, under the product's name, from attach to detach.
#pragma once

class LoaderChannel;

void OpenProcessLoaderChannel();
// Every clip imported through it must be gone by then.
void CloseProcessLoaderChannel();
// Null outside attach and detach.
LoaderChannel* ProcessLoaderChannel();
