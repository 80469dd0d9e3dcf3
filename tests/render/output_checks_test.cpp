// Where ferrule-render writes: every refused destination is refused before the library
// is loaded, with exit status 2, and leaves the folder as it was; what is accepted is
// written whole under its own name, in the container its name asks for, and nothing
// else is left beside it.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "tests/render/render_support.h"

namespace {

namespace fs = std::filesystem;
using rtest::RunRender;
using rtest::TempDir;

constexpr const char* kGood = R"({"output": {"width": 64, "height": 48, "frames": 3},
    "channels": [{"items": [{"type": "overlay", "first": 0, "last": 2, "audio": true,
                             "generate": {"kind": "gradient", "tone": true}}]}]})";

std::string Overlay(const std::string& media) {
    return R"({"output": {"width": 64, "height": 48, "frames": 3},
        "channels": [{"items": [{"type": "overlay", "first": 0, "last": 2, "media": ")" +
           media + R"("}]}]})";
}

// Every file below the folder with its bytes: what a refused run must not change.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string name = fs::relative(e.path(), root).string();
        if (e.is_directory()) {
            files[name + "/"] = "";
        } else {
            std::ifstream in(e.path(), std::ios::binary);
            files[name] = std::string(std::istreambuf_iterator<char>(in), {});
        }
    }
    return files;
}

std::string Brand(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char head[12] = {};
    in.read(head, sizeof head);
    return std::string(head + 8, 4);
}

// The timelines and files the cases use. bad.json would fail as soon as the library
// read its empty clip: a refusal that names the output shows the output came first.
struct Files {
    TempDir dir;
    Files() {
        dir.Write("good.json", kGood);
        dir.Write("tl.mp4", kGood);  // a timeline under a video's name
        dir.Write("empty.mp4", "");
        dir.Write("bad.json", Overlay("empty.mp4"));
        rtest::WriteClip(dir / "clip.mp4", 64, 48, 3);
        dir.Write("uses.json", Overlay("clip.mp4"));
        fs::create_symlink(dir / "clip.mp4", dir / "link.mp4");
        dir.Write("existing.mp4", "old");
        dir.Write("existing.png", "old");
        dir.Write("file.txt", "");
        fs::create_directory(dir / "folder.mp4");
        fs::create_directory(dir / "notes");
        dir.Write("notes/notes.txt", "mine");
        fs::create_directory(dir / "stale");
        for (int n = 0; n < 5; ++n) dir.Write("stale/frame-00000" + std::to_string(n) + ".png", "old");
        fs::create_directory(dir / "pics");
        rtest::RunRender({dir / "good.json", "--frame", "0", "-o", dir / "pics/frame-000000.png"});
        dir.Write("pics.json", R"({"output": {"width": 64, "height": 48, "frames": 3},
            "channels": [{"items": [{"type": "pictures", "first": 0, "last": 2, "files": ["pics/frame-000000.png"]}]}]})");
        dir.Write("odd.json", R"({"output": {"width": 641, "height": 359, "frames": 2}, "channels": []})");
    }
};

