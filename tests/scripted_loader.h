// Loader programs played by threads of the test program: each serves the protocol on
// its own pipe and the shared area as the test scripts it, and logs every block it
// receives. What a clip does is chosen by its path:
//   "big"         a 4096 x 1024 RGB32 clip, larger than the area
//   "audio-only"  no video
//   anything else 8 x 4 RGB24 with 16-bit stereo audio (ScriptedFormat)
// Faults are scripted per loader and command (Misbehave); a loader can also answer
// every open with a format of the test's (OpenAs) or send a reply nobody asked for
// (AnswerTwiceOnce).
// Frame n holds FrameByte(n, i) at byte i of the area, audio from sample s holds
// AudioByte(s * 4 + i).
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "loader/loader_block.h"
#include "platform/loader_pipe.h"
#include "platform/shared_area.h"
#include "tests/test_support.h"

namespace test {

inline uint8_t FrameByte(int n, size_t i) { return static_cast<uint8_t>(n * 37 + i * 3 + 1); }
inline uint8_t AudioByte(int64_t i) { return static_cast<uint8_t>(i * 5 + (i >> 8)); }

inline VideoInfo ScriptedFormat() { return WithAudio(Rgb24Info(8, 4, 10)); }

// Loader names are machine-wide (the area on POSIX, the pipes everywhere): one of the
// test's own, so that concurrent test programs never meet.
inline std::string UniqueLoaderName(const std::string& tag) {
    static std::mt19937 rng{std::random_device{}()};
    return std::string(kLoaderChannelName) + "-" + tag + std::to_string(rng() % 1000000000u);
}

class ScriptedLoaders {
public:
    enum class Launch { kServe, kRefuse, kNoPipe };
    // kSilent never answers again; kDie ends the loader.
    enum class Fault { kSilent, kDie };
    struct Received {
        int loader;
        std::array<uint8_t, 112> bytes;
    };

    explicit ScriptedLoaders(std::string name) : name_(std::move(name)) {}
    // Joins the loaders: the channel must be gone first, as its closing ends them.
    ~ScriptedLoaders() {
        for (std::thread& t : threads_) t.join();
    }

    // What starting loader `number` does; kServe unless told.
    void Plan(int number, Launch launch) { plan_[number] = launch; }
    // Loader `number` answers an open of `path` with `status` instead of 1.
    void Answer(int number, const std::string& path, int32_t status) { answers_[{number, path}] = status; }
    // Loader `number` meets its next request of `command` with fault.
    void Misbehave(int number, uint32_t command, Fault fault) {
        std::lock_guard<std::mutex> hold(mutex_);
        faults_[{number, command}] = fault;
    }

    // Set before the first loader starts.
    void OpenAs(const VideoInfo& vi) { open_as_ = vi; }
    // The first reply to `command` comes with one more behind it, in the same write.
    void AnswerTwiceOnce(uint32_t command) { unasked_after_ = command; }

    std::function<bool(const std::string&, int)> Launcher() {
        return [this](const std::string& name, int number) { return Start(name, number); };
    }
    std::vector<Received> Log() {
        std::lock_guard<std::mutex> hold(mutex_);
        return log_;
    }
    std::vector<int> Started() {  // numbers asked to start, in order
        std::lock_guard<std::mutex> hold(mutex_);
        return started_;
    }

private:
    bool Start(const std::string& name, int number) {
        if (name != name_) return false;
        const Launch launch = plan_.count(number) ? plan_[number] : Launch::kServe;
        {
            std::lock_guard<std::mutex> hold(mutex_);
            started_.push_back(number);
        }
        if (launch != Launch::kServe) return launch == Launch::kNoPipe;
        // Listening before the start returns, so the first connection attempt finds it.
        std::shared_ptr<platform::PipeListener> listener =
            platform::PipeListener::Create(platform::LoaderPipeName(name_, number));
        if (!listener) return false;
        threads_.emplace_back([this, number, listener] { Serve(number, *listener); });
        return true;
    }

    void Serve(int number, platform::PipeListener& listener) {
        auto pipe = listener.Accept(10000);
        auto area = platform::SharedArea::Open(name_, kLoaderAreaSize);
        if (!pipe || !area) return;
        int32_t next_id = 40;
        LoaderBlock b;
        while (pipe->Read(b.bytes, sizeof b, -1)) {
            Received r{number, {}};
            std::memcpy(r.bytes.data(), b.bytes, r.bytes.size());
            std::optional<Fault> fault;
            {
                std::lock_guard<std::mutex> hold(mutex_);
                log_.push_back(r);
                const auto it = faults_.find({number, b.open.command});
                if (it != faults_.end()) fault = it->second, faults_.erase(it);
            }
            if (fault == Fault::kDie) return;
            if (fault == Fault::kSilent) {
                while (pipe->Read(b.bytes, sizeof b, -1)) {}  // until the library lets go
                return;
            }
            const LoaderBlock request = b;
            std::memset(&b, 0, sizeof b);
            b.reply.status = 1;
            if (request.open.command == kLoaderOpen) {
                const std::string path = request.open.path;
                const auto answer = answers_.find({number, path});
                if (answer != answers_.end()) b.open_reply.status = answer->second;
                VideoInfo& vi = b.open_reply.vi = open_as_.value_or(ScriptedFormat());
                if (path == "big") vi.width = 4096, vi.height = 1024, vi.pixel_type = VideoInfo::CS_BGR32;
                if (path == "audio-only") vi.width = vi.height = 0;
                if (b.open_reply.status == 1) b.open_reply.remote_id = next_id++;
            } else if (request.open.command == kLoaderFrame) {
                for (size_t i = 0; i < 4096; ++i) area->data()[i] = FrameByte(request.frame.frame, i);
            } else if (request.open.command == kLoaderAudio) {
                const int64_t bytes = request.audio.count * 4;
                if (bytes < 0 || bytes > static_cast<int64_t>(area->size())) b.reply.status = 0;
                for (int64_t i = 0; i < bytes && b.reply.status; ++i)
                    area->data()[i] = AudioByte(request.audio.start * 4 + i);
            }
            const LoaderBlock replies[2] = {b, LoaderBlock{}};
            const bool twice = request.open.command == unasked_after_;
            if (twice) unasked_after_ = 0;
            if (!pipe->Write(replies, (twice ? 2 : 1) * sizeof b, 1000)) return;
        }
    }

    std::string name_;
    std::map<int, Launch> plan_;
    std::map<std::pair<int, std::string>, int32_t> answers_;
    std::map<std::pair<int, uint32_t>, Fault> faults_;
    std::optional<VideoInfo> open_as_;
    uint32_t unasked_after_ = 0;
    std::mutex mutex_;
    std::vector<Received> log_;
    std::vector<int> started_;
    std::vector<std::thread> threads_;
};

}  // namespace test
