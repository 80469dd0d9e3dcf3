// ferrule-render: turns a timeline file into a video through the library's exports.
//   ferrule-render TIMELINE -o OUT.mp4|.mov|.mkv [-y] [--jobs N] [--quiet]
//   ferrule-render TIMELINE --frames DIR [-y] [--jobs N] [--quiet]
//   ferrule-render TIMELINE --frame N -o OUT.png [-y]
//   ferrule-render --demo DIR         DIR/demo.mp4 and DIR/demo-contact.png
//   ferrule-render --help             this usage on stdout
//   ferrule-render --version          the version on stdout
// Exit status: 0 done, 1 a failure while rendering, 2 a bad timeline, input file,
// output or command line, 128 + the signal when stopped by SIGINT, SIGTERM or SIGHUP.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

#include "demo_timeline.h"
#include "interrupt.h"
#include "join_pieces.h"
#include "output_target.h"
#include "png_frames.h"
#include "progress.h"
#include "render_job.h"
#include "session.h"
#include "timeline.h"
#include "workers.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage =
    "usage: ferrule-render TIMELINE -o OUT.mp4 [--jobs N] [--quiet]\n"
    "       ferrule-render TIMELINE --frames DIR [--jobs N] [--quiet]\n"
    "       ferrule-render TIMELINE --frame N -o OUT.png\n"
    "       (OUT may be .mp4, .mov or .mkv; -y replaces an existing output)\n"
    "       ferrule-render --demo DIR\n"
    "       ferrule-render --help | --version\n";

// Every error the program reports goes out through here, under one prefix.
void PrintError(const char* what) { std::fprintf(stderr, "ferrule-render: %s\n", what); }

// FFmpeg's own errors often say more than the frame server passes on ("moov atom not
// found"); they go out under the same prefix, named by the part that said them.
extern "C" void LogFfmpegLine(void* context, int level, const char* format, va_list args) {
    if (level > av_log_get_level()) return;
    char text[1024];
    std::vsnprintf(text, sizeof text, format, args);
    std::string line = text;
    while (!line.empty() && line.back() == '\n') line.pop_back();
    if (line.empty()) return;
    const AVClass* cls = context ? *static_cast<const AVClass* const*>(context) : nullptr;
    const std::string from = cls && cls->item_name ? cls->item_name(context) : "FFmpeg";
    std::fprintf(stderr, "ferrule-render: %s: %s\n", from.c_str(), line.c_str());
}

// A command line we cannot follow: exit status 2, as a bad timeline.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Options {
    std::string timeline;
    std::string output;      // -o
    std::string frames_dir;  // --frames
    std::optional<int> frame;
    std::optional<std::string> demo_dir;
    int jobs = 0;  // 0: one a core
    bool quiet = false;
    bool replace = false;  // -y
    bool help = false;  // -h, --help: nothing else is looked at
    bool version = false;  // --version: likewise
    std::optional<render::FrameRange> piece;  // a worker's share
    int parent = 0;  // the worker's render
};

int ParseCount(const std::string& flag, const char* text, int min) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < min || v > 100000000) throw UsageError(flag + " wants a whole number of at least " + std::to_string(min));
    return static_cast<int>(v);
}

Options ParseOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](int count = 1) {
            if (i + count >= argc) throw UsageError(a + " wants a value");
            return argv[++i];
        };
        if (a == "-h" || a == "--help" || a == "--version") {
            (a == "--version" ? o.version : o.help) = true;
            return o;
        }
        if (a == "-o") o.output = value();
        else if (a == "--frames") o.frames_dir = value();
        else if (a == "--frame") o.frame = ParseCount(a, value(), 0);
        else if (a == "--jobs") o.jobs = ParseCount(a, value(), 1);
        else if (a == "--quiet") o.quiet = true;
        else if (a == "-y") o.replace = true;
        else if (a == "--demo") o.demo_dir = value();
        else if (a == "--piece") {
            const int first = ParseCount(a, value(), 0);
            o.piece = render::FrameRange{first, ParseCount(a, value(), first + 1)};
            o.parent = ParseCount(a, value(), 1);
        } else if (a.size() > 1 && a[0] == '-') throw UsageError("unknown option " + a);
        else if (o.timeline.empty()) o.timeline = a;
        else throw UsageError("one timeline file only");
    }
    const int targets = !o.output.empty() + !o.frames_dir.empty();
    if (o.demo_dir) {
        if (!o.timeline.empty() || targets) throw UsageError("--demo takes only its folder");
    } else if (o.timeline.empty()) {
        throw UsageError("no timeline file");
    } else if (o.frame ? o.output.empty() || !o.frames_dir.empty() : targets != 1) {
        throw UsageError("give one of -o OUT.mp4, --frames DIR, or --frame N -o OUT.png");
    }
    return o;
}