TEST(OutputChecks, EachRefusedDestinationSaysWhyWithStatusTwoAndChangesNothing) {
    const Files f;
    const std::string d = f.dir.path().string();
    struct Case {
        std::vector<std::string> args;
        std::string error;  // after the prefix
    };
    const Case cases[] = {
        {{"bad.json", "-o", "out.avi"}, d + "/out.avi: a video is written as .mp4, .mov or .mkv; the name says which"},
        {{"bad.json", "-o", "out"}, d + "/out: a video is written as .mp4, .mov or .mkv; the name says which"},
        {{"bad.json", "--frame", "0", "-o", "f.jpg"}, d + "/f.jpg: --frame writes a PNG picture; name it .png"},
        {{"bad.json", "-o", "existing.mp4"}, d + "/existing.mp4: already exists; give -y to replace it"},
        {{"bad.json", "--frame", "1", "-o", "existing.png"}, d + "/existing.png: already exists; give -y to replace it"},
        {{"bad.json", "-o", "missing/x.mp4"}, d + "/missing/x.mp4: the folder \"" + d + "/missing\" does not exist"},
        {{"bad.json", "-o", "file.txt/x.mkv"}, d + "/file.txt/x.mkv: \"" + d + "/file.txt\" is not a folder"},
        {{"bad.json", "-o", "folder.mp4", "-y"}, d + "/folder.mp4: is a folder"},
        {{"uses.json", "-o", "clip.mp4", "-y"},
         d + "/clip.mp4: is one of the timeline's inputs (/channels/0/items/0/media); it would be overwritten"},
        {{"uses.json", "-o", "link.mp4", "-y", "--jobs", "2"},
         d + "/link.mp4: is one of the timeline's inputs (/channels/0/items/0/media); it would be overwritten"},
        {{"tl.mp4", "-o", "tl.mp4", "-y"}, d + "/tl.mp4: is one of the timeline's inputs (the timeline file); it would be overwritten"},
        {{"bad.json", "--frames", "notes", "-y"},
         d + "/notes: holds other files than frames (notes.txt); give an empty or new folder"},
        {{"bad.json", "--frames", "stale"}, d + "/stale: holds frames of an earlier run; give -y to replace them"},
        {{"bad.json", "--frames", "missing/frames"}, d + "/missing/frames: the folder \"" + d + "/missing\" does not exist"},
        {{"pics.json", "--frames", "pics", "-y"},
         d + "/pics/frame-000000.png: is one of the timeline's inputs (/channels/0/items/0/files/0); it would be overwritten"},
        {{"odd.json", "-o", "odd.mp4"}, d + "/odd.json: /output/width: must be even for a video, not 641 (PNG frames take any size)"},
    };
    const auto before = Snapshot(f.dir.path());
    for (const Case& c : cases) {
        std::vector<std::string> args;
        std::string line;
        for (size_t i = 0; i < c.args.size(); ++i) {
            // Files by their full names; flags and numbers as they are.
            const bool file = i == 0 || (c.args[i - 1] == "-o" || c.args[i - 1] == "--frames");
            args.push_back(file ? f.dir / c.args[i] : c.args[i]);
            line += c.args[i] + " ";
        }
        const rtest::Run run = RunRender(args);
        EXPECT_EQ(run.status, 2) << line;
        EXPECT_EQ(run.errors, "ferrule-render: " + c.error + "\n") << line;
        EXPECT_EQ(Snapshot(f.dir.path()), before) << line;
    }
}

// Write permission is checked by making a file there, so it holds for whoever runs the
// program; as root, the run is made as nobody, for whom the folder is read-only.
TEST(OutputChecks, AFolderThatTakesNoFilesIsRefusedBeforeRendering) {
    const TempDir dir;
    fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                    fs::perms::others_read | fs::perms::others_exec);
    dir.Write("empty.mp4", "");
    dir.Write("bad.json", Overlay("empty.mp4"));
    fs::create_directory(dir / "ro");
    fs::permissions(dir / "ro", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    std::vector<std::string> command;
    if (geteuid() == 0) command = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    for (const std::string& out : {std::string("-o"), std::string("--frames")}) {
        std::vector<std::string> words = command;
        words.insert(words.end(), {FERRULE_RENDER_PATH, dir / "bad.json", out, dir / (out == "-o" ? "ro/x.mov" : "ro")});
        const rtest::Run run = rtest::RunProgram(words);
        EXPECT_EQ(run.status, 2) << out;
        const std::string target = dir / (out == "-o" ? "ro/x.mov" : "ro");
        EXPECT_EQ(run.errors, "ferrule-render: " + target + ": cannot write in the folder \"" + (dir / "ro") +
                                  "\": Permission denied\n");
        EXPECT_TRUE(fs::is_empty(dir / "ro"));
    }
}

