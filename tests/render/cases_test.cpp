// ferrule-render end to end, one row a run: the timeline, the command line, and what
// must come out — the exit status, the error line, and named probes of what was
// written. The files they read are made once, the media by FFmpeg (cases/setup.sh).
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

extern "C" {
#include <libavutil/md5.h>
}

#include "tests/render/render_support.h"

namespace {

namespace fs = std::filesystem;
using rtest::TempDir;

constexpr const char* kCases = FERRULE_SOURCE_DIR "/tests/render/cases/";
constexpr int kMarks = 6;  // a flash and a beep at 0, 1, ... 5 s of each clip

// One overlay of a media file over the whole timeline, its sound mixed.
std::string Clip(const std::string& media, const std::string& fps, int frames, int channels = 1) {
    std::string items;
    for (int c = 0; c < channels; ++c)
        items += std::string(c ? ", " : "") + R"({"items": [{"type": "overlay", "first": 0, "last": )" + std::to_string(frames - 1) +
                 R"(, "audio": true, "media": ")" + media + R"("}]})";
    return R"({"output": {"width": 64, "height": 48, "fps": )" + fps + R"(, "frames": )" + std::to_string(frames) +
           R"(}, "channels": [)" + items + "]}";
}
std::string Item(const std::string& item) {
    return R"({"output": {"width": 64, "height": 48, "frames": 3}, "channels": [{"items": [)" + item + "]}]}";
}
const std::string kGood = Item(R"({"type": "overlay", "first": 0, "last": 2, "audio": true, "generate": {"kind": "gradient", "tone": true}})");

struct Case {
    std::string name;
    std::string timeline;  // written to T.json; "@file" is a file of cases/
    std::vector<std::string> args;  // run in the cases' folder
    int status = 0;
    // "error=" a line of standard error after the program's name, said once; without it nothing
    // is said. The others are probes of what was written.
    std::vector<std::string> probes;
};

const std::string kEveryMd5 = "4c6df2410eea7e0de488ce368877d099", kSevenMd5 = "a63ce2fb125831dddbdf08b083cddacc";
constexpr double k3dB = 0.70710678;
const std::string k51 = "level=" + std::to_string(0.3 + 0.3 * k3dB) + "/" + std::to_string(0.7 * k3dB);

const Case kRows[] = {
    // Every item kind, in every frame (by two processes; one is the hostile cases') or one.
    {"every-2", "@every_item.json", {"T.json", "--frames", "f", "--jobs", "2"}, 0, {"md5=" + kEveryMd5, "left=f"}},
    {"every-7", "@every_item.json", {"T.json", "--frame", "7", "-o", "f.png"}, 0, {"md5=" + kSevenMd5, "left=f.png"}},
    // Media as people have them: each clip's sound at its level, flashes and beeps on time.
    {"aac", Clip("aac.mp4", "25", 137), {"T.json", "-o", "f.mp4", "--jobs", "1"}, 0,
     {"frames=137", "size=64x48", "container=mov,mp4,m4a,3gp,3g2,mj2", "brand=isom", "level=0.5/0.25", "marks", "left=f.mp4"}},
    {"opus", Clip("opus.webm", "25", 137), {"T.json", "-o", "f.mp4", "--jobs", "2"}, 0, {"level=0.5/0.5", "marks"}},
    {"mkv", kGood, {"T.json", "-o", "F.MKV", "--jobs", "2"}, 0, {"frames=3", "container=matroska,webm", "left=F.MKV"}},
    {"29.97", Clip("ntsc.mp4", "29.97", 164), {"T.json", "-o", "f.mp4", "--jobs", "2"}, 0,
     {"frames=164", "step=1001/30000", "level=0.5/0.5", "marks"}},
    {"variable-rate", Clip("vfr.mp4", "25", 137), {"T.json", "-o", "f.mov", "--jobs", "2"}, 0,
     {"brand=qt  ", "level=0.5/0.5", "marks", "left=f.mov"}},
    {"44.1kHz-in-30fps", Clip("44k.mkv", "30", 165), {"T.json", "-o", "f.mp4"}, 0, {"frames=165", "level=0.5/0.25", "marks"}},
    // FL, FR, FC, LFE, SL, SR: centre at -3 dB to both, surround at -3 dB to its side, LFE dropped.
    {"5.1", Clip("s51.mp4", "25", 137), {"T.json", "-o", "f.mp4"}, 0, {k51, "marks"}},
    // Two clips at 0.7: the float mix clips the sum once, on the way out, where a 16-bit mix would wrap.
    {"loud-overlap", Clip("loud.wav", "25", 25, 2), {"T.json", "-o", "f.mp4"}, 0, {"clips"}},
    {"still", R"({"output": {"width": 4, "height": 4, "frames": 12}, "channels": [{"items": [{"type": "overlay", "first": 2, "last": 9, "clip_start": 5, "media": "still.png"}]}]})",
     {"T.json", "--frames", "f"}, 0, {"md5=5ac354eec1a9f1b081011f8b4c9e66f0"}},  // lit on frames 2 to 9
    {"odd-size", R"({"output": {"width": 641, "height": 359, "frames": 2}, "channels": []})", {"T.json", "--frame", "1", "-o", "f.png"}, 0,
     {"size=641x359"}},
    {"replace", kGood, {"T.json", "-o", "existing.mp4", "-y"}, 0, {"frames=3", "left="}},
    {"replace-frames", kGood, {"T.json", "--frames", "stale", "-y", "--jobs", "2"}, 0, {"frames=3", "left="}},
    {"demo", "", {"--demo", "f"}, 0, {"size=1300x372", "left=f"}},
    {"help", "", {"-h"}, 0, {"left="}},
    // What is refused: once each, the folder left as it was.
    {"usage", "", {}, 2, {"error=no timeline file"}},
    {"no-output", kGood, {"T.json"}, 2, {"error=give one of -o OUT.mp4, --frames DIR, or --frame N -o OUT.png"}},
    {"jobs", kGood, {"T.json", "-o", "f.mp4", "--jobs", "0"}, 2, {"error=--jobs wants a whole number of at least 1"}},
    {"past-end", kGood, {"T.json", "--frame", "3", "-o", "f.png"}, 2, {"error=--frame 3 is past the timeline's 3 frames"}},
    {"no-timeline", "", {"none.json", "-o", "f.mp4"}, 2, {"error=none.json: cannot be read"}},
    {"empty-media", Item(R"({"type": "overlay", "first": 0, "last": 2, "media": "empty.mp4"})"), {"T.json", "-o", "f.mp4", "--jobs", "2"}, 2,
     {"error=T.json: /channels/0/items/0/media: Import: cannot open \"empty.mp4\": Invalid data found when processing input"}},
    {"crop", Item(R"({"type": "overlay", "first": 0, "last": 2, "generate": {"kind": "colour"}, "crop": [0, 10, 0, 14]})"),
     {"T.json", "-o", "f.mp4", "--jobs", "2"}, 2, {"error=T.json: /channels/0/items/0: Crop: Destination height is 0 or less."}},
    {"bad-subtitles", Item(R"({"type": "subtitles", "first": 0, "last": 2, "file": "bad.srt"})"), {"T.json", "-o", "f.mp4", "--jobs", "2"}, 2,
     {"error=T.json: /channels/0/items/0/file: TextSub: cannot read subtitles from \"bad.srt\""}},
    {"lone-idx", Item(R"({"type": "subtitles", "first": 0, "last": 2, "file": "lone.idx"})"), {"T.json", "-o", "f.mp4"}, 2,
     {"error=T.json: /channels/0/items/0/file: VobSub: cannot open \"lone.idx\""}},
    {"not-a-picture", Item(R"({"type": "pictures", "first": 0, "last": 2, "files": ["still.png", "text.png"]})"), {"T.json", "-o", "f.mp4"}, 2,
     {"error=T.json: /channels/0/items/0/files/1: \"text.png\" is not a picture: unknown image type"}},
    {"avi", kGood, {"T.json", "-o", "f.avi"}, 2, {"error=f.avi: a video is written as .mp4, .mov or .mkv; the name says which"}},
    {"jpg", kGood, {"T.json", "--frame", "0", "-o", "f.jpg"}, 2, {"error=f.jpg: --frame writes a PNG picture; name it .png"}},
    {"exists", kGood, {"T.json", "-o", "existing.mp4"}, 2, {"error=existing.mp4: already exists; give -y to replace it"}},
    {"no-folder", kGood, {"T.json", "-o", "none/f.mp4"}, 2, {"error=none/f.mp4: the folder \"none\" does not exist"}},
    {"not-a-folder", kGood, {"T.json", "-o", "text.png/f.mkv"}, 2, {"error=text.png/f.mkv: \"text.png\" is not a folder"}},
    {"is-a-folder", kGood, {"T.json", "-o", "folder.mp4", "-y"}, 2, {"error=folder.mp4: is a folder"}},
    {"is-an-input", Item(R"({"type": "overlay", "first": 0, "last": 2, "media": "aac.mp4"})"), {"T.json", "-o", "link.mp4", "-y"}, 2,
     {"error=link.mp4: is one of the timeline's inputs (/channels/0/items/0/media); it would be overwritten"}},
    {"other-files", kGood, {"T.json", "--frames", "notes", "-y"}, 2,
     {"error=notes: holds other files than frames (notes.txt); give an empty or new folder"}},
    {"stale-frames", kGood, {"T.json", "--frames", "stale"}, 2, {"error=stale: holds frames of an earlier run; give -y to replace them"}},
    {"odd-video", R"({"output": {"width": 641, "height": 360}, "channels": []})", {"T.json", "-o", "f.mp4"}, 2,
     {"error=T.json: /output/width: must be even for a video, not 641 (PNG frames take any size)"}},
    // Write permission is tried by making a file, so it holds for whoever runs; root runs as nobody.
    {"read-only", kGood, {"T.json", "-o", "ro/f.mov"}, 2, {"error=ro/f.mov: cannot write in the folder \"ro\": Permission denied"}},
};

// Every file below the folder with its bytes: what a refused run must not change.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        std::ifstream in(e.path(), std::ios::binary);
        files[e.path().lexically_relative(root).string()] = e.is_directory() ? "/" : std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}

