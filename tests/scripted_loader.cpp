#include "tests/scripted_loader.h"

#include <chrono>
#include <cstring>
#include <memory>
#include <random>

#include "loader/loader_block.h"
#include "platform/loader_pipe.h"
#include "platform/shared_area.h"

namespace test {

std::string UniqueLoaderName(const std::string& tag) {
    static std::mt19937 rng{std::random_device{}()};
    return std::string(kLoaderChannelName) + "-" + tag + std::to_string(rng() % 1000000000u);
}

VideoInfo ScriptedFormat() {
    VideoInfo vi{};
    vi.width = 8, vi.height = 4, vi.fps_numerator = 25, vi.fps_denominator = 1, vi.num_frames = 10;
    vi.pixel_type = VideoInfo::CS_BGR24;
    vi.audio_samples_per_second = 48000, vi.sample_type = SAMPLE_INT16, vi.nchannels = 2;
    vi.num_audio_samples = 19200;
    return vi;
}

ScriptedLoaders::~ScriptedLoaders() {
    for (std::thread& t : threads_) t.join();
}

std::vector<ScriptedLoaders::Received> ScriptedLoaders::Log() {
    std::lock_guard<std::mutex> hold(mutex_);
    return log_;
}

std::vector<int> ScriptedLoaders::Started() {
    std::lock_guard<std::mutex> hold(mutex_);
    return started_;
}

void ScriptedLoaders::Record(int number, const uint8_t* bytes) {
    Received r{number, {}};
    std::memcpy(r.bytes.data(), bytes, r.bytes.size());
    std::lock_guard<std::mutex> hold(mutex_);
    log_.push_back(r);
}

bool ScriptedLoaders::TakeFault(int number, uint32_t command, std::pair<Fault, int>& fault) {
    std::lock_guard<std::mutex> hold(mutex_);
    const auto it = faults_.find({number, command});
    if (it == faults_.end()) return false;
    fault = it->second;
    faults_.erase(it);
    return true;
}

bool ScriptedLoaders::Start(const std::string& name, int number) {
    if (name != name_) return false;
    const Launch launch = plan_.count(number) ? plan_[number] : Launch::kServe;
    {
        std::lock_guard<std::mutex> hold(mutex_);
        started_.push_back(number);
    }
    if (launch == Launch::kRefuse) return false;
    if (launch != Launch::kServe) return true;
    // Listening before the start returns, so the first connection attempt finds it.
    std::shared_ptr<platform::PipeListener> listener =
        platform::PipeListener::Create(platform::LoaderPipeName(name_, number));
    if (!listener) return false;
    threads_.emplace_back([this, number, listener] { Serve(number, *listener); });
    return true;
}

void ScriptedLoaders::Serve(int number, platform::PipeListener& listener) {
    auto pipe = listener.Accept(10000);
    auto area = platform::SharedArea::Open(name_, kLoaderAreaSize);
    if (!pipe || !area) return;
    int32_t next_id = 40;
    LoaderBlock b;
    while (pipe->Read(b.bytes, sizeof b, -1)) {
        Record(number, b.bytes);
        std::pair<Fault, int> fault;
        if (TakeFault(number, b.open.command, fault)) {
            if (fault.first == Fault::kDie) return;
            if (fault.first == Fault::kSilent) {
                while (pipe->Read(b.bytes, sizeof b, -1)) Record(number, b.bytes);  // until the library lets go
                return;
            }
            if (fault.first == Fault::kShort) {
                std::memset(&b, 0, sizeof b);
                b.reply.status = 1;
                pipe->Write(b.bytes, 50, 1000);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(fault.second));
        }
        const LoaderBlock request = b;
        std::memset(&b, 0, sizeof b);
        switch (request.open.command) {
            case kLoaderOpen: {
                const std::string path = request.open.path;
                const auto answer = answers_.find({number, path});
                b.open_reply.status = answer == answers_.end() ? 1 : answer->second;
                if (b.open_reply.status != 1) break;
                b.open_reply.remote_id = next_id++;
                b.open_reply.vi = ScriptedFormat();
                if (path == "big") {
                    b.open_reply.vi.width = 4096, b.open_reply.vi.height = 1024;
                    b.open_reply.vi.pixel_type = VideoInfo::CS_BGR32;
                }
                if (path == "audio-only") b.open_reply.vi.width = b.open_reply.vi.height = 0;
                if (path == "garbage") b.open_reply.vi.width = -7;
                break;
            }
            case kLoaderFrame: {
                for (size_t i = 0; i < 4096; ++i) area->data()[i] = FrameByte(request.frame.frame, i);
                b.reply.status = 1;
                break;
            }
            case kLoaderAudio: {
                const int64_t bytes = request.audio.count * 4;
                if (bytes < 0 || bytes > static_cast<int64_t>(area->size())) break;
                for (int64_t i = 0; i < bytes; ++i) area->data()[i] = AudioByte(request.audio.start * 4 + i);
                b.reply.status = 1;
                break;
            }
            case kLoaderClose: b.reply.status = 1; break;
            default: break;
        }
        if (!pipe->Write(b.bytes, sizeof b, 1000)) return;
    }
}

}  // namespace test