// The container follows the name, with one process and with joined pieces; -y replaces
// a file; nothing but the output is left in the folder.
TEST(OutputChecks, TheNameChoosesTheContainerAndMinusYReplaces) {
    const Files f;
    struct Case {
        std::string name, jobs;
        std::string container, brand;  // the demuxer FFmpeg picks; the MP4 family's major brand
    };
    const Case cases[] = {
        {"a.mp4", "1", "mov,mp4,m4a,3gp,3g2,mj2", "isom"},
        {"b.mov", "2", "mov,mp4,m4a,3gp,3g2,mj2", "qt  "},
        {"c.mkv", "2", "matroska,webm", ""},
        {"D.MKV", "1", "matroska,webm", ""},
    };
    auto names = f.dir.Names();
    for (const Case& c : cases) {
        const rtest::Run run = RunRender({f.dir / "good.json", "-o", f.dir / c.name, "--jobs", c.jobs});
        ASSERT_EQ(run.status, 0) << c.name << run.errors;
        EXPECT_EQ(run.errors, "");
        const rtest::MediaInfo info = rtest::ReadMedia(f.dir / c.name);
        EXPECT_EQ(info.container, c.container) << c.name;
        EXPECT_EQ(info.video_frames, 3) << c.name;
        if (!c.brand.empty()) {
            EXPECT_EQ(Brand(f.dir / c.name), c.brand) << c.name;
        }
        names.push_back(c.name);
        std::sort(names.begin(), names.end());
        EXPECT_EQ(f.dir.Names(), names) << "only " << c.name << " added";
    }
    const rtest::Run run = RunRender({f.dir / "good.json", "-o", f.dir / "existing.mp4", "-y"});
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(rtest::ReadMedia(f.dir / "existing.mp4").video_frames, 3);
    EXPECT_EQ(f.dir.Names(), names);
    const rtest::Run png = RunRender({f.dir / "good.json", "--frame", "2", "-o", f.dir / "existing.png", "-y"});
    ASSERT_EQ(png.status, 0) << png.errors;
    EXPECT_EQ(rtest::ReadPng(f.dir / "existing.png").width, 64);
    EXPECT_EQ(f.dir.Names(), names);
}

// With -y a folder of an earlier run's frames holds this run's frames alone, whatever
// the jobs; a new folder is made; an odd size is fine for pictures.
TEST(OutputChecks, FramesReplaceAnEarlierRunWholeAndPicturesTakeOddSizes) {
    const Files f;
    const std::vector<std::string> three{"frame-000000.png", "frame-000001.png", "frame-000002.png"};
    const auto held = [&](const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(f.dir / folder)) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    };
    for (const char* jobs : {"1", "2"}) {
        f.dir.Write("stale/frame-000004.png", "old");
        const rtest::Run run = RunRender({f.dir / "good.json", "--frames", f.dir / "stale", "-y", "--jobs", jobs});
        ASSERT_EQ(run.status, 0) << run.errors;
        EXPECT_EQ(held("stale"), three) << "--jobs " << jobs;
        EXPECT_EQ(rtest::ReadPng(f.dir / "stale/frame-000001.png").width, 64);
    }
    const rtest::Run fresh = RunRender({f.dir / "good.json", "--frames", f.dir / "new"});
    ASSERT_EQ(fresh.status, 0) << fresh.errors;
    EXPECT_EQ(held("new"), three);

    const rtest::Run odd = RunRender({f.dir / "odd.json", "--frame", "1", "-o", f.dir / "odd.png"});
    ASSERT_EQ(odd.status, 0) << odd.errors;
    const rtest::Png png = rtest::ReadPng(f.dir / "odd.png");
    EXPECT_EQ(png.width, 641);
    EXPECT_EQ(png.height, 359);
}

}  // namespace
