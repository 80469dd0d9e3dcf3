// The 2.5 plugin interface of the frame server, binary-compatible on i686 with an
// MSVC-built frame server and host.
//
// Two MSVC rules shape every virtual below (GCC bugs 52792, 64384):
//  * a class returned by value comes back through a pointer passed right after `this`
//    (GCC would pass it before `this`), and that pointer is returned in EAX;
//  * a class passed by value is copied onto the stack and destroyed by the callee
//    (GCC would pass a pointer to a caller-owned temporary).
// So each such virtual is declared in MSVC terms (explicit result pointer, raw value
// words), and an inline helper of the same name keeps the ordinary call at the source
// level. Implementations override the explicit form. The same shape is used on every
// build so that one code path is tested everywhere.
//
// Every call to the other side goes through a guard and every entry from it through
// another (avs/seh_boundary.h), so that the other side's SEH-raised exceptions unwind
// our frames; the inline helpers below hold the guards of the calls out.
//
// MSVC gives a virtual destructor a single slot (the deleting destructor, with a flags
// argument). That slot is declared explicitly where MSVC puts it; GCC's own destructor
// pair is declared after every MSVC slot and is only ever reached on objects we built.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

#include "avs/seh_boundary.h"

#if defined(__i386__)
#define AVS_STDCALL __attribute__((stdcall))
#define AVS_CDECL __attribute__((cdecl))
#else
#define AVS_STDCALL
#define AVS_CDECL
#endif

enum { AVISYNTH_INTERFACE_VERSION = 2 };
enum { FRAME_ALIGN = 16 };

class IClip;
class IScriptEnvironment;
class VideoFrame;

// ---------------------------------------------------------------------------------------
// VideoInfo: 48 bytes on every 32-bit build.

struct VideoInfo {
    int width, height;  // width == 0 means no video
    unsigned fps_numerator, fps_denominator;
    int num_frames;

    enum : int {
        CS_BGR = 1 << 28,
        CS_YUV = 1 << 29,
        CS_INTERLEAVED = 1 << 30,
        CS_PLANAR = static_cast<int>(0x80000000u),
    };
    enum : int {
        CS_UNKNOWN = 0,
        CS_BGR24 = 1 << 0 | CS_BGR | CS_INTERLEAVED,
        CS_BGR32 = 1 << 1 | CS_BGR | CS_INTERLEAVED,
        CS_YUY2 = 1 << 2 | CS_YUV | CS_INTERLEAVED,
        CS_YV12 = 1 << 3 | CS_YUV | CS_PLANAR,
        CS_I420 = 1 << 4 | CS_YUV | CS_PLANAR,
        CS_IYUV = CS_I420,
    };
    int pixel_type;

    int audio_samples_per_second;  // 0 means no audio
    int sample_type;
    alignas(8) int64_t num_audio_samples;
    int nchannels;

    enum : int { IT_BFF = 1 << 0, IT_TFF = 1 << 1, IT_FIELDBASED = 1 << 2 };
    int image_type;

    bool HasVideo() const { return width != 0; }
    bool HasAudio() const { return audio_samples_per_second != 0; }
    bool IsRGB() const { return (pixel_type & CS_BGR) != 0; }
    bool IsRGB24() const { return (pixel_type & CS_BGR24) == CS_BGR24; }
    bool IsRGB32() const { return (pixel_type & CS_BGR32) == CS_BGR32; }
    bool IsYUV() const { return (pixel_type & CS_YUV) != 0; }
    bool IsYUY2() const { return (pixel_type & CS_YUY2) == CS_YUY2; }
    bool IsYV12() const { return (pixel_type & CS_YV12) == CS_YV12 || (pixel_type & CS_I420) == CS_I420; }
    bool IsColorSpace(int c_space) const { return (pixel_type & c_space) == c_space; }
    bool Is(int property) const { return (pixel_type & property) == property; }
    bool IsPlanar() const { return (pixel_type & CS_PLANAR) != 0; }
    bool IsFieldBased() const { return (image_type & IT_FIELDBASED) != 0; }
    bool IsParityKnown() const { return (image_type & IT_FIELDBASED) && (image_type & (IT_BFF | IT_TFF)); }
    bool IsBFF() const { return (image_type & IT_BFF) != 0; }
    bool IsTFF() const { return (image_type & IT_TFF) != 0; }

