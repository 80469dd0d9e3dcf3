// Everything the library shares with its loader programs: the lock every exchange
// runs under, the shared frame area, the connections to loaders that took a clip, and
// the number the next loader is started with.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "avs/avisynth.h"
#include "loader/loader_block.h"
#include "platform/lock.h"
#include "platform/loader_pipe.h"
#include "platform/shared_area.h"

struct LoaderChannelOptions {
    // Names the area and, with a loader's number, its pipe.
    std::string name = kLoaderChannelName;
    // Starts loader `number` for the channel `name`; false when it cannot be run.
    std::function<bool(const std::string& name, int number)> start;
    int connect_attempts = 60;
    int connect_interval_ms = 500;
    // How long one transfer to or from a loader may take before the loader counts as
    // gone. Ten seconds leaves room for a slow first open of a large file.
    int reply_timeout_ms = 10000;
    std::function<void(const char*)> debug;    // default: platform::DebugOutput
    std::function<void(const char*)> message;  // default: platform::ShowMessage
};

// Starts the loader program beside the host executable.
LoaderChannelOptions ProductLoaderOptions();

class LoaderChannel {
public:
    // Null when the area cannot be made.
    static std::unique_ptr<LoaderChannel> Create(LoaderChannelOptions options);
    // Disconnects and closes every connection, then releases the area.
    ~LoaderChannel();
    LoaderChannel(const LoaderChannel&) = delete;
    LoaderChannel& operator=(const LoaderChannel&) = delete;

    // A clip of the file through the first loader that takes it, starting a new loader
    // when none did; null when there is none. env makes the clip's frame.
    PClip Open(const char* path, IScriptEnvironment* env);

    // For the clips: hold the lock around Exchange and reading the area.
    std::unique_lock<platform::Lock> Hold() { return std::unique_lock<platform::Lock>(lock_); }
    // Writes the block and reads the reply into it; false on any failure.
    bool Exchange(platform::PipeEnd& pipe, LoaderBlock& block);
    const uint8_t* Area() const { return area_->data(); }
    size_t AreaSize() const { return area_->size(); }

    size_t Connections() {
        auto hold = Hold();
        return connections_.size();
    }
    int LaunchCounter() {
        auto hold = Hold();
        return launch_counter_;
    }

private:
    LoaderChannel(LoaderChannelOptions options, std::unique_ptr<platform::SharedArea> area);
    std::unique_ptr<platform::PipeEnd> ConnectTo(const std::string& pipe_name);
    PClip ClipFromReply(const LoaderBlock& reply, platform::PipeEnd& pipe, IScriptEnvironment* env);

    LoaderChannelOptions options_;
    platform::Lock lock_;
    std::unique_ptr<platform::SharedArea> area_;
    std::vector<std::unique_ptr<platform::PipeEnd>> connections_;
    int32_t launch_counter_ = 0;
};
