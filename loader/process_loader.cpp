#include "loader/process_loader.h"

#include <memory>

#include "loader/loader_channel.h"

namespace {

std::unique_ptr<LoaderChannel> g_channel;

}  // namespace

void OpenProcessLoaderChannel() { g_channel = LoaderChannel::Create(ProductLoaderOptions()); }

void CloseProcessLoaderChannel() { g_channel.reset(); }

LoaderChannel* ProcessLoaderChannel() { return g_channel.get(); }