    int BitsPerPixel() const;
    int BytesFromPixels(int pixels) const { return pixels * (BitsPerPixel() >> 3); }
    int RowSize() const { return BytesFromPixels(width); }
    int BMPSize() const;

    int64_t AudioSamplesFromFrames(int64_t frames) const;
    int FramesFromAudioSamples(int64_t samples) const;
    int64_t AudioSamplesFromBytes(int64_t bytes) const;
    int64_t BytesFromAudioSamples(int64_t samples) const { return samples * BytesPerAudioSample(); }
    int AudioChannels() const { return nchannels; }
    int SampleType() const { return sample_type; }
    bool IsSampleType(int testtype) const { return (sample_type & testtype) != 0; }
    int SamplesPerSecond() const { return audio_samples_per_second; }
    int BytesPerAudioSample() const { return nchannels * BytesPerChannelSample(); }
    int BytesPerChannelSample() const;

    void SetFieldBased(bool isfieldbased);
    void SetFPS(unsigned numerator, unsigned denominator);
    void MulDivFPS(unsigned multiplier, unsigned divisor);
};

static_assert(sizeof(int) == 4);
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(VideoInfo) == 48);
static_assert(offsetof(VideoInfo, pixel_type) == 20);
static_assert(offsetof(VideoInfo, sample_type) == 28);
static_assert(offsetof(VideoInfo, num_audio_samples) == 32);
static_assert(offsetof(VideoInfo, nchannels) == 40);
static_assert(offsetof(VideoInfo, image_type) == 44);
#endif

enum {
    SAMPLE_INT8 = 1 << 0,
    SAMPLE_INT16 = 1 << 1,
    SAMPLE_INT24 = 1 << 2,
    SAMPLE_INT32 = 1 << 3,
    SAMPLE_FLOAT = 1 << 4,
};

enum {
    PLANAR_Y = 1 << 0,
    PLANAR_U = 1 << 1,
    PLANAR_V = 1 << 2,
    PLANAR_ALIGNED = 1 << 3,
    PLANAR_Y_ALIGNED = PLANAR_Y | PLANAR_ALIGNED,
    PLANAR_U_ALIGNED = PLANAR_U | PLANAR_ALIGNED,
    PLANAR_V_ALIGNED = PLANAR_V | PLANAR_ALIGNED,
};

enum { CACHE_NOTHING = 0, CACHE_RANGE = 1, CACHE_ALL = 2 };

// ---------------------------------------------------------------------------------------
// Frames. Only the frame server creates and recycles them: dropping the last reference
// returns a frame to its pool, it never deletes it.

class VideoFrameBuffer {
    unsigned char* const data;
    const int data_size;
    // Advanced by every write access, so stale views can tell the pixels changed.
    volatile int32_t sequence_number;
    volatile int32_t refcount;
    friend class VideoFrame;

public:
    VideoFrameBuffer(unsigned char* storage, int size) : data(storage), data_size(size), sequence_number(0), refcount(0) {}
    VideoFrameBuffer(const VideoFrameBuffer&) = delete;
    VideoFrameBuffer& operator=(const VideoFrameBuffer&) = delete;

    const unsigned char* GetReadPtr() const { return data; }
    unsigned char* GetWritePtr() { __atomic_add_fetch(&sequence_number, 1, __ATOMIC_RELAXED); return data; }
    int GetDataSize() const { return data_size; }
    int GetSequenceNumber() const { return sequence_number; }
    int GetRefcount() const { return refcount; }
};

class VideoFrame {
    volatile int32_t refcount;
    VideoFrameBuffer* const vfb;
    const int offset, pitch, row_size, height, offsetU, offsetV, pitchUV;
    friend class PVideoFrame;

