// BlankClip: a clip of one colour and silence, shaped by a template clip or by its
// own arguments.
#include <cstdint>
#include <cstring>
#include <memory>
#include <strings.h>

#include "fserver/builtins.h"
#include "fserver/color.h"
#include "fserver/fps.h"

namespace fserver {

namespace {

enum BlankClipArg {
    kTemplate,
    kLength,
    kWidth,
    kHeight,
    kPixelType,
    kFps,
    kFpsDenominator,
    kAudioRate,
    kStereo,
    kSixteenBit,
    kColor,
    kColorYuv,
    kClip,
};

class BlankClip : public IClip {
public:
    BlankClip(const VideoInfo& vi, int color, int color_yuv, IScriptEnvironment* env);

    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) override;
    bool AVS_STDCALL GetParity(int) override { return false; }
    void AVS_STDCALL GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment* env) override;
    void AVS_STDCALL SetCacheHints(int, int) override {}
    const VideoInfo& AVS_STDCALL GetVideoInfo() override { return vi_; }
    using IClip::GetFrame;

private:
    VideoInfo vi_;
    PVideoFrame frame_;  // every frame is this one
};

BlankClip::BlankClip(const VideoInfo& vi, int color, int color_yuv, IScriptEnvironment* env) : vi_(vi) {
    if (!vi_.HasVideo()) return;
    frame_ = env->NewVideoFrame(vi_);
    uint8_t* p = frame_->GetWritePtr();
    const int pitch = frame_->GetPitch(), row = frame_->GetRowSize(), height = frame_->GetHeight();
    if (vi_.IsRGB32() || vi_.IsRGB24()) {
        const int bpp = vi_.IsRGB32() ? 4 : 3;
        const uint8_t px[4] = {static_cast<uint8_t>(color), static_cast<uint8_t>(color >> 8),
                               static_cast<uint8_t>(color >> 16), static_cast<uint8_t>(color >> 24)};
        for (int y = 0; y < height; ++y, p += pitch)
            for (int x = 0; x + bpp <= row; x += bpp) std::memcpy(p + x, px, bpp);
        return;
    }
    const uint8_t Y = static_cast<uint8_t>(color_yuv >> 16), U = static_cast<uint8_t>(color_yuv >> 8),
                  V = static_cast<uint8_t>(color_yuv);
    if (vi_.IsYUY2()) {
        const uint8_t px[4] = {Y, U, Y, V};
        for (int y = 0; y < height; ++y, p += pitch)
            for (int x = 0; x + 4 <= row; x += 4) std::memcpy(p + x, px, 4);
        return;
    }
    for (int y = 0; y < height; ++y, p += pitch) std::memset(p, Y, static_cast<size_t>(row));
    for (const auto& [plane, value] : {std::pair{PLANAR_U, U}, std::pair{PLANAR_V, V}}) {
        uint8_t* c = frame_->GetWritePtr(plane);
        for (int y = 0; y < frame_->GetHeight(plane); ++y, c += frame_->GetPitch(plane))
            std::memset(c, value, static_cast<size_t>(frame_->GetRowSize(plane)));
    }
}

PVideoFrame* AVS_STDCALL BlankClip::GetFrame(PVideoFrame* result, int, IScriptEnvironment*) {
    return new (result) PVideoFrame(frame_);
}

void AVS_STDCALL BlankClip::GetAudio(void* buf, int64_t, int64_t count, IScriptEnvironment*) {
    if (count > 0) std::memset(buf, 0, static_cast<size_t>(vi_.BytesFromAudioSamples(count)));
}

}  // namespace

AVSValue CreateBlankClip(const AVSValue& args, void*, IScriptEnvironment* env) {
    VideoInfo vi{};
    vi.width = 640;
    vi.height = 480;
    vi.fps_numerator = 24;
    vi.fps_denominator = 1;
    vi.num_frames = 240;
    vi.pixel_type = VideoInfo::CS_BGR32;
    vi.sample_type = SAMPLE_INT16;
    vi.nchannels = 1;
    vi.audio_samples_per_second = 44100;

    // A template clip (first or by name) supplies every default it has.
    PClip source;
    if (args[kTemplate].ArraySize() > 0) source = args[kTemplate][0].AsClip();
    if (args[kClip].Defined()) source = args[kClip].AsClip();
    if (source) {
        vi = source->GetVideoInfo();
        vi.image_type = 0;
    }

    vi.num_frames = args[kLength].AsInt(vi.num_frames);
    vi.width = args[kWidth].AsInt(vi.width);
    vi.height = args[kHeight].AsInt(vi.height);
    if (args[kPixelType].Defined()) {
        const char* type = args[kPixelType].AsString();
        if (strcasecmp(type, "RGB32") == 0) vi.pixel_type = VideoInfo::CS_BGR32;
        else if (strcasecmp(type, "RGB24") == 0) vi.pixel_type = VideoInfo::CS_BGR24;
        else if (strcasecmp(type, "YV12") == 0) vi.pixel_type = VideoInfo::CS_YV12;
        else if (strcasecmp(type, "YUY2") == 0) vi.pixel_type = VideoInfo::CS_YUY2;
        else env->ThrowError("BlankClip: pixel_type must be \"RGB32\", \"RGB24\", \"YV12\" or \"YUY2\"");
    }
    if (args[kFpsDenominator].Defined()) {
        vi.SetFPS(static_cast<unsigned>(args[kFps].AsFloat(24) + 0.5), static_cast<unsigned>(args[kFpsDenominator].AsInt()));
    } else if (args[kFps].Defined()) {
        SetFloatFps(vi, args[kFps].AsFloat());
    }
    if (args[kAudioRate].Defined()) vi.audio_samples_per_second = args[kAudioRate].AsInt();
    if (args[kStereo].Defined()) vi.nchannels = args[kStereo].AsBool() ? 2 : 1;
    if (args[kSixteenBit].Defined()) vi.sample_type = args[kSixteenBit].AsBool() ? SAMPLE_INT16 : SAMPLE_FLOAT;

    if (vi.num_frames < 0) env->ThrowError("BlankClip: length must not be negative");
    if (vi.width < 0 || vi.height < 0) env->ThrowError("BlankClip: width and height must not be negative");
    if (vi.audio_samples_per_second < 0) env->ThrowError("BlankClip: audio_rate must not be negative");
    if (vi.fps_numerator == 0 || vi.fps_denominator == 0) env->ThrowError("BlankClip: fps must be positive");
    if (vi.width > 0 && vi.height == 0) vi.width = 0;  // no rows is no video
    if ((vi.IsYUY2() || vi.IsYV12()) && (vi.width & 1))
        env->ThrowError("BlankClip: YUV images must have an even width");
    if (vi.IsYV12() && (vi.height & 1)) env->ThrowError("BlankClip: YV12 images must have an even height");
    if (vi.HasAudio()) {
        if (vi.nchannels <= 0) vi.nchannels = 1;
        vi.num_audio_samples = vi.AudioSamplesFromFrames(vi.num_frames);
    } else {
        vi.num_audio_samples = 0;
    }

    const int color = args[kColor].AsInt(0);
    const int color_yuv = args[kColorYuv].Defined() ? args[kColorYuv].AsInt() : RgbToYuv(color);
    return new BlankClip(vi, color, color_yuv, env);
}

}  // namespace fserver