// PNG frames of a folder in order, or the one PNG.
std::vector<rtest::Png> Pngs(const std::string& path) {
    if (!fs::is_directory(path)) return {rtest::ReadPng(path)};
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(path)) names.push_back(e.path());
    std::sort(names.begin(), names.end());
    std::vector<rtest::Png> pngs;
    for (const std::string& n : names) pngs.push_back(rtest::ReadPng(n));
    return pngs;
}

std::string Md5(const std::vector<rtest::Png>& pngs) {
    std::vector<uint8_t> all, sum(16);
    for (const rtest::Png& p : pngs) all.insert(all.end(), p.rgb.begin(), p.rgb.end());
    av_md5_sum(sum.data(), all.data(), static_cast<int>(all.size()));
    char hex[33];
    for (int i = 0; i < 16; ++i) std::snprintf(hex + 2 * i, 3, "%02x", sum[i]);
    return hex;
}

// A sine's amplitude from its RMS over the steady middle of every beep.
double Level(const rtest::Decoded& d, int channel) {
    double sum = 0;
    int64_t n = 0;
    for (int k = 0; k < kMarks; ++k)
        for (int64_t s = std::llround((k + 0.02) * d.audio_rate); s < std::llround((k + 0.08) * d.audio_rate); ++s, ++n)
            sum += std::pow(d.audio[static_cast<size_t>(s * 2 + channel)], 2);
    return std::sqrt(2 * sum / static_cast<double>(n));
}

