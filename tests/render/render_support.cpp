#include "render_support.h"

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "tools/ferrule-render/av_holders.h"
#include "tools/ferrule-render/video_writer.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#include <stb/stb_image.h>

namespace rtest {

Run RunRender(const std::vector<std::string>& args) {
    const TempDir scratch("ferrule-render-test-");
    std::string command = "'" FERRULE_RENDER_PATH "'";
    for (const std::string& a : args) command += " '" + a + "'";
    command += " 2>'" + scratch / "stderr" + "' >'" + scratch / "stdout" + "'";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, scratch.Read("stdout"), scratch.Read("stderr")};
}

Run RunProgram(const std::vector<std::string>& words) {
    const TempDir scratch;
    std::string command;
    for (const std::string& w : words) command += " '" + w + "'";
    command += " 2>'" + scratch / "stderr" + "' >'" + scratch / "stdout" + "'";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, scratch.Read("stdout"), scratch.Read("stderr")};
}

void WriteClip(const std::string& path, int width, int height, int frames) {
    render::Output out;
    out.width = width;
    out.height = height;
    out.frames = frames;
    const int pitch = width * 3;
    std::vector<uint8_t> frame(static_cast<size_t>(pitch) * height);
    std::vector<int16_t> tone;
    av_log_set_level(AV_LOG_ERROR);  // not the encoders' statistics
    render::Mp4Writer writer(path, out, true);
    for (int n = 0; n < frames; ++n) {
        for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(int(i / 3 % size_t(width)) < width / 2 ? 40 + 8 * n : 200);
        writer.WriteVideo(frame.data(), pitch);
        const int64_t first = int64_t(n) * out.audio_rate / out.fps, count = int64_t(n + 1) * out.audio_rate / out.fps - first;
        tone.resize(static_cast<size_t>(count) * out.audio_channels);
        for (int64_t i = 0; i < count; ++i)
            for (int c = 0; c < out.audio_channels; ++c)
                tone[static_cast<size_t>(i * out.audio_channels + c)] =
                    static_cast<int16_t>(6000 * std::sin(2 * M_PI * 440 * double(first + i) / out.audio_rate));
        writer.WriteAudio(tone.data(), count);
    }
    writer.Finish();
}

MediaInfo ReadMedia(const std::string& path) {
    MediaInfo info;
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) return info;
    const render::InputFormatPtr in(raw);
    if (avformat_find_stream_info(in.get(), nullptr) < 0) return info;
    const int video = av_find_best_stream(in.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (video < 0) return info;
    info.container = in->iformat->name;
    info.width = in->streams[video]->codecpar->width;
    info.height = in->streams[video]->codecpar->height;
    const render::PacketPtr packet(av_packet_alloc());
    while (av_read_frame(in.get(), packet.get()) == 0) {
        info.video_frames += packet->stream_index == video;
        av_packet_unref(packet.get());
    }
    return info;
}

Png ReadPng(const std::string& path) {
    Png png;
    int channels = 0;
    stbi_uc* pixels = stbi_load(path.c_str(), &png.width, &png.height, &channels, 3);
    if (!pixels) return png;
    png.rgb.assign(pixels, pixels + static_cast<size_t>(png.width) * png.height * 3);
    stbi_image_free(pixels);
    return png;
}

}  // namespace rtest