    void AddRef() { __atomic_add_fetch(&refcount, 1, __ATOMIC_ACQ_REL); }
    void Release() {
        if (refcount == 1) __atomic_sub_fetch(&vfb->refcount, 1, __ATOMIC_ACQ_REL);
        __atomic_sub_fetch(&refcount, 1, __ATOMIC_ACQ_REL);
    }

public:
    VideoFrame(VideoFrameBuffer* buffer, int offset_, int pitch_, int row_size_, int height_)
        : VideoFrame(buffer, offset_, pitch_, row_size_, height_, offset_, offset_, 0) {}
    VideoFrame(VideoFrameBuffer* buffer, int offset_, int pitch_, int row_size_, int height_, int offsetU_,
               int offsetV_, int pitchUV_)
        : refcount(0), vfb(buffer), offset(offset_), pitch(pitch_), row_size(row_size_), height(height_),
          offsetU(offsetU_), offsetV(offsetV_), pitchUV(pitchUV_) {
        __atomic_add_fetch(&vfb->refcount, 1, __ATOMIC_ACQ_REL);
    }
    VideoFrame(const VideoFrame&) = delete;
    VideoFrame& operator=(const VideoFrame&) = delete;
    // The frame server destroys a frame only after its last reference went, which has
    // already given the buffer back.
    ~VideoFrame() = default;

    int GetPitch() const { return pitch; }
    int GetPitch(int plane) const { return (plane == PLANAR_U || plane == PLANAR_V) ? pitchUV : pitch; }
    int GetRowSize() const { return row_size; }
    int GetRowSize(int plane) const;
    int GetHeight() const { return height; }
    int GetHeight(int plane) const;
    const unsigned char* GetReadPtr() const { return vfb->GetReadPtr() + offset; }
    const unsigned char* GetReadPtr(int plane) const { return vfb->GetReadPtr() + GetOffset(plane); }
    bool IsWritable() const { return refcount == 1 && vfb->refcount == 1; }
    unsigned char* GetWritePtr() const { return IsWritable() ? vfb->GetWritePtr() + offset : nullptr; }
    unsigned char* GetWritePtr(int plane) const;

    VideoFrameBuffer* GetFrameBuffer() const { return vfb; }
    int GetOffset() const { return offset; }
    int GetOffset(int plane) const { return plane == PLANAR_U ? offsetU : plane == PLANAR_V ? offsetV : offset; }
    int GetRefcount() const { return refcount; }
};

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(VideoFrameBuffer) == 16);
static_assert(sizeof(VideoFrame) == 36);
#endif

// ---------------------------------------------------------------------------------------
// Counted references. One pointer each, so host records can hold them.

class PVideoFrame {
    VideoFrame* p;
    void Init(VideoFrame* x) {
        if (x) x->AddRef();
        p = x;
    }
    void Set(VideoFrame* x) {
        if (x) x->AddRef();
        if (p) p->Release();
        p = x;
    }

public:
    PVideoFrame() : p(nullptr) {}
    PVideoFrame(VideoFrame* x) { Init(x); }
    PVideoFrame(const PVideoFrame& x) { Init(x.p); }
    PVideoFrame(PVideoFrame&& x) noexcept : p(std::exchange(x.p, nullptr)) {}
    PVideoFrame& operator=(VideoFrame* x) { Set(x); return *this; }
    PVideoFrame& operator=(const PVideoFrame& x) { Set(x.p); return *this; }
    PVideoFrame& operator=(PVideoFrame&& x) noexcept {
        if (this != &x) {
            if (p) p->Release();
            p = std::exchange(x.p, nullptr);
        }
        return *this;
    }
    ~PVideoFrame() { if (p) p->Release(); }

    VideoFrame* operator->() const { return p; }
    VideoFrame* get() const { return p; }
    // Hands the reference over to whoever receives the pointer, and back.
    VideoFrame* release() { return std::exchange(p, nullptr); }
    static PVideoFrame Adopt(VideoFrame* x) {
        PVideoFrame f;
        f.p = x;
        return f;
    }
    explicit operator bool() const { return p != nullptr; }
    bool operator!() const { return p == nullptr; }
};