// Each flash (the first bright frame) and each beep (the first sample above a tenth
// of full scale) within half a frame of its second, and of each other.
void ExpectMarks(const rtest::Decoded& d, double fps) {
    std::vector<double> flashes, beeps;
    for (size_t i = 0; i < d.frame_luma.size(); ++i)
        if (d.frame_luma[i] > 128 && (i == 0 || d.frame_luma[i - 1] <= 128)) flashes.push_back(d.frame_times[i]);
    for (int k = 0; k < kMarks; ++k)
        for (size_t s = static_cast<size_t>(std::max(0.0, (k - 0.5) * d.audio_rate)); s < d.audio.size() / 2; ++s)
            if (std::fabs(d.audio[2 * s]) > 0.1 || std::fabs(d.audio[2 * s + 1]) > 0.1) {
                beeps.push_back(static_cast<double>(s) / d.audio_rate);
                break;
            }
    ASSERT_EQ(flashes.size(), size_t(kMarks));
    ASSERT_EQ(beeps.size(), size_t(kMarks));
    for (int k = 0; k < kMarks; ++k) {
        EXPECT_NEAR(flashes[k], k, 0.5 / fps) << "flash " << k;
        EXPECT_NEAR(beeps[k], k, 0.5 / fps) << "beep " << k;
    }
}

