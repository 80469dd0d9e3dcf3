#include "render_support.h"

#include <sys/wait.h>

#include <cstdlib>
#include <stdexcept>

#include "tools/ferrule-render/av_holders.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#include <stb/stb_image.h>

namespace rtest {

namespace {

Run Shell(std::string command) {
    const TempDir scratch("ferrule-render-test-");
    command += " 2>'" + scratch / "stderr" + "' >'" + scratch / "stdout" + "'";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, scratch.Read("stdout"), scratch.Read("stderr")};
}

void Check(int r, const std::string& what) {
    if (r < 0) throw std::runtime_error(what + ": " + render::AvError(r));
}

}  // namespace

Run RunRender(const std::vector<std::string>& args, const std::string& cwd) {
    std::string command = cwd.empty() ? "" : "cd '" + cwd + "' && ";
    command += "'" FERRULE_RENDER_PATH "'";
    for (const std::string& a : args) command += " '" + a + "'";
    return Shell(command);
}

Run RunProgram(const std::vector<std::string>& words) {
    std::string command;
    for (const std::string& w : words) command += " '" + w + "'";
    return Shell(command);
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

Decoded Decode(const std::string& path) {
    Decoded d;
    AVFormatContext* raw = nullptr;
    Check(avformat_open_input(&raw, path.c_str(), nullptr, nullptr), path);
    const render::InputFormatPtr in(raw);
    Check(avformat_find_stream_info(in.get(), nullptr), path);
    d.container = in->iformat->name;
    std::vector<render::CodecContextPtr> decoders(in->nb_streams);
    for (unsigned i = 0; i < in->nb_streams; ++i) {
        const AVCodec* codec = avcodec_find_decoder(in->streams[i]->codecpar->codec_id);
        decoders[i].reset(avcodec_alloc_context3(codec));
        avcodec_parameters_to_context(decoders[i].get(), in->streams[i]->codecpar);
        decoders[i]->pkt_timebase = in->streams[i]->time_base;
        Check(avcodec_open2(decoders[i].get(), codec, nullptr), "decoder");
    }
    const render::PacketPtr packet(av_packet_alloc());
    const render::FramePtr frame(av_frame_alloc());
    const auto receive = [&](unsigned index) {
        AVCodecContext* dec = decoders[index].get();
        while (avcodec_receive_frame(dec, frame.get()) == 0) {
            if (dec->codec_type == AVMEDIA_TYPE_VIDEO) {
                d.width = frame->width, d.height = frame->height;
                d.frame_times.push_back(frame->best_effort_timestamp * av_q2d(in->streams[index]->time_base));
                double sum = 0;
                for (int y = 0; y < frame->height; ++y)
                    for (int x = 0; x < frame->width; ++x) sum += frame->data[0][y * frame->linesize[0] + x];
                d.frame_luma.push_back(sum / (frame->width * frame->height));
            } else if (dec->codec_type == AVMEDIA_TYPE_AUDIO) {
                // What the program writes, AAC, decodes to planar float.
                if (frame->format != AV_SAMPLE_FMT_FLTP) throw std::runtime_error("audio is not planar float");
                d.audio_rate = frame->sample_rate;
                d.channels = frame->ch_layout.nb_channels;
                for (int i = 0; i < frame->nb_samples; ++i)
                    for (int c = 0; c < d.channels; ++c)
                        d.audio.push_back(reinterpret_cast<const float*>(frame->extended_data[c])[i]);
            }
            av_frame_unref(frame.get());
        }
    };
    while (av_read_frame(in.get(), packet.get()) == 0) {
        const auto index = static_cast<unsigned>(packet->stream_index);
        avcodec_send_packet(decoders[index].get(), packet.get());
        av_packet_unref(packet.get());
        receive(index);
    }
    for (unsigned i = 0; i < in->nb_streams; ++i) {
        avcodec_send_packet(decoders[i].get(), nullptr);
        receive(i);
    }
    return d;
}

}  // namespace rtest
