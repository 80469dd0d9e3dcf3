#include "render_job.h"

#include <cstdio>
#include <vector>

#include "interrupt.h"
#include "png_frames.h"
#include "video_writer.h"

namespace render {

std::string FrameFileName(int n) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06d.png", n);
    return name;
}

void RenderMp4(const Session& session, FrameRange range, bool with_audio, const std::string& path,
               const FramesDone& done, const std::string& format) {
    const Output& o = session.Format();
    const VideoInfo& vi = session.Main()->GetVideoInfo();
    Mp4Writer writer(path, o, with_audio, format);
    std::vector<int16_t> samples;
    for (int n = range.first; n < range.end; ++n) {
        StopIfInterrupted();
        const PVideoFrame f = session.Frame(n);
        writer.WriteVideo(f->GetReadPtr(), f->GetPitch());
        if (with_audio) {
            // Each frame's own samples, so that the whole equals the track in one piece.
            const int64_t start = vi.AudioSamplesFromFrames(n), count = vi.AudioSamplesFromFrames(n + 1) - start;
            samples.resize(static_cast<size_t>(count * o.audio_channels));
            session.Audio(samples.data(), start, count);
            writer.WriteAudio(samples.data(), count);
        }
        if (done) done(n - range.first + 1);
    }
    writer.Finish();
}

void RenderPngs(const Session& session, FrameRange range, const std::string& dir, const FramesDone& done) {
    const Output& o = session.Format();
    std::vector<std::string> written;
    try {
        for (int n = range.first; n < range.end; ++n) {
            StopIfInterrupted();
            const PVideoFrame f = session.Frame(n);
            written.push_back(dir + "/" + FrameFileName(n));
            WritePngFrame(written.back(), f->GetReadPtr(), f->GetPitch(), o.width, o.height);
            if (done) done(n - range.first + 1);
        }
    } catch (...) {
        for (const std::string& file : written) std::remove(file.c_str());
        throw;
    }
}

void RenderOnePng(const Session& session, int n, const std::string& path, const std::string& shown) {
    const PVideoFrame f = session.Frame(n);
    WritePngFrame(path, f->GetReadPtr(), f->GetPitch(), session.Format().width, session.Format().height, shown);
}

}  // namespace render
