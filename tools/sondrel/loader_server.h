// The loader program's side of the protocol: clips opened with the frame server's
// Import, served one request at a time over one connection.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>

#include "avs/avisynth.h"
#include "loader/loader_block.h"

namespace platform {
class PipeEnd;
}

class LoaderServer {
public:
    LoaderServer(IScriptEnvironment* env, uint8_t* area, size_t area_size)
        : env_(env), area_(area), area_size_(area_size) {}

    // Answers requests until the connection closes.
    void Serve(platform::PipeEnd& pipe);
    // One request in, its reply in the same block.
    void Answer(LoaderBlock& block);

private:
    int32_t Open(LoaderBlock& block);
    int32_t Frame(const PClip& clip, int n);
    int32_t Audio(const PClip& clip, int64_t start, int64_t count);

    IScriptEnvironment* env_;
    uint8_t* area_;
    size_t area_size_;
    std::map<int32_t, PClip> clips_;
    int32_t next_id_ = 1;
};
