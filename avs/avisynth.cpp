#include "avs/avisynth.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

int VideoInfo::BitsPerPixel() const {
    switch (pixel_type) {
        case CS_BGR24: return 24;
        case CS_BGR32: return 32;
        case CS_YUY2: return 16;
        case CS_YV12:
        case CS_I420: return 12;
        default: return 0;
    }
}

int VideoInfo::BMPSize() const {
    if (IsPlanar()) {
        // Luma rows padded to 4 bytes, plus two chroma planes of a quarter each.
        const int p = height * ((RowSize() + 3) & ~3);
        return p + p / 2;
    }
    return height * ((RowSize() + 3) & ~3);
}

int64_t VideoInfo::AudioSamplesFromFrames(int64_t frames) const {
    return (fps_numerator && HasAudio())
               ? frames * audio_samples_per_second * static_cast<int64_t>(fps_denominator) / fps_numerator
               : 0;
}

int VideoInfo::FramesFromAudioSamples(int64_t samples) const {
    return (fps_denominator && HasAudio())
               ? static_cast<int>(samples * static_cast<int64_t>(fps_numerator) /
                                  (static_cast<int64_t>(fps_denominator) * audio_samples_per_second))
               : 0;
}

int64_t VideoInfo::AudioSamplesFromBytes(int64_t bytes) const {
    return HasAudio() && BytesPerAudioSample() ? bytes / BytesPerAudioSample() : 0;
}

int VideoInfo::BytesPerChannelSample() const {
    switch (sample_type) {
        case SAMPLE_INT8: return 1;
        case SAMPLE_INT16: return 2;
        case SAMPLE_INT24: return 3;
        case SAMPLE_INT32:
        case SAMPLE_FLOAT: return 4;
        default: return 0;
    }
}

void VideoInfo::SetFieldBased(bool isfieldbased) {
    if (isfieldbased)
        image_type |= IT_FIELDBASED;
    else
        image_type &= ~IT_FIELDBASED;
}

static unsigned Gcd(unsigned a, unsigned b) {
    while (b) {
        const unsigned t = a % b;
        a = b;
        b = t;
    }
    return a;
}

void VideoInfo::SetFPS(unsigned numerator, unsigned denominator) {
    const unsigned g = Gcd(numerator, denominator);
    fps_numerator = g ? numerator / g : numerator;
    fps_denominator = g ? denominator / g : denominator;
}

void VideoInfo::MulDivFPS(unsigned multiplier, unsigned divisor) {
    uint64_t num = static_cast<uint64_t>(fps_numerator) * multiplier;
    uint64_t den = static_cast<uint64_t>(fps_denominator) * divisor;
    uint64_t a = num, b = den;
    while (b) {
        const uint64_t t = a % b;
        a = b;
        b = t;
    }
    if (a) {
        num /= a;
        den /= a;
    }
    // Keep both in 31 bits, halving together when the product grew too large.
    while (num > 0x7FFFFFFFu || den > 0x7FFFFFFFu) {
        num >>= 1;
        den >>= 1;
    }
    fps_numerator = static_cast<unsigned>(num);
    fps_denominator = static_cast<unsigned>(den ? den : 1);
}

int VideoFrame::GetRowSize(int plane) const {
    switch (plane) {
        case PLANAR_U:
        case PLANAR_V: return pitchUV ? row_size >> 1 : 0;
        case PLANAR_U_ALIGNED:
        case PLANAR_V_ALIGNED: return pitchUV ? ((row_size >> 1) + 15) & ~15 : 0;
        case PLANAR_Y_ALIGNED: return (row_size + 15) & ~15;
        default: return row_size;
    }
}

int VideoFrame::GetHeight(int plane) const {
    return (plane == PLANAR_U || plane == PLANAR_V) ? (pitchUV ? height >> 1 : 0) : height;
}

unsigned char* VideoFrame::GetWritePtr(int plane) const {
    if (plane == PLANAR_U || plane == PLANAR_V) return IsWritable() ? vfb->GetWritePtr() + GetOffset(plane) : nullptr;
    return GetWritePtr();
}

void* AVS_STDCALL IClip::DeletingDestructor(unsigned flags) {
    if (flags & 1)
        delete this;
    else
        this->~IClip();
    return this;
}

void* AVS_STDCALL IScriptEnvironment::DeletingDestructor(unsigned flags) {
    if (flags & 1)
        delete this;
    else
        this->~IScriptEnvironment();
    return this;
}

void IScriptEnvironment::ThrowError(const char* fmt, ...) {
    va_list args, again;
    va_start(args, fmt);
    va_copy(again, args);
    const int n = std::vsnprintf(nullptr, 0, fmt, args);
    std::vector<char> text(n > 0 ? static_cast<size_t>(n) + 1 : 1);
    std::vsnprintf(text.data(), text.size(), fmt, again);
    va_end(again);
    va_end(args);
    avs::CallOut([&] { ThrowErrorSlot("%s", text.data()); });
    __builtin_unreachable();
}

PVideoFrame* AVS_STDCALL GenericVideoFilter::GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) {
    return avs::Entry([&] { return ReturnInto(result, child->GetFrame(n, env)); });
}

void AVS_STDCALL GenericVideoFilter::GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment* env) {
    avs::Entry([&] { child->ReadAudio(buf, start, count, env); });
}