class PClip {
    IClip* p;
    void Init(IClip* x);
    void Set(IClip* x);
    friend class AVSValue;

public:
    PClip() : p(nullptr) {}
    PClip(IClip* x) { Init(x); }
    PClip(const PClip& x) { Init(x.p); }
    PClip(PClip&& x) noexcept : p(std::exchange(x.p, nullptr)) {}
    PClip& operator=(IClip* x) { Set(x); return *this; }
    PClip& operator=(const PClip& x) { Set(x.p); return *this; }
    PClip& operator=(PClip&& x) noexcept;
    ~PClip();

    IClip* operator->() const { return p; }
    IClip* get() const { return p; }
    explicit operator bool() const { return p != nullptr; }
    bool operator!() const { return p == nullptr; }
};

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(PVideoFrame) == 4 && sizeof(PClip) == 4);
#endif

// ---------------------------------------------------------------------------------------
// Script values.

// The two words of an AVSValue as they travel by value between compilers. Whoever
// receives one owns the clip reference it may carry.
struct AVSValueRaw {
    short type;
    short array_size;
    union {
        IClip* clip;
        bool boolean;
        int integer;
        float floating_pt;
        const char* string;
        const void* array;
    };
};

class AVSValue {
public:
    AVSValue() : type('v'), array_size(0), clip(nullptr) {}
    AVSValue(IClip* c);
    AVSValue(const PClip& c) : AVSValue(c.get()) {}
    AVSValue(bool b) : type('b'), array_size(0), clip(nullptr) { boolean = b; }
    AVSValue(int i) : type('i'), array_size(0), clip(nullptr) { integer = i; }
    AVSValue(float f) : type('f'), array_size(0), clip(nullptr) { floating_pt = f; }
    AVSValue(double f) : AVSValue(static_cast<float>(f)) {}
    AVSValue(const char* s) : type('s'), array_size(0), clip(nullptr) { string = s; }
    // The elements are borrowed, as the frame server's arrays always are.
    AVSValue(const AVSValue* a, int size) : type('a'), array_size(static_cast<short>(size)), clip(nullptr) { array = a; }
    AVSValue(const AVSValue& v) { Assign(v, true); }
    AVSValue(AVSValue&& v) noexcept;
    ~AVSValue();
    AVSValue& operator=(const AVSValue& v) {
        Assign(v, false);
        return *this;
    }
    AVSValue& operator=(AVSValue&& v) noexcept;

    // Takes over a value handed across the boundary, with its clip reference.
    static AVSValue Adopt(const AVSValueRaw& raw);
    // A copy whose clip reference now belongs to the receiver of the words.
    AVSValueRaw CopyRaw() const;

    bool Defined() const { return type != 'v'; }
    bool IsClip() const { return type == 'c'; }
    bool IsBool() const { return type == 'b'; }
    bool IsInt() const { return type == 'i'; }
    bool IsFloat() const { return type == 'f' || type == 'i'; }  // ints pass as floats
    bool IsString() const { return type == 's'; }
    bool IsArray() const { return type == 'a'; }
    char Type() const { return static_cast<char>(type); }

    PClip AsClip() const;
    bool AsBool() const { return boolean; }
    int AsInt() const { return integer; }
    double AsFloat() const { return IsInt() ? integer : floating_pt; }
    const char* AsString() const { return IsString() ? string : nullptr; }
    bool AsBool(bool def) const { return IsBool() ? boolean : def; }
    int AsInt(int def) const { return IsInt() ? integer : def; }
    double AsFloat(double def) const { return IsInt() ? integer : type == 'f' ? floating_pt : def; }
    const char* AsString(const char* def) const { return IsString() ? string : def; }

    int ArraySize() const { return IsArray() ? array_size : 1; }
    const AVSValue& operator[](int index) const {
        return (IsArray() && index >= 0 && index < array_size) ? array[index] : *this;
    }

private:
    short type;  // 'a'rray, 'c'lip, 'b'ool, 'i'nt, 'f'loat, 's'tring, 'v'oid
    short array_size;
    union {
        IClip* clip;
        bool boolean;
        int integer;
        float floating_pt;
        const char* string;
        const AVSValue* array;
    };
    void Assign(const AVSValue& src, bool init);
};

