// SampleReader: the audio stream of a media file as numbered samples, read in any order.
//
// Sample k is the k-th sample the decoder gives when it runs from the start of the
// file. Timestamps alone cannot find that count again after a seek: Matroska's are in
// milliseconds, a decoder drops its priming samples only when it starts at the
// beginning, and a lossy decoder needs the frames before a point to decode it as it did
// the first time. So the first timestamp and the sample of every frame decoded in a run
// from the start are remembered; a later request seeks to a remembered frame some way
// before it (the pre-roll) and counts on from there. Requests past what has been
// decoded decode on to it, except that a container whose timestamps resolve single
// samples (MP4, WAV, AVI, Ogg) jumps more than ten seconds ahead by timestamp.
// The one thing no seek gives back is noise a decoder makes up (AAC's noise
// substitution): its generator runs on from the start, so such bands sound alike but
// differ in their samples.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "avs/avisynth.h"
#include "fserver/ffmpeg/av_ptr.h"
#include "fserver/ffmpeg/stream_decoder.h"

namespace fserver {

class SampleReader {
public:
    // As StreamDecoder::Open, for the file's best audio stream.
    int Open(const char* path);
    const StreamDecoder& decoder() const { return decoder_; }

    // Sets the samples' layout: interleaved, in sample_type (SAMPLE_INT16 or SAMPLE_FLOAT).
    void SetOutput(int rate, int channels, int sample_type);

    // count samples from start into out; silence where the stream has none, and before
    // sample 0 and from `total` on.
    void Read(uint8_t* out, int64_t start, int64_t count, int64_t total, IScriptEnvironment* env);

private:
    struct Mark {
        int64_t pts, sample;
    };
    enum class Landing { kNone, kOnMark, kByTimestamp };

    bool DecodesOnTo(int64_t pos) const;
    void Reposition(int64_t target, IScriptEnvironment* env);
    void Restart(IScriptEnvironment* env);
    void SeekToMark(const Mark& mark, IScriptEnvironment* env);
    void SeekByTimestamp(int64_t sample, IScriptEnvironment* env);
    bool NextChunk(IScriptEnvironment* env);
    bool Place(const AVFrame* f, int64_t& start);
    const Mark* MarkAt(int64_t pts) const;
    void Convert(IScriptEnvironment* env);

    StreamDecoder decoder_;
    std::string path_;
    int rate_ = 0, channels_ = 0, bytes_ = 0;
    AVSampleFormat format_ = AV_SAMPLE_FMT_NONE;
    int64_t preroll_ = 0;  // samples decoded before a seek's target to settle the decoder
    int64_t reach_ = 0;    // how far past the decoded part a request still decodes on

    AvFramePtr frame_;  // the current chunk as decoded; converted when a request reads it
    SwrPtr swr_;
    int swr_format_ = AV_SAMPLE_FMT_NONE;
    std::vector<uint8_t> chunk_;
    bool converted_ = false;
    int64_t chunk_start_ = 0, chunk_len_ = 0;
    int64_t valid_from_ = 0;  // earlier samples of this run only settled the decoder

    bool exact_ = true;  // this run counts from a known sample
    Landing landing_ = Landing::kNone;
    int64_t mark_pts_ = 0;  // the mark a seek aimed at
    int64_t sought_ = 0;    // the sample a seek by timestamp aimed at
    int64_t landed_ = -1;   // where the first chunk after it began

    std::vector<Mark> marks_;  // frames of runs from the start, ascending in both
    int64_t explored_ = 0;     // samples counted from the start so far
};

}  // namespace fserver
