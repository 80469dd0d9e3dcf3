#include "join_pieces.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include "aac_encoder.h"
#include "av_holders.h"
#include "interrupt.h"
#include "mp4_file.h"
#include "whole_write.h"

namespace render {

namespace {

constexpr int64_t kAudioChunk = 8192;  // sample frames asked of the source at a time

// A piece's length, exact in its video stream's time base, in microseconds.
double PieceMicroseconds(const std::string& piece) {
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, piece.c_str(), nullptr, nullptr) < 0) throw std::runtime_error(piece + ": cannot be read");
    const InputFormatPtr input(raw);
    const int video = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (video < 0 || input->streams[video]->duration <= 0) throw std::runtime_error(piece + ": has no video stream");
    const AVStream* st = input->streams[video];
    return 1e6 * static_cast<double>(st->duration) * st->time_base.num / st->time_base.den;
}

// The concat demuxer's list: one quoted line per piece, and its length. Inside single
// quotes nothing is special, so a quote in a name is closed, escaped and reopened.
// Without a length the demuxer takes the container's, which MP4 rounds to milliseconds,
// and a 29.97 fps piece would start late; the lengths keep their running sum within
// half a microsecond of the exact one.
std::string ConcatList(const std::vector<std::string>& pieces) {
    std::string list = "ffconcat version 1.0\n";
    double exact = 0;
    int64_t given = 0;
    for (const std::string& piece : pieces) {
        // Relative names would be taken from the list's directory, not ours.
        const std::string path = std::filesystem::absolute(piece).string();
        list += "file '";
        for (char c : path) list += c == '\'' ? std::string("'\\''") : std::string(1, c);
        exact += PieceMicroseconds(piece);
        const int64_t length = std::llround(exact) - given;
        given += length;
        char duration[64];
        std::snprintf(duration, sizeof duration, "'\nduration %lld.%06lld\n", static_cast<long long>(length / 1000000),
                      static_cast<long long>(length % 1000000));
        list += duration;
    }
    return list;
}

// The list file exists exactly as long as the join runs.
class ListFile {
public:
    ListFile(const std::string& out_path, const std::string& folder, const std::string& text) {
        std::string name = folder.empty() ? out_path + ".pieces-XXXXXX" : folder + "/pieces-XXXXXX";
        const int fd = mkstemp(name.data());
        if (fd < 0) throw std::runtime_error(name + ": cannot create the list of pieces");
        path_ = name;
        if (WriteWholeAndClose(fd, text.data(), text.size()) != 0) {
            std::remove(path_.c_str());
            throw std::runtime_error(path_ + ": cannot write the list of pieces");
        }
    }
    ~ListFile() { std::remove(path_.c_str()); }
    ListFile(const ListFile&) = delete;
    ListFile& operator=(const ListFile&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

InputFormatPtr OpenConcat(const std::string& list_path) {
    const AVInputFormat* concat = av_find_input_format("concat");
    if (!concat) throw std::runtime_error("this FFmpeg has no concat demuxer to join pieces");
    AVDictionary* options = nullptr;
    av_dict_set(&options, "safe", "0", 0);
    // Keep the pieces' length-prefixed H.264 as it is; MP4 wants it that way.
    av_dict_set(&options, "auto_convert", "0", 0);
    AVFormatContext* raw = nullptr;
    int err = avformat_open_input(&raw, list_path.c_str(), concat, &options);
    av_dict_free(&options);
    if (err < 0) throw std::runtime_error(list_path + ": cannot open the pieces: " + AvError(err));
    InputFormatPtr input(raw);
    err = avformat_find_stream_info(input.get(), nullptr);
    if (err < 0) throw std::runtime_error(list_path + ": cannot read the pieces: " + AvError(err));
    return input;
}

}  // namespace

void JoinPieces(const std::vector<std::string>& video_pieces, const Output& out, const AudioSource& audio,
                const std::string& out_path, const std::string& format, const std::string& list_folder) {
    if (video_pieces.empty()) throw std::runtime_error(out_path + ": no pieces to join");
    if (out.fps <= 0 || out.fps_denominator <= 0) throw std::runtime_error(out_path + ": frame rate must be positive");
    const ListFile list(out_path, list_folder, ConcatList(video_pieces));
    InputFormatPtr input = OpenConcat(list.path());
    const int video_index = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (video_index < 0) throw std::runtime_error(video_pieces.front() + ": has no video stream");
    const AVStream* in_stream = input->streams[video_index];

    Mp4File file(out_path, format);
    AVStream* video = file.AddStream();
    int err = avcodec_parameters_copy(video->codecpar, in_stream->codecpar);
    if (err < 0) throw std::runtime_error(out_path + ": cannot describe the video stream: " + AvError(err));
    video->codecpar->codec_tag = 0;  // let the MP4 muxer choose its own
    video->time_base = in_stream->time_base;
    video->avg_frame_rate = AVRational{out.fps, out.fps_denominator};

    const bool with_audio = out.audio_channels > 0 && static_cast<bool>(audio);
    std::optional<AacEncoder> encoder;
    if (with_audio) encoder.emplace(file, out.audio_rate, out.audio_channels);
    file.Open();

    const int64_t total_audio = static_cast<int64_t>(out.frames) * out.audio_rate * out.fps_denominator / out.fps;
    const AVRational audio_base{1, out.audio_rate};
    std::vector<int16_t> samples(with_audio ? static_cast<size_t>(kAudioChunk) * out.audio_channels : 0);
    int64_t audio_done = 0;
    // Encodes the sound up to sample frame `until`, so it lies in the file beside its video.
    auto audio_up_to = [&](int64_t until) {
        until = std::min(until, total_audio);
        while (with_audio && audio_done < until) {
            StopIfInterrupted();
            const int64_t count = std::min(kAudioChunk, until - audio_done);
            audio(samples.data(), audio_done, count);
            encoder->Write(samples.data(), count);
            audio_done += count;
        }
    };

    PacketPtr packet(av_packet_alloc());
    if (!packet) throw std::runtime_error(out_path + ": out of memory for a packet");
    const AVRational in_base = in_stream->time_base;
    int64_t last_dts = AV_NOPTS_VALUE;
    for (;;) {
        StopIfInterrupted();
        err = av_read_frame(input.get(), packet.get());
        if (err == AVERROR_EOF) break;
        if (err < 0) throw std::runtime_error(list.path() + ": cannot read the pieces: " + AvError(err));
        if (packet->stream_index != video_index) {
            av_packet_unref(packet.get());
            continue;
        }
        // The demuxer already offsets each piece by the ones before; this only guards
        // against a join that would step back or stand still.
        if (packet->dts == AV_NOPTS_VALUE) packet->dts = packet->pts;
        if (last_dts != AV_NOPTS_VALUE && (packet->dts == AV_NOPTS_VALUE || packet->dts <= last_dts))
            packet->dts = last_dts + 1;
        if (packet->pts == AV_NOPTS_VALUE || packet->pts < packet->dts) packet->pts = packet->dts;
        last_dts = packet->dts;
        audio_up_to(av_rescale_q(packet->dts + packet->duration, in_base, audio_base));
        packet->stream_index = video->index;
        packet->pos = -1;
        file.Write(packet.get(), in_base);
    }
    if (last_dts == AV_NOPTS_VALUE) throw std::runtime_error(list.path() + ": the pieces hold no video");
    audio_up_to(total_audio);
    if (encoder) encoder->Finish();
    file.Finish();
}

}  // namespace render