static_assert(sizeof(AVSValue) == sizeof(AVSValueRaw));
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(AVSValue) == 8);
#endif

// ---------------------------------------------------------------------------------------
// Clips. Slot order: GetVersion, GetFrame, GetParity, GetAudio, SetCacheHints,
// GetVideoInfo, deleting destructor.

class IClip {
    friend class PClip;
    friend class AVSValue;
    volatile int32_t refcnt = 0;
    void AddRef() { __atomic_add_fetch(&refcnt, 1, __ATOMIC_ACQ_REL); }
    void Release() {
        if (__atomic_sub_fetch(&refcnt, 1, __ATOMIC_ACQ_REL) == 0) DeletingDestructor(1);
    }

public:
    IClip() = default;
    IClip(const IClip&) = delete;
    IClip& operator=(const IClip&) = delete;

    virtual int AVS_STDCALL GetVersion() { return AVISYNTH_INTERFACE_VERSION; }
    virtual PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) = 0;
    virtual bool AVS_STDCALL GetParity(int n) = 0;
    virtual void AVS_STDCALL GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment* env) = 0;
    virtual void AVS_STDCALL SetCacheHints(int cachehints, int frame_range) = 0;
    virtual const VideoInfo& AVS_STDCALL GetVideoInfo() = 0;
    // Bit 0 of flags: free the storage too.
    virtual void* AVS_STDCALL DeletingDestructor(unsigned flags);
    virtual ~IClip() = default;

    PVideoFrame GetFrame(int n, IScriptEnvironment* env);
    // GetAudio as a guarded call out.
    void ReadAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment* env) {
        avs::CallOut([&] { GetAudio(buf, start, count, env); });
    }
    int GetRefcount() const { return refcnt; }
};

// Writes a by-value result where the caller asked for it.
template <class T>
inline T* ReturnInto(T* result, T&& value) {
    return new (result) T(std::move(value));
}

// ---------------------------------------------------------------------------------------
// The environment. Slot order as the frame server lays it out, destructor first.

class IScriptEnvironment {
public:
    // A create function: result pointer first, argument words owned by the callee.
    typedef AVSValue*(AVS_CDECL* ApplyFunc)(AVSValue* result, AVSValueRaw args, void* user_data,
                                             IScriptEnvironment* env);
    typedef void(AVS_CDECL* ShutdownFunc)(void* user_data, IScriptEnvironment* env);
    class NotFound {};
    enum PlanarChromaAlignmentMode { PlanarChromaAlignmentOff, PlanarChromaAlignmentOn, PlanarChromaAlignmentTest };

