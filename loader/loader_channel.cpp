#include "loader/loader_channel.h"

#include <algorithm>
#include <cstring>

#include "avs/frame_layout.h"
#include "loader/loader_clip.h"
#include "platform/debug_output.h"
#include "platform/message_box.h"
#include "platform/process_start.h"
#include "platform/sleep.h"

namespace {

void BuildOpen(LoaderBlock& block, const char* path) {
    std::memset(&block, 0, sizeof block);
    block.open.command = kLoaderOpen;
    std::memcpy(block.open.path, path, std::strlen(path) + 1);
}

// Far beyond any real layout, and small enough that one sample of the widest type
// fits the area thousands of times: every staged audio block holds at least one sample.
constexpr int kMostAudioChannels = 1024;
static_assert(size_t{kMostAudioChannels} * 4 * 1024 <= kLoaderAreaSize);

// A format no honest loader reports: the clip would make us allocate or copy nonsense.
bool Plausible(const VideoInfo& vi) {
    if (vi.width < 0 || vi.height < 0 || vi.nchannels < 0 || vi.nchannels > kMostAudioChannels) return false;
    if (!vi.HasVideo()) return true;
    return vi.BitsPerPixel() != 0 && LayOutFrame(vi, FRAME_ALIGN).valid;
}

}  // namespace

LoaderChannelOptions ProductLoaderOptions() {
    LoaderChannelOptions options;
    options.name = platform::ProcessChannelName(kLoaderChannelName);
    const std::string folder = platform::ExecutableFolder();
    auto starter = std::make_shared<platform::ProgramStarter>(folder + platform::kLoaderProgramName, folder);
    options.start = [starter](const std::string& name, int number) { return starter->Start(name, number); };
    return options;
}

std::unique_ptr<LoaderChannel> LoaderChannel::Create(LoaderChannelOptions options) {
    if (!options.debug) options.debug = platform::DebugOutput;
    if (!options.message) options.message = platform::ShowMessage;
    if (!options.start) options.start = [](const std::string&, int) { return false; };
    return std::unique_ptr<LoaderChannel>(new LoaderChannel(std::move(options)));
}

LoaderChannel::LoaderChannel(LoaderChannelOptions options) : options_(std::move(options)) {}

LoaderChannel::~LoaderChannel() {
    connections_.clear();  // each end disconnects and closes itself
    area_.reset();
    options_.start = nullptr;  // last: a program starter reaps its children as it goes
}

// The blocks carry no request identity, but one request is in flight at a time: what
// waits before a request goes out was never asked for and is dropped, so it is never
// taken for this request's reply and no later answer stays shifted.
bool LoaderChannel::Exchange(platform::PipeEnd& pipe, LoaderBlock& block, int limit_ms) {
    for (size_t waiting = pipe.Waiting(); waiting > 0; waiting -= std::min(waiting, sizeof block)) {
        LoaderBlock unasked;
        if (!pipe.Read(unasked.bytes, sizeof unasked, limit_ms)) return false;
    }
    return pipe.Write(block.bytes, sizeof block, limit_ms) && pipe.Read(block.bytes, sizeof block, limit_ms);
}

std::unique_ptr<platform::PipeEnd> LoaderChannel::ConnectTo(const std::string& pipe_name) {
    for (int attempt = 0; attempt < options_.connect_attempts; ++attempt) {
        options_.debug("test3\n");
        if (auto pipe = platform::PipeEnd::Connect(pipe_name)) return pipe;
        platform::SleepMilliseconds(options_.connect_interval_ms);
    }
    return nullptr;
}

// An opened reply: the remote clip if take accepts its format; else the loader is told
// to close what it opened.
bool LoaderChannel::Take(const LoaderBlock& reply, platform::PipeEnd& pipe,
                         const std::function<bool(const VideoInfo&)>& take, Remote& remote) {
    const VideoInfo vi = reply.open_reply.vi;
    const int32_t id = reply.open_reply.remote_id;
    if (take(vi)) {
        remote = Remote{&pipe, id, vi};
        return true;
    }
    LoaderBlock close{};
    close.close.command = kLoaderClose;
    close.close.remote_id = id;
    Exchange(pipe, close);
    return false;
}

// Under the lock: asks the running loaders in turn, then a new one.
bool LoaderChannel::OpenRemote(const char* path, const std::function<bool(const VideoInfo&)>& take, Remote& remote) {
    options_.debug("test1\n");
    LoaderBlock block;
    int32_t decision = kLoaderNotTaken;
    for (const auto& connection : connections_) {
        options_.debug("test2\n");
        BuildOpen(block, path);
        if (!Exchange(*connection, block, options_.open_limit_ms)) continue;
        decision = block.reply.status;
        if (decision == kLoaderOpened) return Take(block, *connection, take, remote);
        if (decision == kLoaderCannotOpen) return false;
    }
    if (decision != kLoaderNotTaken) return false;
    // The area exists from the first loader on, and its name only until the new loader
    // has answered, by which time it holds the area.
    if (!area_) area_ = platform::SharedArea::Create(options_.name, kLoaderAreaSize);
    if (!area_ || !area_->Publish()) return false;
    struct Unpublish {
        platform::SharedArea& area;
        ~Unpublish() { area.Unpublish(); }
    } unpublish{*area_};
    BuildOpen(block, path);
    const int32_t number = launch_counter_++;
    if (!options_.start(options_.name, number)) {
        options_.message("can't run Sondrel.exe");
        return false;
    }
    auto pipe = ConnectTo(platform::LoaderPipeName(options_.name, number));
    if (!pipe) return false;
    connections_.reserve(connections_.size() + 1);
    if (!Exchange(*pipe, block, options_.open_limit_ms) || block.reply.status != kLoaderOpened ||
        !Take(block, *pipe, take, remote))
        return false;  // a loader that took nothing is disconnected as its end goes
    connections_.push_back(std::move(pipe));
    return true;
}

PClip LoaderChannel::Open(const char* path, IScriptEnvironment* env) {
    // The path travels with its zero byte in 108 bytes; a longer one is never cut short.
    if (!path || std::strlen(path) >= kLoaderPathBytes) return PClip();
    PClip clip;  // outlives the lock: dropping a clip takes the lock itself
    {
        auto hold = Hold();
        const auto usable = [env](const VideoInfo& vi) { return Plausible(vi) && (env || !vi.HasVideo()); };
        Remote remote;
        if (OpenRemote(path, usable, remote)) clip = new CLoaderClip(*this, path, remote, env);
    }
    options_.debug("test4\n");
    return clip;
}

bool LoaderChannel::Reopen(const char* path, const VideoInfo& vi, Remote& remote) {
    const auto same = [&vi](const VideoInfo& got) { return std::memcmp(&got, &vi, sizeof vi) == 0; };
    const bool opened = OpenRemote(path, same, remote);
    options_.debug("test4\n");
    return opened;
}
