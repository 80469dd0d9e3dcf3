#include "output_target.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "render_job.h"

namespace fs = std::filesystem;

namespace render {

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string Quoted(const fs::path& p) { return "\"" + p.string() + "\""; }

// The folder a file goes into: "." for a bare name.
fs::path FolderOf(const std::string& path) {
    const fs::path folder = fs::path(path).parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

// The folder a folder goes into: "." for a bare name.
fs::path ParentOf(const std::string& dir) {
    fs::path p = fs::path(dir).lexically_normal();
    if (!p.has_filename()) p = p.parent_path();  // "a/b/" is "a/b"
    const fs::path parent = p.parent_path();
    return parent.empty() ? fs::path(".") : parent;
}

// Why files cannot be made in `folder`, or empty when they can. It tries with a real
// file, named from `name` (ending in XXXXXX), which is kept in *made when asked for.
std::string FolderProblem(const fs::path& folder, const std::string& name = ".ferrule-render-XXXXXX",
                          std::string* made = nullptr) {
    std::error_code ec;
    const fs::file_status st = fs::status(folder, ec);
    if (!fs::exists(st)) return "the folder " + Quoted(folder) + " does not exist";
    if (!fs::is_directory(st)) return Quoted(folder) + " is not a folder";
    std::string probe = (folder / name).string();
    const int fd = mkstemp(probe.data());
    if (fd < 0) return "cannot write in the folder " + Quoted(folder) + ": " + std::strerror(errno);
    // What a plain create would give: 0666 less the umask, not mkstemp's 0600.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    if (made) *made = probe;
    else unlink(probe.c_str());
    return std::string();
}

}  // namespace

std::string VideoFormatFor(const std::string& path) {
    const std::string ext = Lower(fs::path(path).extension().string());
    if (ext == ".mp4") return "mp4";
    if (ext == ".mov") return "mov";
    if (ext == ".mkv") return "matroska";
    throw OutputError(path + ": a video is written as .mp4, .mov or .mkv; the name says which");
}

void RequirePngName(const std::string& path) {
    if (Lower(fs::path(path).extension().string()) != ".png")
        throw OutputError(path + ": --frame writes a PNG picture; name it .png");
}

void RefuseInputs(const std::string& path, const std::vector<Input>& inputs) {
    std::error_code ec;
    if (!fs::exists(path, ec)) return;  // every input exists
    for (const Input& in : inputs)
        if (fs::equivalent(path, in.file, ec))
            throw OutputError(path + ": is one of the timeline's inputs (" +
                              (in.path == "/" ? std::string("the timeline file") : in.path) + "); it would be overwritten");
}

PendingFile::PendingFile(const std::string& path, bool replace) : path_(path), replace_(replace) {
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(path, ec);
    if (fs::is_directory(fs::status(path, ec))) throw OutputError(path + ": is a folder");
    if (fs::exists(st) && !replace) throw OutputError(path + ": already exists; give -y to replace it");
    const fs::path folder = FolderOf(path);
    // A hidden name in the same folder, so the final rename stays on one file system.
    const std::string problem = FolderProblem(folder, "." + fs::path(path).filename().string() + ".XXXXXX", &temp_);
    if (!problem.empty()) throw OutputError(path + ": " + problem);
}

PendingFile::~PendingFile() {
    if (!committed_) unlink(temp_.c_str());
}

void PendingFile::Commit() {
    int rc;
    if (replace_) {
        rc = ::rename(temp_.c_str(), path_.c_str());
    } else {
        rc = renameat2(AT_FDCWD, temp_.c_str(), AT_FDCWD, path_.c_str(), RENAME_NOREPLACE);
        if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // A file system without the flag: a hard link refuses an existing name too.
            rc = link(temp_.c_str(), path_.c_str());
            if (rc == 0) unlink(temp_.c_str());
        }
    }
    if (rc != 0) {
        if (errno == EEXIST) throw OutputError(path_ + ": appeared while rendering; give -y to replace it");
        throw std::runtime_error(path_ + ": cannot be put in place: " + std::strerror(errno));
    }
    committed_ = true;
}

bool FramesFolder::IsFrameName(const std::string& name) {
    constexpr size_t kPrefix = 6, kSuffix = 4;  // "frame-", ".png"
    if (name.size() < kPrefix + 6 + kSuffix || name.compare(0, kPrefix, "frame-") != 0 ||
        name.compare(name.size() - kSuffix, kSuffix, ".png") != 0)
        return false;
    return std::all_of(name.begin() + kPrefix, name.end() - kSuffix, [](unsigned char c) { return std::isdigit(c); });
}

FramesFolder::FramesFolder(const std::string& dir, bool replace, const std::vector<Input>& inputs) : dir_(dir) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(dir, ec))) {
        const std::string parent_problem = FolderProblem(ParentOf(dir));
        if (!parent_problem.empty()) throw OutputError(dir + ": " + parent_problem);
        if (!fs::create_directory(dir, ec))
            throw OutputError(dir + ": cannot be made: " + ec.message());
        made_ = true;
        return;
    }
    if (!fs::is_directory(fs::status(dir, ec))) throw OutputError(dir + ": is not a folder");
    std::vector<fs::path> frames;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir, ec)) {
        const std::string name = entry.path().filename().string();
        if (!IsFrameName(name) || !entry.is_regular_file(ec))
            throw OutputError(dir + ": holds other files than frames (" + name + "); give an empty or new folder");
        for (const Input& in : inputs)
            if (fs::equivalent(entry.path(), in.file, ec))
                throw OutputError(entry.path().string() + ": is one of the timeline's inputs (" + in.path +
                                  "); it would be overwritten");
        frames.push_back(entry.path());
    }
    if (ec) throw OutputError(dir + ": cannot be read: " + ec.message());
    if (!frames.empty() && !replace)
        throw OutputError(dir + ": holds frames of an earlier run; give -y to replace them");
    const std::string problem = FolderProblem(dir);
    if (!problem.empty()) throw OutputError(dir + ": " + problem);
    // All of them: a shorter run must not leave the old tail behind.
    for (const fs::path& f : frames)
        if (!fs::remove(f, ec) && ec) throw OutputError(f.string() + ": cannot be removed: " + ec.message());
}

FramesFolder::~FramesFolder() {
    if (kept_) return;
    for (int n = 0; n < frames_; ++n) unlink((dir_ + "/" + FrameFileName(n)).c_str());
    if (made_) rmdir(dir_.c_str());
}

}  // namespace render
