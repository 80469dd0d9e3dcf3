// Loader programs played by threads of the test program: each serves the protocol on
// its own pipe and the shared area as the test scripts it, and logs every block it
// receives. What a clip does is chosen by its path:
//   "big"         a 4096 x 1024 RGB32 clip, larger than the area
//   "audio-only"  no video
//   "garbage"     answers "opened" with a nonsensical format
//   anything else 8 x 4 RGB24 with 16-bit stereo audio
// Faults are scripted per loader and command (Misbehave).
// Frame n holds FrameByte(n, i) at byte i of the area, audio from sample s holds
// AudioByte(s * 4 + i).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "avs/avisynth.h"

namespace platform {
class PipeListener;
}

namespace test {

inline uint8_t FrameByte(int n, size_t i) { return static_cast<uint8_t>(n * 37 + i * 3 + 1); }
inline uint8_t AudioByte(int64_t i) { return static_cast<uint8_t>(i * 5 + (i >> 8)); }

VideoInfo ScriptedFormat();  // the format of an ordinary clip

// Loader names are machine-wide (the area on POSIX, the pipes everywhere): one of the
// test's own, so that concurrent test programs never meet.
std::string UniqueLoaderName(const std::string& tag);

class ScriptedLoaders {
public:
    enum class Launch { kServe, kRefuse, kNoPipe };
    // kSlow answers after a while; kSilent never answers again; kDie ends the loader;
    // kShort sends 50 bytes of the reply and ends.
    enum class Fault { kSlow, kSilent, kDie, kShort };
    struct Received {
        int loader;
        std::array<uint8_t, 112> bytes;
    };

    explicit ScriptedLoaders(std::string name) : name_(std::move(name)) {}
    // Joins the loaders: the channel must be gone first, as its closing ends them.
    ~ScriptedLoaders();

    // What starting loader `number` does; kServe unless told.
    void Plan(int number, Launch launch) { plan_[number] = launch; }
    // Loader `number` answers an open of `path` with `status` instead of 1.
    void Answer(int number, const std::string& path, int32_t status) { answers_[{number, path}] = status; }
    // Loader `number` meets its next request of `command` with fault (kSlow: after ms).
    void Misbehave(int number, uint32_t command, Fault fault, int ms = 0) {
        std::lock_guard<std::mutex> hold(mutex_);
        faults_[{number, command}] = {fault, ms};
    }

    std::function<bool(const std::string&, int)> Launcher() {
        return [this](const std::string& name, int number) { return Start(name, number); };
    }
    std::vector<Received> Log();
    std::vector<int> Started();  // numbers asked to start, in order

private:
    bool Start(const std::string& name, int number);
    void Serve(int number, platform::PipeListener& listener);
    void Record(int number, const uint8_t* bytes);
    bool TakeFault(int number, uint32_t command, std::pair<Fault, int>& fault);

    std::string name_;
    std::map<int, Launch> plan_;
    std::map<std::pair<int, std::string>, int32_t> answers_;
    std::map<std::pair<int, uint32_t>, std::pair<Fault, int>> faults_;
    std::mutex mutex_;
    std::vector<Received> log_;
    std::vector<int> started_;
    std::vector<std::thread> threads_;
};

}  // namespace test