    virtual void* AVS_STDCALL DeletingDestructor(unsigned flags);                          // 0
    virtual long AVS_STDCALL GetCPUFlags() = 0;                                             // 1
    virtual char* AVS_STDCALL SaveString(const char* s, int length = -1) = 0;               // 2
    virtual char* AVS_CDECL Sprintf(const char* fmt, ...) = 0;                              // 3
    virtual char* AVS_STDCALL VSprintf(const char* fmt, void* val) = 0;                     // 4
    // Called through ThrowError below, always with "%s" and a finished message.
    [[noreturn]] virtual void AVS_CDECL ThrowErrorSlot(const char* fmt, ...) = 0;           // 5
    virtual void AVS_STDCALL AddFunction(const char* name, const char* params, ApplyFunc apply,
                                         void* user_data) = 0;                              // 6
    virtual bool AVS_STDCALL FunctionExists(const char* name) = 0;                          // 7
    virtual AVSValue* AVS_STDCALL Invoke(AVSValue* result, const char* name, AVSValueRaw args,
                                         const char** arg_names) = 0;                       // 8
    virtual AVSValue* AVS_STDCALL GetVar(AVSValue* result, const char* name) = 0;           // 9
    virtual bool AVS_STDCALL SetVar(const char* name, const AVSValue& val) = 0;             // 10
    virtual bool AVS_STDCALL SetGlobalVar(const char* name, const AVSValue& val) = 0;       // 11
    virtual void AVS_STDCALL PushContext(int level = 0) = 0;                                // 12
    virtual void AVS_STDCALL PopContext() = 0;                                              // 13
    virtual PVideoFrame* AVS_STDCALL NewVideoFrame(PVideoFrame* result, const VideoInfo& vi,
                                                   int align) = 0;                          // 14
    virtual bool AVS_STDCALL MakeWritable(PVideoFrame* pvf) = 0;                            // 15
    virtual void AVS_STDCALL BitBlt(unsigned char* dstp, int dst_pitch, const unsigned char* srcp,
                                    int src_pitch, int row_size, int height) = 0;           // 16
    virtual void AVS_STDCALL AtExit(ShutdownFunc function, void* user_data) = 0;            // 17
    virtual void AVS_STDCALL CheckVersion(int version = AVISYNTH_INTERFACE_VERSION) = 0;    // 18
    // src is a frame reference handed over by value: the callee releases it.
    virtual PVideoFrame* AVS_STDCALL Subframe(PVideoFrame* result, VideoFrame* src, int rel_offset, int new_pitch,
                                              int new_row_size, int new_height) = 0;        // 19
    virtual int AVS_STDCALL SetMemoryMax(int mem) = 0;                                      // 20
    virtual int AVS_STDCALL SetWorkingDir(const char* newdir) = 0;                          // 21
    virtual void* AVS_STDCALL ManageCache(int key, void* data) = 0;                         // 22
    virtual bool AVS_STDCALL PlanarChromaAlignment(PlanarChromaAlignmentMode key) = 0;      // 23
    virtual PVideoFrame* AVS_STDCALL SubframePlanar(PVideoFrame* result, VideoFrame* src, int rel_offset,
                                                    int new_pitch, int new_row_size, int new_height,
                                                    int rel_offsetU, int rel_offsetV,
                                                    int new_pitchUV) = 0;                   // 24
    virtual ~IScriptEnvironment() = default;

    AVSValue Invoke(const char* name, const AVSValue& args, const char** arg_names = nullptr);
    AVSValue GetVar(const char* name);
    PVideoFrame NewVideoFrame(const VideoInfo& vi, int align = FRAME_ALIGN);
    PVideoFrame Subframe(const PVideoFrame& src, int rel_offset, int new_pitch, int new_row_size, int new_height);
    // Formats here and hands the server the finished text: a variadic call cannot be
    // forwarded through the guard.
    [[noreturn]] void ThrowError(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
};

// Adapts an ordinary create function to the boundary form of ApplyFunc.
template <AVSValue (*Create)(const AVSValue& args, void* user_data, IScriptEnvironment* env)>
AVSValue* AVS_CDECL ApplyAdapter(AVSValue* result, AVSValueRaw args, void* user_data, IScriptEnvironment* env) {
    return avs::Entry([&] {
        const AVSValue owned = AVSValue::Adopt(args);  // the callee destroys its by-value argument
        return ReturnInto(result, Create(owned, user_data, env));
    });
}

// ---------------------------------------------------------------------------------------

class AvisynthError {
public:
    const char* const msg;
    explicit AvisynthError(const char* message) : msg(message) {}
};

// The pass-through filter: a child clip and a copy of its format.
class GenericVideoFilter : public IClip {
protected:
    PClip child;
    VideoInfo vi;

public:
    explicit GenericVideoFilter(PClip child_) : child(std::move(child_)), vi(child->GetVideoInfo()) {}
    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) override;
    void AVS_STDCALL GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment* env) override;
    const VideoInfo& AVS_STDCALL GetVideoInfo() override { return vi; }
    bool AVS_STDCALL GetParity(int n) override { return child->GetParity(n); }
    void AVS_STDCALL SetCacheHints(int, int) override {}
    using IClip::GetFrame;
};

// ---------------------------------------------------------------------------------------
// Inline helpers that keep the source-level calls.

