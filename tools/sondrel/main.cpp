// The loader program: sondrel <channel name> <number>. Serves the clips one library
// asks for over one connection, and ends when that connection closes.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "avs/avisynth.h"
#include "loader/loader_block.h"
#include "platform/loader_pipe.h"
#include "platform/shared_area.h"
#include "tools/sondrel/loader_server.h"

namespace {

// The library connects within its 60 attempts of half a second; waiting twice that
// long keeps a loader whose library went away from lingering for ever.
constexpr int kAcceptTimeoutMs = 60000;

struct EnvDeleter {
    void operator()(IScriptEnvironment* env) const { env->DeletingDestructor(1); }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: sondrel <channel name> <number>\n");
        return 2;
    }
    const std::string name = argv[1];
    const int number = std::atoi(argv[2]);
    auto listener = platform::PipeListener::Create(platform::LoaderPipeName(name, number));
    if (!listener) return 1;
    auto pipe = listener->Accept(kAcceptTimeoutMs);
    if (!pipe) return 1;
    auto area = platform::SharedArea::Open(name, kLoaderAreaSize);
    if (!area) return 1;
    std::unique_ptr<IScriptEnvironment, EnvDeleter> env(CreateScriptEnvironment(AVISYNTH_INTERFACE_VERSION));
    {
        LoaderServer server(env.get(), area->data(), area->size());
        server.Serve(*pipe);
    }  // the clips go before their environment
    return 0;
}
