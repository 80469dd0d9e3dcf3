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
    // The guard against a hung loader: how long an open, and any other request, may
    // wait for its reply before the loader counts as gone. Far beyond any honest
    // answer (an open may index a large file first), so slow loaders are only waited
    // for; the connection to a loader that went is dropped, and each of its clips
    // opens its file again on a fresh loader at its next request. The product keeps
    // these; tests lower them to meet a hung loader in a fraction of a second.
    int open_limit_ms = 120000;
    int reply_limit_ms = 60000;
    std::function<void(const char*)> debug;    // default: platform::DebugOutput
    std::function<void(const char*)> message;  // default: platform::ShowMessage
};

// Starts the loader program beside the host executable.
LoaderChannelOptions ProductLoaderOptions();

class LoaderChannel {
public:
    // The shared area is made when the first loader starts.
    static std::unique_ptr<LoaderChannel> Create(LoaderChannelOptions options);
    // Disconnects and closes every connection, then releases the area.
    ~LoaderChannel();
    LoaderChannel(const LoaderChannel&) = delete;
    LoaderChannel& operator=(const LoaderChannel&) = delete;

    // A clip of the file through the first loader that takes it, starting a new loader
    // when none did; null when there is none. env makes the clip's frame.
    PClip Open(const char* path, IScriptEnvironment* env);

    // A clip as a loader holds it: the connection, the loader's id for it, its format.
    struct Remote {
        platform::PipeEnd* pipe = nullptr;
        int32_t id = 0;
        VideoInfo vi{};
    };
    // For a clip whose connection failed, under the lock: opens the file again as Open
    // does; true when a loader took it with the same format.
    bool Reopen(const char* path, const VideoInfo& vi, Remote& remote);

    // For the clips: hold the lock around Exchange and reading the area.
    std::unique_lock<platform::Lock> Hold() { return std::unique_lock<platform::Lock>(lock_); }
    // Writes the block and reads the reply into it within the reply limit; false on any
    // failure, after which the connection refuses every further request.
    bool Exchange(platform::PipeEnd& pipe, LoaderBlock& block) {
        return Exchange(pipe, block, options_.reply_limit_ms);
    }
    // Only clips ask, and a clip comes from a loader, which came with the area.
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
    explicit LoaderChannel(LoaderChannelOptions options);
    bool Exchange(platform::PipeEnd& pipe, LoaderBlock& block, int limit_ms);
    std::unique_ptr<platform::PipeEnd> ConnectTo(const std::string& pipe_name);
    bool OpenRemote(const char* path, const std::function<bool(const VideoInfo&)>& take, Remote& remote);
    bool Take(const LoaderBlock& reply, platform::PipeEnd& pipe, const std::function<bool(const VideoInfo&)>& take,
              Remote& remote);

    LoaderChannelOptions options_;
    platform::Lock lock_;
    std::unique_ptr<platform::SharedArea> area_;
    std::vector<std::unique_ptr<platform::PipeEnd>> connections_;
    int32_t launch_counter_ = 0;
};