inline void PClip::Init(IClip* x) {
    if (x) x->AddRef();
    p = x;
}
inline void PClip::Set(IClip* x) {
    if (x) x->AddRef();
    if (p) p->Release();
    p = x;
}
inline PClip& PClip::operator=(PClip&& x) noexcept {
    if (this != &x) {
        if (p) p->Release();
        p = std::exchange(x.p, nullptr);
    }
    return *this;
}
inline PClip::~PClip() {
    if (p) p->Release();
}

inline AVSValue::AVSValue(IClip* c) : type('c'), array_size(0), clip(c) {
    if (c) c->AddRef();
}
inline AVSValue::AVSValue(AVSValue&& v) noexcept : type(v.type), array_size(v.array_size), clip(v.clip) {
    v.type = 'v';
    v.clip = nullptr;
}
inline AVSValue::~AVSValue() {
    if (IsClip() && clip) clip->Release();
}
inline AVSValue& AVSValue::operator=(AVSValue&& v) noexcept {
    if (this != &v) {
        if (IsClip() && clip) clip->Release();
        type = v.type;
        array_size = v.array_size;
        clip = v.clip;
        v.type = 'v';
        v.clip = nullptr;
    }
    return *this;
}
inline void AVSValue::Assign(const AVSValue& src, bool init) {
    if (src.IsClip() && src.clip) src.clip->AddRef();
    if (!init && IsClip() && clip) clip->Release();
    type = src.type;
    array_size = src.array_size;
    clip = src.clip;  // the widest member carries the whole union
}
inline PClip AVSValue::AsClip() const { return IsClip() ? PClip(clip) : PClip(); }
inline AVSValue AVSValue::Adopt(const AVSValueRaw& raw) {
    AVSValue v;
    v.type = raw.type;
    v.array_size = raw.array_size;
    v.clip = raw.clip;
    return v;
}
inline AVSValueRaw AVSValue::CopyRaw() const {
    if (IsClip() && clip) clip->AddRef();
    AVSValueRaw raw;
    raw.type = type;
    raw.array_size = array_size;
    raw.clip = clip;
    return raw;
}

namespace avs_detail {
// Storage for a by-value result that the callee constructs.
template <class T>
struct ResultSlot {
    alignas(T) unsigned char bytes[sizeof(T)];
    T* get() { return reinterpret_cast<T*>(bytes); }
    // Moves the constructed result out and ends its life in the slot.
    static T Take(T* constructed) {
        T out(std::move(*constructed));
        constructed->~T();
        return out;
    }
};
}  // namespace avs_detail

inline PVideoFrame IClip::GetFrame(int n, IScriptEnvironment* env) {
    avs_detail::ResultSlot<PVideoFrame> slot;
    return slot.Take(avs::CallOut([&] { return GetFrame(slot.get(), n, env); }));
}
inline AVSValue IScriptEnvironment::Invoke(const char* name, const AVSValue& args, const char** arg_names) {
    avs_detail::ResultSlot<AVSValue> slot;
    return slot.Take(avs::CallOut([&] { return Invoke(slot.get(), name, args.CopyRaw(), arg_names); }));
}
inline AVSValue IScriptEnvironment::GetVar(const char* name) {
    avs_detail::ResultSlot<AVSValue> slot;
    return slot.Take(avs::CallOut([&] { return GetVar(slot.get(), name); }));
}
inline PVideoFrame IScriptEnvironment::NewVideoFrame(const VideoInfo& vi, int align) {
    avs_detail::ResultSlot<PVideoFrame> slot;
    return slot.Take(avs::CallOut([&] { return NewVideoFrame(slot.get(), vi, align); }));
}
inline PVideoFrame IScriptEnvironment::Subframe(const PVideoFrame& src, int rel_offset, int new_pitch,
                                                int new_row_size, int new_height) {
    PVideoFrame handed = src;  // the callee releases this reference
    avs_detail::ResultSlot<PVideoFrame> slot;
    return slot.Take(avs::CallOut(
        [&] { return Subframe(slot.get(), handed.release(), rel_offset, new_pitch, new_row_size, new_height); }));
}

// The frame server's entry.
IScriptEnvironment* AVS_STDCALL CreateScriptEnvironment(int version = AVISYNTH_INTERFACE_VERSION);