int DefaultJobs() {
    const long cores = sysconf(_SC_NPROCESSORS_ONLN);
    return cores > 0 ? static_cast<int>(std::min(cores, 64L)) : 1;
}

// A folder of our own under the system's temporary one, gone with the object.
class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "ferrule-render-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder in " + fs::temp_directory_path().string());
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// The worker's side of --jobs: its range, no audio, progress as bytes on stdout.
void RunPiece(const Options& o, const render::Timeline& t) {
    // A worker goes with its render however that ends: told as by a user's SIGTERM, it
    // removes its own frames. A render that went before this was set is seen here. Its
    // progress then has no reader, which must not kill it before it cleaned up.
    signal(SIGPIPE, SIG_IGN);
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != o.parent) raise(SIGTERM);
    render::StopIfInterrupted();
    const render::Session session(t);
    const render::FrameRange range{o.piece->first, std::min(o.piece->end, t.output.frames)};
    const auto done = [](int) { render::ReportFrameDone(); };
    if (!o.frames_dir.empty()) render::RenderPngs(session, range, o.frames_dir, done);
    else render::RenderMp4(session, range, false, o.output, done);
}

// The ranges: one in this process, or each to a worker and the pieces joined.
void RenderRanges(const Options& o, const render::Timeline& t, const render::Session& session, const std::string& video,
                  const std::string& format, const std::vector<render::FrameRange>& ranges, const render::FramesDone& done) {
    if (ranges.size() == 1) {
        if (video.empty()) render::RenderPngs(session, ranges[0], o.frames_dir, done);
        else render::RenderMp4(session, ranges[0], true, video, done, format);
    } else {
        const TempDir pieces;
        std::vector<std::vector<std::string>> arguments;
        std::vector<std::string> piece_files;
        for (size_t i = 0; i < ranges.size(); ++i) {
            std::vector<std::string> args{o.timeline, "--piece", std::to_string(ranges[i].first),
                                          std::to_string(ranges[i].end), std::to_string(getpid())};
            if (video.empty()) {
                args.insert(args.end(), {"--frames", o.frames_dir});
            } else {
                piece_files.push_back(pieces.path() + "/piece-" + std::to_string(i) + ".mp4");
                args.insert(args.end(), {"-o", piece_files.back()});
            }
            arguments.push_back(std::move(args));
        }
        render::RunWorkers(arguments, done);
        if (!video.empty()) {
            // The pieces carry the pictures; the sound is mixed once, here, for the whole.
            render::JoinPieces(piece_files, t.output,
                               [&](int16_t* buf, int64_t start, int64_t count) { session.Audio(buf, start, count); },
                               video, format, pieces.path());
        }
    }
}

// The frames, in this process or in workers; `video` is the file being written (its
// temporary name) for a video, empty for --frames.
void RenderFrames(const Options& o, const render::Timeline& t, const render::Session& session,
                  const std::string& video, const std::string& format) {
    const int frames = t.output.frames;
    render::Progress progress(frames, !o.quiet && isatty(STDERR_FILENO));
    const auto done = [&](int n) { progress.Update(n); };
    const std::vector<render::FrameRange> ranges = render::SplitFrames(frames, o.jobs ? o.jobs : DefaultJobs());
    try {
        RenderRanges(o, t, session, video, format, ranges, done);
    } catch (...) {
        progress.Finish();  // the bar where it stopped, its line ended before the message
        throw;
    }
    progress.Finish();
}

