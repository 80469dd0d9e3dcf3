// The scenarios' reference: the same sessions driven natively through libferrule.so,
// loaded by "LoadPlugin" and reached by its exported names. Prints every line on
// stdout; a failed check goes to stderr and fails the run.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <new>

#include "tests/host32/scenarios.h"

int main(int argc, char** argv) {
    int passed = 0, failed = 0;
    scenario::Host host;
    host.new_server = [] {
        IScriptEnvironment* env = CreateScriptEnvironment(AVISYNTH_INTERFACE_VERSION);
        env->Invoke("LoadPlugin", AVSValue(FERRULE_PLUGIN_PATH));
        return env;
    };
    host.delete_server = [](IScriptEnvironment* env) { env->DeletingDestructor(1); };
    host.find_export = [](const char* name) {
        void* lib = dlopen(FERRULE_PLUGIN_PATH, RTLD_NOW | RTLD_NOLOAD);
        void* symbol = lib ? dlsym(lib, name) : nullptr;
        if (lib) dlclose(lib);
        return symbol;
    };
    host.free_buffer = [](void* p) { ::operator delete(p); };  // the library's runtime, ours here
    host.line = [](const std::string& text) { std::printf("%s\n", text.c_str()); };
    host.check = [&](bool ok, const std::string& what) {
        ++(ok ? passed : failed);
        if (!ok) std::fprintf(stderr, "FAILED: %s\n", what.c_str());
        return ok;
    };
    for (const std::string& name : scenario::Names())
        if (argc < 2 || name == argv[1]) scenario::RunScenario(name, host);
    std::fprintf(stderr, "native scenarios: passed %d, failed %d\n", passed, failed);
    return failed ? 1 : 0;
}
