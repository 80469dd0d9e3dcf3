#include "progress.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace render {

namespace {

std::string Clock(long seconds) {
    char text[32];
    if (seconds >= 3600)
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60, seconds % 60);
    else
        std::snprintf(text, sizeof text, "%ld:%02ld", seconds / 60, seconds % 60);
    return text;
}

}  // namespace

std::string FormatProgress(int done, int total, double elapsed_seconds, int bar_width) {
    done = std::clamp(done, 0, std::max(total, 0));
    const int filled = total > 0 ? static_cast<int>(static_cast<int64_t>(done) * bar_width / total) : bar_width;
    const double fps = elapsed_seconds > 0 ? done / elapsed_seconds : 0.0;
    std::string left;
    if (done >= total) left = "0:00";
    else if (fps > 0) left = Clock(std::lround((total - done) / fps));
    else left = "-:--";
    const int digits = static_cast<int>(std::to_string(std::max(total, 0)).size());
    char counts[96];
    std::snprintf(counts, sizeof counts, "] %*d/%d frames  %.1f fps  ", digits, done, total, fps);
    return "[" + std::string(filled, '#') + std::string(bar_width - filled, ' ') + counts + left + " left";
}

Progress::Progress(int total_frames, bool enabled, std::FILE* to)
    : total_(total_frames), enabled_(enabled), to_(to), start_(std::chrono::steady_clock::now()) {}

void Progress::Update(int frames_done) {
    done_ = frames_done;
    if (!enabled_) return;
    const auto now = std::chrono::steady_clock::now();
    if (drawn_ && frames_done < total_ && now - last_draw_ < std::chrono::milliseconds(100)) return;
    Draw(now);
}

void Progress::Finish() {
    if (!enabled_) return;
    Draw(std::chrono::steady_clock::now());
    std::fputc('\n', to_);
    std::fflush(to_);
}

void Progress::Draw(std::chrono::steady_clock::time_point now) {
    const double elapsed = std::chrono::duration<double>(now - start_).count();
    std::fprintf(to_, "\r%s", FormatProgress(done_, total_, elapsed, kBarWidth).c_str());
    std::fflush(to_);
    drawn_ = true;
    last_draw_ = now;
}

}  // namespace render