// Over 60 whole cycles every sample keeps the sign of the sum 1.4 sin; its RMS is that of
// the sum clipped at 1 (0.82, AAC rounding the corners a little), not one clip's 0.49
// nor the wrapped sum's 0.68.
void ExpectClipped(const rtest::Decoded& d) {
    double sum = 0, want = 0;
    int wrong_sign = 0;
    for (int64_t s = 9600; s < 38400; ++s) {
        const double ideal = 1.4 * std::sin(2 * M_PI * 100 * s / 48000.0), got = d.audio[static_cast<size_t>(s * 2)];
        wrong_sign += std::fabs(ideal) > 0.2 && (got > 0) != (ideal > 0);
        sum += got * got;
        want += std::pow(std::clamp(ideal, -1.0, 1.0), 2);
    }
    EXPECT_EQ(wrong_sign, 0);
    EXPECT_GT(std::sqrt(sum / 28800), 0.74);
    EXPECT_LT(std::sqrt(sum / 28800), std::sqrt(want / 28800) + 0.01);
}

void Probe(const std::string& probe, const std::string& out, const std::vector<std::string>& added) {
    const size_t eq = probe.find('=');
    const std::string name = probe.substr(0, eq), value = eq == std::string::npos ? "" : probe.substr(eq + 1);
    const bool video = fs::is_regular_file(out) && out.substr(out.size() - 4) != ".png";
    if (name == "left") {
        EXPECT_EQ(added, value.empty() ? std::vector<std::string>{} : std::vector<std::string>{value});
    } else if (name == "md5") {
        EXPECT_EQ(Md5(Pngs(out)), value);
    } else if (name == "size" && !video) {
        const rtest::Png png = rtest::ReadPng(fs::is_directory(out) ? out + "/demo-contact.png" : out);
        EXPECT_EQ(std::to_string(png.width) + "x" + std::to_string(png.height), value);
    } else if (name == "frames" && !video) {
        EXPECT_EQ(std::to_string(Pngs(out).size()), value);
    } else if (name == "brand") {
        std::ifstream in(out, std::ios::binary);
        char head[12] = {};
        in.read(head, sizeof head);
        EXPECT_EQ(std::string(head + 8, 4), value);
    } else {
        const rtest::Decoded d = rtest::Decode(out);
        if (name == "frames") EXPECT_EQ(std::to_string(d.frame_times.size()), value);
        else if (name == "size") EXPECT_EQ(std::to_string(d.width) + "x" + std::to_string(d.height), value);
        else if (name == "container") EXPECT_EQ(d.container, value);
        else if (name == "marks") ExpectMarks(d, d.frame_times.size() / 5.5);
        else if (name == "clips") ExpectClipped(d);
        else if (name == "level") {
            ASSERT_EQ(d.channels, 2);
            const double left = std::stod(value), right = std::stod(value.substr(value.find('/') + 1));
            EXPECT_NEAR(Level(d, 0), left, 0.04 * left + 0.005);
            EXPECT_NEAR(Level(d, 1), right, 0.04 * right + 0.005);
        } else if (name == "step") {  // every frame this far after the one before, exactly
            std::vector<double> t = d.frame_times;
            std::sort(t.begin(), t.end());
            for (size_t i = 1; i < t.size(); ++i) ASSERT_NEAR(t[i] - t[i - 1], 1001 / 30000.0, 1e-6) << "frame " << i;
        } else {
            ADD_FAILURE() << "no probe " << probe;
        }
    }
}

