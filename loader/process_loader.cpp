#include "loader/process_loader.h"

#include "loader/loader_channel.h"

namespace {

// A plain pointer: detach may run after static destructors, and must find it as
// attach left it.
LoaderChannel* g_channel = nullptr;

}  // namespace

void OpenProcessLoaderChannel() {
    CloseProcessLoaderChannel();
    g_channel = LoaderChannel::Create(ProductLoaderOptions()).release();
}

void CloseProcessLoaderChannel() {
    delete g_channel;
    g_channel = nullptr;
}

LoaderChannel* ProcessLoaderChannel() { return g_channel; }
