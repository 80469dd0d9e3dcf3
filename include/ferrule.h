/* ferrule.h: the host's interface to Ferrule.dll (32-bit Windows).
 *
 * Plain C, usable from C and C++, MSVC and mingw. The records are laid out as MSVC lays
 * them out on i686; their sizes and offsets are asserted below. The frame server's side
 * (IClip, PClip, IScriptEnvironment) is the AviSynth 2.5 interface: it is only named
 * here, and is used through the server's own avisynth.h. HOST.md says who owns what. */
#ifndef FERRULE_H
#define FERRULE_H

#include <stddef.h>
#include <stdint.h>
#ifdef _WIN32
#include <windows.h> /* HWND */
#endif

/* ---- calling conventions ---------------------------------------------------------- */

#if defined(__GNUC__) && defined(__i386__)
#define FERRULE_CC __attribute__((__stdcall__))
#elif defined(_MSC_VER) && defined(_M_IX86)
#define FERRULE_CC __stdcall
#else
#define FERRULE_CC
#endif

/* Renderer slots are __thiscall: the object in ECX, the rest on the stack, popped by
 * the callee. GCC and clang take __thiscall on plain function pointers, in C too. MSVC
 * does not; there __fastcall with an unused second parameter (EDX) makes the same call,
 * so FERRULE_SELF adds that parameter: a C host's slot functions are declared with
 * FERRULE_THISCALL and begin with FERRULE_SELF(their object type). */
#if defined(__GNUC__) && defined(__i386__)
#define FERRULE_THISCALL __attribute__((__thiscall__))
#define FERRULE_SELF(type) type* self
#elif defined(_MSC_VER) && defined(_M_IX86)
#define FERRULE_THISCALL __fastcall
#define FERRULE_SELF(type) type* self, void* unused_edx
#else
#define FERRULE_THISCALL
#define FERRULE_SELF(type) type* self
#endif

/* ---- layout checks ---------------------------------------------------------------- */