TEST(Cases, EachRunGivesItsStatusErrorAndProbes) {
    const TempDir dir;
    const rtest::Run made = rtest::RunProgram({"sh", "-c", "cd '" + dir.path().string() + "' && . '" + kCases + "setup.sh'"});
    ASSERT_EQ(made.status, 0) << made.errors;
    const std::string render = FERRULE_RENDER_PATH;

    for (const Case& c : kRows) {
        SCOPED_TRACE(c.name);
        fs::remove(dir / "T.json");
        if (!c.timeline.empty()) {
            std::ifstream file(kCases + c.timeline.substr(1));
            dir.Write("T.json", c.timeline[0] == '@' ? std::string(std::istreambuf_iterator<char>(file), {}) : c.timeline);
        }
        const auto before = Snapshot(dir.path());
        rtest::Run run;
        if (c.name == "read-only" && geteuid() == 0) {
            std::vector<std::string> words{"sh", "-c", "cd \"$0\" && exec setpriv --reuid=65534 --regid=65534 --clear-groups \"$@\"",
                                           dir.path().string(), render};
            words.insert(words.end(), c.args.begin(), c.args.end());
            run = rtest::RunProgram(words);
        } else {
            run = rtest::RunRender(c.args, dir.path().string());
        }
        EXPECT_EQ(run.status, c.status) << run.errors;
        const auto said_line = std::find_if(c.probes.begin(), c.probes.end(), [](const std::string& p) { return p.rfind("error=", 0) == 0; });
        const std::string error = said_line == c.probes.end() ? "" : "ferrule-render: " + said_line->substr(6);
        // The line once; FFmpeg's own detail may come first, a bad command line's usage
        // after, and nothing from workers.
        const std::string said = "\n" + run.errors;
        if (error.empty()) EXPECT_EQ(run.errors, "");
        else EXPECT_TRUE(said.find("\n" + error + "\n") != std::string::npos && said.find(error) == said.rfind(error)) << said;
        std::istringstream lines(run.errors);
        for (std::string line; std::getline(lines, line) && line.rfind("usage: ", 0) != 0;)
            EXPECT_EQ(line.rfind("ferrule-render: ", 0), 0u) << line;
        EXPECT_EQ(run.errors.find("worker"), std::string::npos) << run.errors;
        if (c.status != 0) {
            EXPECT_EQ(Snapshot(dir.path()), before) << "a refused run changed the folder";
            continue;
        }
        std::vector<std::string> added;
        for (const auto& e : fs::directory_iterator(dir.path()))
            if (!before.count(e.path().filename().string())) added.push_back(e.path().filename());
        const auto at = std::find_if(c.args.begin(), c.args.end(), [](const std::string& a) { return a == "-o" || a == "--frames" || a == "--demo"; });
        const std::string out = at == c.args.end() ? "" : dir / *(at + 1);
        for (const std::string& probe : c.probes) {
            SCOPED_TRACE(probe);
            if (probe.rfind("error=", 0) == 0) continue;
            Probe(probe, out, added);
        }
        for (const std::string& a : added) fs::remove_all(dir / a);
    }
}

}  // namespace
