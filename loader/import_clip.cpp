#include "loader/import_clip.h"

#include "loader/loader_channel.h"

bool ImportsThroughLoader(const platform::ProcessMemoryCounters& counters) {
    return counters.working_set >= kInProcessImportLimit || counters.pagefile_usage >= kInProcessImportLimit;
}

int ImportClipWith(const char* path, PClip* clip_out, IScriptEnvironment* env, LoaderChannel* channel,
                   const platform::ProcessMemoryCounters& counters) {
    if (!env || !clip_out) return 0;
    if (!ImportsThroughLoader(counters)) {
        const AVSValue result = env->Invoke("Import", AVSValue(path));
        if (!result.IsClip()) return 0;
        *clip_out = result.AsClip();
        return 1;
    }
    if (!channel) return 0;
    PClip clip = channel->Open(path, env);
    if (!clip) return 0;
    *clip_out = std::move(clip);
    return 1;
}