#define FERRULE_CAT2(a, b) a##b
#define FERRULE_CAT(a, b) FERRULE_CAT2(a, b)
#if defined(__cplusplus) && (__cplusplus >= 201103L || (defined(_MSC_VER) && _MSC_VER >= 1600))
#define FERRULE_ASSERT(c) static_assert(c, #c)
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define FERRULE_ASSERT(c) _Static_assert(c, #c)
#else
#define FERRULE_ASSERT(c) typedef char FERRULE_CAT(ferrule_assert_, __LINE__)[(c) ? 1 : -1]
#endif
/* Sizes and offsets of records holding pointers are i686 ones. */
#if defined(_M_IX86) || defined(__i386__)
#define FERRULE_I686 1
#endif

/* ---- the frame server's objects, from its avisynth.h -------------------------------- */

#ifdef __cplusplus
class IClip;              /* a clip */
class PClip;              /* one word: a counted IClip* */
class IScriptEnvironment; /* the frame server */
extern "C" {
#else
typedef struct IClip IClip;
typedef struct PClip PClip;
typedef struct IScriptEnvironment IScriptEnvironment;
#endif

/* ---- the host runtime's shapes (MFC 4.2) ------------------------------------------ */

/* A CString is one pointer to its characters, preceded by this header. Buffers are from
 * msvcrt's heap; a copy shares the buffer by count (interlocked) and the last owner frees
 * it. A buffer whose refs is -1 is never shared: the library copies its characters. */
typedef struct FerruleCStringData {
    int32_t refs;
    int32_t length;       /* characters, without the terminator */
    int32_t alloc_length; /* characters the buffer holds, without the terminator */
    /* the characters and their terminator follow */
} FerruleCStringData;

typedef struct FerruleCString {
    char* chars; /* just past a FerruleCStringData */
} FerruleCString;

/* The growable arrays in records: an unused word, then the first element, one past the
 * last and one past the storage. Only first and last are read. */
typedef struct FerruleCStringArray {
    void* unused;
    FerruleCString* first;
    FerruleCString* last;
    FerruleCString* end;
} FerruleCStringArray;

/* ---- the host's renderer objects ---------------------------------------------------- */

#if defined(__GNUC__) && defined(__i386__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wattributes" /* -pedantic: thiscall outside a class */
#endif

/* A frame as renderers see it: bottom-up RGB24 rows, each padded to 4 bytes. */
typedef struct FerruleFrameRef {
    uint8_t* pixels;
    int32_t width;
    int32_t height;
} FerruleFrameRef;

/* A Gdiplus::Bitmap* (the GDI+ C++ class) lent for one call, gone after it; deleting or
 * cloning it does nothing to the library's pixels. Its GpBitmap* is its second word. */
typedef struct FerruleHostBitmap FerruleHostBitmap;

/* The library's object a picture transition fetches pictures through; the host calls
 * slot 0. The bitmaps stay the library's. */
typedef struct FerrulePictureSource FerrulePictureSource;
typedef struct FerrulePictureSourceSlots {
    /* the prepared picture of that index, or null */
    FerruleHostBitmap*(FERRULE_THISCALL* get_picture)(FERRULE_SELF(FerrulePictureSource), int32_t index);
} FerrulePictureSourceSlots;
struct FerrulePictureSource {
    const FerrulePictureSourceSlots* slots;
};

/* A host's renderer object is a pointer to its slot table, then whatever the host keeps.
 * A C++ host's class with virtuals in this order is the same object. Slots the library
 * never calls must still be there; fill them with anything. */
typedef struct FerruleTitleRenderer FerruleTitleRenderer;
typedef struct FerruleTitleRendererSlots {
    void* not_called[5]; /* slots 0-4 */
    /* slot 5: *output holds the address of a canvas-size buffer to fill with the frame */
    void(FERRULE_THISCALL* render_title)(FERRULE_SELF(FerruleTitleRenderer), const FerruleFrameRef* input,
                                         uint8_t** output, int32_t parameter, int32_t duration,
                                         int32_t position);
} FerruleTitleRendererSlots;
struct FerruleTitleRenderer {
    const FerruleTitleRendererSlots* slots;
};

typedef struct FerruleSlideRenderer FerruleSlideRenderer;
typedef struct FerruleSlideRendererSlots {
    void* not_called[6]; /* slots 0-5 */
    /* slot 6: nonzero when the effect does not use the picture from before it starts */
    int32_t(FERRULE_THISCALL* drops_snapshot)(FERRULE_SELF(FerruleSlideRenderer));
    void* not_called_7;
    /* slot 8 */
    void(FERRULE_THISCALL* render_frame_transition)(FERRULE_SELF(FerruleSlideRenderer), const FerruleFrameRef* from,
                                                    const FerruleFrameRef* to, uint8_t* output, int32_t output_size,
                                                    int32_t parameter, int32_t duration, int32_t position);
    /* slot 9 */
    void(FERRULE_THISCALL* render_picture_transition)(FERRULE_SELF(FerruleSlideRenderer),
                                                      const FerruleFrameRef* canvas, FerrulePictureSource* pictures,
                                                      int32_t zero1, int32_t zero2, uint8_t* output,
                                                      int32_t output_size, int32_t picture_and_frames,
                                                      int32_t length, int32_t position);
    /* slot 10: the bitmap's top-left belongs at (x, y) of the canvas, y downward */
    void(FERRULE_THISCALL* render_overlay_transition)(FERRULE_SELF(FerruleSlideRenderer),
                                                      const FerruleFrameRef* canvas, FerruleHostBitmap* overlay,
                                                      int32_t x, int32_t y, uint8_t* output, int32_t output_size,
                                                      int32_t parameter, int32_t duration, int32_t position);
} FerruleSlideRendererSlots;
struct FerruleSlideRenderer {
    const FerruleSlideRendererSlots* slots;
};

typedef struct FerruleSlideRendererArray {
    void* unused;
    FerruleSlideRenderer** first;
    FerruleSlideRenderer** last;
    FerruleSlideRenderer** end;
} FerruleSlideRendererArray;

#if defined(__GNUC__) && defined(__i386__)
#pragma GCC diagnostic pop
#endif

/* ---- records the host fills --------------------------------------------------------
 * The library copies what it keeps during the call; renderers and an overlay's slide
 * records are borrowed and must outlive their items. Frame ranges are inclusive. No
 * record needs packing: every field lies at its natural alignment. */

/* A corner of the quadrilateral, in pixels of the reference size. */
typedef struct FerruleCorner {
    float x, y;
} FerruleCorner;

#define FERRULE_NO_KEY_COLOUR 0xFFFFFFFFu

/* Where and how an overlay or a picture show lies over the frame. */
typedef struct FerruleEditPlacement {
    FerruleCorner corners[4]; /* top-left, top-right, bottom-right, bottom-left */
    int32_t reference_width;  /* the pixel space the corners are in */
    int32_t reference_height;
    int32_t opacity;         /* 0-255 */
    uint32_t key_colour;     /* COLORREF 0x00BBGGRR, or FERRULE_NO_KEY_COLOUR */
    int32_t outline_width;   /* the edit window's outline */
    uint32_t outline_colour; /* ARGB */
} FerruleEditPlacement;

typedef struct FerruleSlideEffect {
    uint32_t reserved0;
    int32_t id;
    FerruleSlideRenderer* renderer;
    uint32_t reserved1;
    int32_t parameter;
    int32_t first_frame;
    int32_t last_frame;
} FerruleSlideEffect;

typedef struct FerruleTitleEffect {
    uint32_t reserved0;
    uint32_t reserved1;
    int32_t id;
    FerruleTitleRenderer* renderer;
    int32_t parameter;
    int32_t first_frame;
    int32_t last_frame;
} FerruleTitleEffect;

enum { FERRULE_FADE_IN = 1, FERRULE_FADE_OUT = 2, FERRULE_FADE_BOTH = 3 };

typedef struct FerruleOverlayClipInfo {
    int32_t clip_first_frame; /* clip frame shown on the item's first frame */
    uint32_t reserved0;
    int32_t first_frame;
    int32_t last_frame;
    uint32_t reserved1;
    int32_t item_id;
    const PClip* clip; /* the host's reference; the library takes its own */
    int32_t audio_enabled;
    int32_t video_enabled;
    uint32_t reserved2;
    int64_t clip_audio_first;
    int64_t clip_audio_last;
    uint8_t reserved3[8];
    int64_t clip_audio_start; /* clip sample playing at the item's first sample */
    int32_t fade_mode;        /* FERRULE_FADE_*, 0 none */
    uint32_t reserved4;
    int64_t fade_in_end; /* -1: none */
    int64_t fade_out_start;
} FerruleOverlayClipInfo;

/* Slide effects over an overlay, in order. */
typedef struct FerruleSlideList {
    void* unused;
    FerruleSlideEffect** first;
    FerruleSlideEffect** last;
    FerruleSlideEffect** end;
} FerruleSlideList;

typedef struct FerruleOverlayEffect {
    FerruleEditPlacement placement;
    int32_t audio_channel; /* 1-based; 0 keeps every channel */
    int32_t mono_mode;     /* 0 automatic, 1 left, 2 right */
    float amplify;         /* exactly -1 means none */
    FerruleSlideList slides;
    int32_t flip_vertical;
    int32_t flip_horizontal;
    int32_t reverse;
    int32_t crop_enabled;
    int32_t borders_enabled;
    int32_t resize_enabled;
    int32_t crop[4];    /* left, top, right, bottom removed */
    int32_t borders[4]; /* left, top, right, bottom added */
    uint32_t border_colour;
    int32_t resize_width;
    int32_t resize_height;
    int32_t speed; /* percent */
} FerruleOverlayEffect;

/* A picture show; pictures are prepared at the placement's reference size. */
typedef struct FerruleImageEffect {
    FerruleCStringArray pictures; /* file names in showing order */
    uint8_t picture_cache[10 * sizeof(void*)]; /* the library's; not read */
    int32_t id;
    int32_t frames_per_picture;
    int32_t first_frame;
    int32_t last_frame;
    int32_t rectangle; /* recomputed from the corners */
    FerruleEditPlacement placement;
    int32_t fit; /* nonzero: fitted whole, proportions kept */
    uint32_t reserved0;
    int32_t every_picture; /* a transition into every picture, not only the first */
    uint32_t reserved1[2];
    int32_t transition_length;
    FerruleSlideRendererArray transitions;
} FerruleImageEffect;

typedef struct FerruleSubtitleInfo {
    FerruleCString reserved_name;
    FerruleCString file; /* its extension picks the renderer */
    int32_t width;       /* both the main clip's */
    int32_t height;
    int32_t item_id;
    int32_t clip_start_frame; /* the subtitle chain's frame shown on the first frame */
    int32_t first_frame;
    int32_t last_frame;
    IClip* clip; /* a PClip's word; may be null: the item builds its own */
} FerruleSubtitleInfo;

/* ---- the exports: __stdcall, undecorated names --------------------------------------
 * Channels are the host's numbers. Until a script has run SetMainCh (and SetTempCh,
 * which records the environment) the calls do nothing; HOST.md has the details. */

/* The plugin entry the frame server calls on LoadPlugin. */
const char* FERRULE_CC AvisynthPluginInit2(IScriptEnvironment* env);

void FERRULE_CC InsertChannel(int channel);
void FERRULE_CC RemoveChannel(int channel);
void FERRULE_CC SetChannelVisible(int channel, int visible);
void FERRULE_CC RemoveItem(int id, int channel);
void FERRULE_CC ChangeItemChLevel(int id, int channel);
void FERRULE_CC RemoveAllItems(void);
/* No reference is added. */
IClip* FERRULE_CC GetMainClip(void);

/* insert: nonzero places the item before the channel's others. */
void FERRULE_CC AddTitleEff(const FerruleTitleEffect* effect, int channel, int insert);
void FERRULE_CC AddSlideEff(const FerruleSlideEffect* effect, int channel, int insert);
void FERRULE_CC UpdateSlideEffsData(void);
void FERRULE_CC AddOverlay(const FerruleOverlayClipInfo* info, const FerruleOverlayEffect* effect, int channel,
                           int insert);
void FERRULE_CC SetOverlayEffect(int id, const FerruleOverlayEffect* effect);
int FERRULE_CC SetPreviewClip(const PClip* clip, const FerruleOverlayEffect* effect);
int FERRULE_CC SetQuickWarp(int quick);
void FERRULE_CC AddImageEff(const FerruleImageEffect* effect, int channel, int insert);

/* Buffers come from msvcrt's heap; the host frees them with msvcrt's free. */
void FERRULE_CC GetFrame(int n, int excluded_id, uint8_t** buffer, int32_t* size, int32_t* width, int32_t* height);
void FERRULE_CC GetFrameByID(int n, int id, uint8_t** buffer, int32_t* size, int32_t* width, int32_t* height,
                             int32_t* bits_per_pixel);
int FERRULE_CC GetClipFrame(const PClip* clip, int n, uint8_t** buffer, int32_t* size);

void FERRULE_CC AddSubtitleFile(const FerruleSubtitleInfo* info, int channel, int insert);
int FERRULE_CC ImportSubtitleFile(const char* path, int width, int height, PClip* clip);
/* 1 with the clip in *clip_out; 0 with *clip_out untouched. */
int FERRULE_CC ImportClip(const char* path, PClip* clip_out);

#ifdef _WIN32
/* The edit window over an overlay or image item, a child of parent; null without one. */
HWND FERRULE_CC CreateOverlayEditWnd(int id, HWND parent);
#endif

#ifdef __cplusplus
}
#endif

/* ---- sizes and offsets -------------------------------------------------------------- */

FERRULE_ASSERT(sizeof(FerruleCStringData) == 12);
FERRULE_ASSERT(sizeof(FerruleCorner) == 8);
FERRULE_ASSERT(sizeof(FerruleEditPlacement) == 0x38);
FERRULE_ASSERT(offsetof(FerruleEditPlacement, reference_width) == 0x20);
FERRULE_ASSERT(offsetof(FerruleEditPlacement, reference_height) == 0x24);
FERRULE_ASSERT(offsetof(FerruleEditPlacement, opacity) == 0x28);
FERRULE_ASSERT(offsetof(FerruleEditPlacement, key_colour) == 0x2C);
FERRULE_ASSERT(offsetof(FerruleEditPlacement, outline_width) == 0x30);
FERRULE_ASSERT(offsetof(FerruleEditPlacement, outline_colour) == 0x34);

#ifdef FERRULE_I686
FERRULE_ASSERT(sizeof(FerruleCString) == 4);
FERRULE_ASSERT(sizeof(FerruleCStringArray) == 16);
FERRULE_ASSERT(sizeof(FerruleSlideRendererArray) == 16);
FERRULE_ASSERT(sizeof(FerruleFrameRef) == 12);
FERRULE_ASSERT(offsetof(FerruleFrameRef, width) == 4);
FERRULE_ASSERT(offsetof(FerruleFrameRef, height) == 8);
FERRULE_ASSERT(sizeof(FerrulePictureSourceSlots) == 4);
FERRULE_ASSERT(offsetof(FerruleTitleRendererSlots, render_title) == 5 * 4);
FERRULE_ASSERT(sizeof(FerruleTitleRendererSlots) == 6 * 4);
FERRULE_ASSERT(offsetof(FerruleSlideRendererSlots, drops_snapshot) == 6 * 4);
FERRULE_ASSERT(offsetof(FerruleSlideRendererSlots, render_frame_transition) == 8 * 4);
FERRULE_ASSERT(offsetof(FerruleSlideRendererSlots, render_picture_transition) == 9 * 4);
FERRULE_ASSERT(offsetof(FerruleSlideRendererSlots, render_overlay_transition) == 10 * 4);
FERRULE_ASSERT(sizeof(FerruleSlideRendererSlots) == 11 * 4);

FERRULE_ASSERT(sizeof(FerruleSlideEffect) == 28);
FERRULE_ASSERT(offsetof(FerruleSlideEffect, id) == 0x04);
FERRULE_ASSERT(offsetof(FerruleSlideEffect, renderer) == 0x08);
FERRULE_ASSERT(offsetof(FerruleSlideEffect, parameter) == 0x10);
FERRULE_ASSERT(offsetof(FerruleSlideEffect, first_frame) == 0x14);
FERRULE_ASSERT(offsetof(FerruleSlideEffect, last_frame) == 0x18);

FERRULE_ASSERT(sizeof(FerruleTitleEffect) == 28);
FERRULE_ASSERT(offsetof(FerruleTitleEffect, id) == 0x08);
FERRULE_ASSERT(offsetof(FerruleTitleEffect, renderer) == 0x0C);
FERRULE_ASSERT(offsetof(FerruleTitleEffect, parameter) == 0x10);
FERRULE_ASSERT(offsetof(FerruleTitleEffect, first_frame) == 0x14);
FERRULE_ASSERT(offsetof(FerruleTitleEffect, last_frame) == 0x18);

FERRULE_ASSERT(sizeof(FerruleOverlayClipInfo) == 96);
FERRULE_ASSERT(offsetof(FerruleOverlayClipInfo, first_frame) == 0x08);
FERRULE_ASSERT(offsetof(FerruleOverlayClipInfo, last_frame) == 0x0C);
FERRULE_ASSERT(offsetof(FerruleOverlayClipInfo, item_id) == 0x14);
FERRULE_ASSERT(offsetof(FerruleOverlayClipInfo, clip) == 0x18);
FERRULE_ASSERT(offsetof(FerruleOverlayClipInfo, audio_enabled) == 0x1C);
FERRULE_ASSERT(offsetof(FerruleOverlayClipInfo, video_enabled) == 0x20);
FERRULE_ASSERT(offsetof(FerruleOverlayClipInfo, clip_audio_first) == 0x28);
FERRULE_ASSERT(offsetof(FerruleOverlayClipInfo, clip_audio_last) == 0x30);
FERRULE_ASSERT(offsetof(FerruleOverlayClipInfo, clip_audio_start) == 0x40);
FERRULE_ASSERT(offsetof(FerruleOverlayClipInfo, fade_mode) == 0x48);
FERRULE_ASSERT(offsetof(FerruleOverlayClipInfo, fade_in_end) == 0x50);
FERRULE_ASSERT(offsetof(FerruleOverlayClipInfo, fade_out_start) == 0x58);

FERRULE_ASSERT(sizeof(FerruleSlideList) == 16);
FERRULE_ASSERT(sizeof(FerruleOverlayEffect) == 156);
FERRULE_ASSERT(offsetof(FerruleOverlayEffect, audio_channel) == 0x38);
FERRULE_ASSERT(offsetof(FerruleOverlayEffect, mono_mode) == 0x3C);
FERRULE_ASSERT(offsetof(FerruleOverlayEffect, amplify) == 0x40);
FERRULE_ASSERT(offsetof(FerruleOverlayEffect, slides) == 0x44);
FERRULE_ASSERT(offsetof(FerruleOverlayEffect, flip_vertical) == 0x54);
FERRULE_ASSERT(offsetof(FerruleOverlayEffect, flip_horizontal) == 0x58);
FERRULE_ASSERT(offsetof(FerruleOverlayEffect, reverse) == 0x5C);
FERRULE_ASSERT(offsetof(FerruleOverlayEffect, crop_enabled) == 0x60);
FERRULE_ASSERT(offsetof(FerruleOverlayEffect, borders_enabled) == 0x64);
FERRULE_ASSERT(offsetof(FerruleOverlayEffect, resize_enabled) == 0x68);
FERRULE_ASSERT(offsetof(FerruleOverlayEffect, crop) == 0x6C);
FERRULE_ASSERT(offsetof(FerruleOverlayEffect, borders) == 0x7C);
FERRULE_ASSERT(offsetof(FerruleOverlayEffect, border_colour) == 0x8C);
FERRULE_ASSERT(offsetof(FerruleOverlayEffect, resize_width) == 0x90);
FERRULE_ASSERT(offsetof(FerruleOverlayEffect, resize_height) == 0x94);
FERRULE_ASSERT(offsetof(FerruleOverlayEffect, speed) == 0x98);

FERRULE_ASSERT(sizeof(FerruleImageEffect) == 172);
FERRULE_ASSERT(offsetof(FerruleImageEffect, picture_cache) == 0x10);
FERRULE_ASSERT(offsetof(FerruleImageEffect, id) == 0x38);
FERRULE_ASSERT(offsetof(FerruleImageEffect, frames_per_picture) == 0x3C);
FERRULE_ASSERT(offsetof(FerruleImageEffect, first_frame) == 0x40);
FERRULE_ASSERT(offsetof(FerruleImageEffect, last_frame) == 0x44);
FERRULE_ASSERT(offsetof(FerruleImageEffect, rectangle) == 0x48);
FERRULE_ASSERT(offsetof(FerruleImageEffect, placement) == 0x4C);
FERRULE_ASSERT(offsetof(FerruleImageEffect, fit) == 0x84);
FERRULE_ASSERT(offsetof(FerruleImageEffect, every_picture) == 0x8C);
FERRULE_ASSERT(offsetof(FerruleImageEffect, transition_length) == 0x98);
FERRULE_ASSERT(offsetof(FerruleImageEffect, transitions) == 0x9C);

FERRULE_ASSERT(sizeof(FerruleSubtitleInfo) == 36);
FERRULE_ASSERT(offsetof(FerruleSubtitleInfo, file) == 0x04);
FERRULE_ASSERT(offsetof(FerruleSubtitleInfo, width) == 0x08);
FERRULE_ASSERT(offsetof(FerruleSubtitleInfo, height) == 0x0C);
FERRULE_ASSERT(offsetof(FerruleSubtitleInfo, item_id) == 0x10);
FERRULE_ASSERT(offsetof(FerruleSubtitleInfo, clip_start_frame) == 0x14);
FERRULE_ASSERT(offsetof(FerruleSubtitleInfo, first_frame) == 0x18);
FERRULE_ASSERT(offsetof(FerruleSubtitleInfo, last_frame) == 0x1C);
FERRULE_ASSERT(offsetof(FerruleSubtitleInfo, clip) == 0x20);
#endif

#endif /* FERRULE_H */
