// The host imports its media files through this library, which keeps large files out
// of the host's own address space once that has grown.
#include "channels/globals.h"
#include "loader/import_clip.h"
#include "loader/process_loader.h"
#include "plugin/exports.h"

// Without a recorded environment there is nothing to import into: 0, nothing done.
FERRULE_API int FERRULE_CC ImportClip(const char* path, PClip* clip_out) {
    return avs::Entry([&] {
        if (!g_pScriptEnv) return 0;
        platform::ProcessMemoryCounters counters;
        platform::ReadProcessMemoryCounters(counters);  // unknown counts as small
        return ImportClipWith(path, clip_out, g_pScriptEnv, ProcessLoaderChannel(), counters);
    });
}
