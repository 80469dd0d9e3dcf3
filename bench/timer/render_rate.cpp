// render-rate: how fast the demo timeline renders, in frames per second, measured in
// one run: composing alone, H.264 encoding of the same frames alone, and the whole
// program with --jobs 1 and --jobs 2.
//   render-rate [path/to/ferrule-render]
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

#include "tools/ferrule-render/demo_timeline.h"
#include "tools/ferrule-render/session.h"
#include "tools/ferrule-render/video_writer.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

double TimeCommand(const std::string& command) {
    const Clock::time_point start = Clock::now();
    const int rc = std::system(command.c_str());
    if (!WIFEXITED(rc) || WEXITSTATUS(rc) != 0) {
        std::fprintf(stderr, "render-rate: failed: %s\n", command.c_str());
        std::exit(1);
    }
    return Seconds(start);
}

}  // namespace

int main(int argc, char** argv) {
    av_log_set_level(AV_LOG_ERROR);
    const std::string program = argc > 1 ? argv[1] : FERRULE_RENDER_PATH;
    const fs::path dir = fs::temp_directory_path() / "ferrule-render-rate";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string timeline_path = render::WriteDemoTimeline(dir.string());
    const render::Timeline timeline = render::ReadTimelineFile(timeline_path);
    const int frames = timeline.output.frames;

    // Composing alone, the frames kept for the encoder.
    std::vector<std::vector<uint8_t>> pictures;
    int pitch = 0;
    Clock::time_point start = Clock::now();
    {
        const render::Session session(timeline);
        for (int n = 0; n < frames; ++n) {
            const PVideoFrame f = session.Frame(n);
            pitch = f->GetPitch();
            pictures.emplace_back(f->GetReadPtr(), f->GetReadPtr() + static_cast<size_t>(pitch) * f->GetHeight());
        }
    }
    const double compose = Seconds(start);

    start = Clock::now();
    {
        render::Mp4Writer writer((dir / "encode.mp4").string(), timeline.output, false);
        for (const auto& p : pictures) writer.WriteVideo(p.data(), pitch);
        writer.Finish();
    }
    const double encode = Seconds(start);

    const std::string base = "'" + program + "' '" + timeline_path + "' --quiet -o '" + (dir / "out.mp4").string() + "'";
    const double jobs1 = TimeCommand(base + " --jobs 1");
    const double jobs2 = TimeCommand(base + " --jobs 2");

    std::printf("demo: %d frames of %dx%d\n", frames, timeline.output.width, timeline.output.height);
    std::printf("%-34s %8.1f fps\n", "compose alone (one process)", frames / compose);
    std::printf("%-34s %8.1f fps\n", "H.264 encode alone (libx264)", frames / encode);
    std::printf("%-34s %8.1f fps\n", "ferrule-render --jobs 1", frames / jobs1);
    std::printf("%-34s %8.1f fps\n", "ferrule-render --jobs 2", frames / jobs2);
    std::printf("--jobs 2 against --jobs 1: %.2f times the rate\n", jobs1 / jobs2);
    fs::remove_all(dir);
    return 0;
}
