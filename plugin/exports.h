// The functions the host editor calls: stdcall, exported under their plain names.
#pragma once

#include <cstdint>

#include "avs/avisynth.h"

#if defined(_WIN32)
#define FERRULE_API extern "C" __declspec(dllexport)
#else
#define FERRULE_API extern "C" __attribute__((visibility("default")))
#endif
#define FERRULE_CC AVS_STDCALL

FERRULE_API const char* FERRULE_CC AvisynthPluginInit2(IScriptEnvironment* env);

FERRULE_API void FERRULE_CC InsertChannel(int channel);
FERRULE_API void FERRULE_CC RemoveChannel(int channel);
FERRULE_API void FERRULE_CC SetChannelVisible(int channel, int visible);
FERRULE_API void FERRULE_CC RemoveItem(int id, int channel);
FERRULE_API void FERRULE_CC ChangeItemChLevel(int id, int channel);
FERRULE_API void FERRULE_CC RemoveAllItems();
FERRULE_API IClip* FERRULE_CC GetMainClip();

struct TitleEffect;
struct SlideEffect;
FERRULE_API void FERRULE_CC AddTitleEff(const TitleEffect* effect, int channel, int insert);
FERRULE_API void FERRULE_CC AddSlideEff(const SlideEffect* effect, int channel, int insert);
FERRULE_API void FERRULE_CC UpdateSlideEffsData();

struct OverlayClipInfo;
struct OverlayEffect;
FERRULE_API void FERRULE_CC AddOverlay(const OverlayClipInfo* info, const OverlayEffect* effect, int channel, int insert);
FERRULE_API void FERRULE_CC SetOverlayEffect(int id, const OverlayEffect* effect);
FERRULE_API int FERRULE_CC SetPreviewClip(const PClip* clip, const OverlayEffect* effect);
FERRULE_API int FERRULE_CC SetQuickWarp(int quick);

struct ImageEffect;
FERRULE_API void FERRULE_CC AddImageEff(const ImageEffect* effect, int channel, int insert);

struct SubtitleInfo;
FERRULE_API void FERRULE_CC AddSubtitleFile(const SubtitleInfo* info, int channel, int insert);
FERRULE_API int FERRULE_CC ImportSubtitleFile(const char* path, int width, int height, PClip* clip);

FERRULE_API void FERRULE_CC GetFrame(int n, int excluded_id, uint8_t** buffer, int32_t* size, int32_t* width,
                                     int32_t* height);
FERRULE_API void FERRULE_CC GetFrameByID(int n, int id, uint8_t** buffer, int32_t* size, int32_t* width,
                                         int32_t* height, int32_t* bits_per_pixel);
FERRULE_API int FERRULE_CC GetClipFrame(const PClip* clip, int n, uint8_t** buffer, int32_t* size);

FERRULE_API int FERRULE_CC ImportClip(const char* path, PClip* clip_out);

#if defined(_WIN32)
#include <windows.h>
// Opens the edit window over an overlay or image item of the main manager as a child
// of parent; null when there is no such item or no main manager.
FERRULE_API HWND FERRULE_CC CreateOverlayEditWnd(int id, HWND parent);
#endif