// A video, a folder of frames or one frame, each checked before the library is loaded,
// then written under a temporary name (a video, a frame) or removed again (frames)
// unless the whole run succeeds.
void Render(const Options& o, const render::Timeline& t) {
    const std::vector<render::Input> inputs = render::TimelineInputs(t);
    for (const std::string& w : render::TimelineWarnings(t)) PrintError(("warning: " + w).c_str());
    if (o.frame) {
        render::RequirePngName(o.output);
        if (*o.frame >= t.output.frames) throw UsageError("--frame " + std::to_string(*o.frame) + " is past the timeline's " + std::to_string(t.output.frames) + " frames");
        render::RefuseInputs(o.output, inputs);
        render::PendingFile file(o.output, o.replace);
        const render::Session session(t);
        render::RenderOnePng(session, *o.frame, file.temp_path(), o.output);
        render::StopIfInterrupted();
        file.Commit();
        return;
    }
    if (!o.frames_dir.empty()) {
        render::FramesFolder folder(o.frames_dir, o.replace, inputs);
        folder.Track(t.output.frames);
        // Placing everything once here reports a bad item once, before any worker starts.
        const render::Session session(t);
        RenderFrames(o, t, session, std::string(), std::string());
        render::StopIfInterrupted();
        folder.Keep();
        return;
    }
    const std::string format = render::VideoFormatFor(o.output);
    render::RequireEvenSize(t);
    render::RefuseInputs(o.output, inputs);
    render::PendingFile file(o.output, o.replace);
    const render::Session session(t);
    RenderFrames(o, t, session, file.temp_path(), format);
    render::StopIfInterrupted();
    file.Commit();
}

void RenderDemo(const Options& o) {
    fs::create_directories(*o.demo_dir);
    TempDir assets;
    Options d = o;
    d.demo_dir.reset();
    d.replace = true;  // the demo's own two files, made again
    d.timeline = render::WriteDemoTimeline(assets.path());
    d.output = *o.demo_dir + "/demo.mp4";
    const render::Timeline t = render::ReadTimelineFile(d.timeline);
    Render(d, t);

    const std::string sheet_path = *o.demo_dir + "/demo-contact.png";
    render::PendingFile sheet_file(sheet_path, true);
    const render::Session session(t);
    render::ContactSheet sheet(t.output.width, t.output.height, 4, 320);
    for (int n : render::DemoContactFrames()) {
        render::StopIfInterrupted();
        const PVideoFrame f = session.Frame(n);
        sheet.Add(f->GetReadPtr(), f->GetPitch());
    }
    sheet.Write(sheet_file.temp_path(), sheet_path);
    sheet_file.Commit();
    std::printf("wrote %s\nwrote %s\n", d.output.c_str(), sheet_path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    // Before anything is made that a signal would have to clean up.
    render::CatchInterrupts();
    // Past a file-size limit a write then fails with EFBIG and takes the error path,
    // which removes the temporary output, instead of the signal ending us mid-file.
    signal(SIGXFSZ, SIG_IGN);
    av_log_set_level(AV_LOG_ERROR);  // the encoders' statistics would bury the progress line
    av_log_set_callback(LogFfmpegLine);
    Options options;
    try {
        options = ParseOptions(argc, argv);
        if (options.help || options.version) {
            std::fputs(options.help ? kUsage : "ferrule-render " FERRULE_VERSION "\n", stdout);
            return 0;
        }
        if (options.demo_dir) {
            RenderDemo(options);
            return 0;
        }
        const render::Timeline timeline = render::ReadTimelineFile(options.timeline);
        if (options.piece) RunPiece(options, timeline);
        else Render(options, timeline);
        return 0;
    } catch (const render::Interrupted& e) {
        // A worker stays quiet: the program that started it says it once.
        if (!options.piece) PrintError(e.what());
        return 128 + e.signal();
    } catch (const UsageError& e) {
        PrintError(e.what());
        std::fputs(kUsage, stderr);
        return 2;
    } catch (const render::TimelineError& e) {
        PrintError(e.what());
        return 2;
    } catch (const render::OutputError& e) {
        PrintError(e.what());
        return 2;
    } catch (const render::WorkerFailed& e) {
        std::fputs(e.what(), stderr);  // the worker's own lines, prefix and all
        return e.status();
    } catch (const std::exception& e) {
        PrintError(e.what());
    } catch (...) {
        // A frame-server error would carry text its frame server took along; the sessions
        // copy it before that, so none should get here.
        PrintError("stopped by an error without a message");
    }
    return 1;
}
