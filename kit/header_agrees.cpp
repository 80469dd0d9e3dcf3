// The public header against the library's own declarations: every record has the
// size and field offsets of the one the library reads, every renderer slot the
// parameters the library passes, and every export the type the library defines.
// A difference fails the build.
#include <cstddef>
#include <type_traits>

#include "channels/edit_placement.h"
#include "channels/effect_records.h"
#include "channels/host_renderers.h"
#include "channels/overlay_records.h"
#include "framework/cstring.h"
#include "framework/host_array.h"
#include "plugin/exports.h"

// The public declarations under other names, so that both sets can be compared.
#undef FERRULE_CC
#include "kit/export_rename.h"
#include "include/ferrule.h"
#include "kit/export_unrename.h"

namespace {

#define SAME_SIZE(pub, lib) static_assert(sizeof(pub) == sizeof(lib), #pub " has the size of " #lib)
#define SAME_FIELD(pub, lib, field) \
    static_assert(offsetof(pub, field) == offsetof(lib, field), #pub "." #field " lies where " #lib "'s does")

SAME_SIZE(FerruleCStringData, CStringData);
SAME_FIELD(FerruleCStringData, CStringData, length);
SAME_FIELD(FerruleCStringData, CStringData, alloc_length);
SAME_SIZE(FerruleCString, CString);
SAME_SIZE(FerruleCStringArray, HostArray<CString>);
SAME_SIZE(FerruleSlideRendererArray, HostArray<SlideRenderer*>);
SAME_SIZE(FerruleSlideList, SlideList);
SAME_FIELD(FerruleSlideList, SlideList, first);
SAME_FIELD(FerruleSlideList, SlideList, last);
SAME_FIELD(FerruleSlideList, SlideList, end);

SAME_SIZE(FerruleFrameRef, FrameRef);
SAME_FIELD(FerruleFrameRef, FrameRef, width);
SAME_FIELD(FerruleFrameRef, FrameRef, height);

SAME_SIZE(FerruleCorner, OverlayCorner);
SAME_FIELD(FerruleCorner, OverlayCorner, y);
SAME_SIZE(FerruleEditPlacement, EditPlacement);
SAME_FIELD(FerruleEditPlacement, EditPlacement, reference_width);
SAME_FIELD(FerruleEditPlacement, EditPlacement, reference_height);
SAME_FIELD(FerruleEditPlacement, EditPlacement, opacity);
SAME_FIELD(FerruleEditPlacement, EditPlacement, key_colour);
SAME_FIELD(FerruleEditPlacement, EditPlacement, outline_width);
SAME_FIELD(FerruleEditPlacement, EditPlacement, outline_colour);
static_assert(FERRULE_NO_KEY_COLOUR == kNoKeyColour);

SAME_SIZE(FerruleSlideEffect, SlideEffect);
SAME_FIELD(FerruleSlideEffect, SlideEffect, id);
SAME_FIELD(FerruleSlideEffect, SlideEffect, renderer);
SAME_FIELD(FerruleSlideEffect, SlideEffect, parameter);
SAME_FIELD(FerruleSlideEffect, SlideEffect, first_frame);
SAME_FIELD(FerruleSlideEffect, SlideEffect, last_frame);

SAME_SIZE(FerruleTitleEffect, TitleEffect);
SAME_FIELD(FerruleTitleEffect, TitleEffect, id);
SAME_FIELD(FerruleTitleEffect, TitleEffect, renderer);
SAME_FIELD(FerruleTitleEffect, TitleEffect, parameter);
SAME_FIELD(FerruleTitleEffect, TitleEffect, first_frame);
SAME_FIELD(FerruleTitleEffect, TitleEffect, last_frame);

static_assert(int{FERRULE_FADE_IN} == kFadeIn && int{FERRULE_FADE_OUT} == kFadeOut && int{FERRULE_FADE_BOTH} == kFadeBoth);
SAME_SIZE(FerruleOverlayClipInfo, OverlayClipInfo);
SAME_FIELD(FerruleOverlayClipInfo, OverlayClipInfo, first_frame);
SAME_FIELD(FerruleOverlayClipInfo, OverlayClipInfo, last_frame);
SAME_FIELD(FerruleOverlayClipInfo, OverlayClipInfo, item_id);
SAME_FIELD(FerruleOverlayClipInfo, OverlayClipInfo, clip);
SAME_FIELD(FerruleOverlayClipInfo, OverlayClipInfo, audio_enabled);
SAME_FIELD(FerruleOverlayClipInfo, OverlayClipInfo, video_enabled);
SAME_FIELD(FerruleOverlayClipInfo, OverlayClipInfo, clip_audio_first);
SAME_FIELD(FerruleOverlayClipInfo, OverlayClipInfo, clip_audio_last);
SAME_FIELD(FerruleOverlayClipInfo, OverlayClipInfo, clip_audio_start);
SAME_FIELD(FerruleOverlayClipInfo, OverlayClipInfo, fade_mode);
SAME_FIELD(FerruleOverlayClipInfo, OverlayClipInfo, fade_in_end);
SAME_FIELD(FerruleOverlayClipInfo, OverlayClipInfo, fade_out_start);

SAME_SIZE(FerruleOverlayEffect, OverlayEffect);
SAME_FIELD(FerruleOverlayEffect, OverlayEffect, audio_channel);
SAME_FIELD(FerruleOverlayEffect, OverlayEffect, mono_mode);
SAME_FIELD(FerruleOverlayEffect, OverlayEffect, amplify);
SAME_FIELD(FerruleOverlayEffect, OverlayEffect, slides);
SAME_FIELD(FerruleOverlayEffect, OverlayEffect, flip_vertical);
SAME_FIELD(FerruleOverlayEffect, OverlayEffect, flip_horizontal);
SAME_FIELD(FerruleOverlayEffect, OverlayEffect, reverse);
SAME_FIELD(FerruleOverlayEffect, OverlayEffect, crop_enabled);
SAME_FIELD(FerruleOverlayEffect, OverlayEffect, borders_enabled);
SAME_FIELD(FerruleOverlayEffect, OverlayEffect, resize_enabled);
SAME_FIELD(FerruleOverlayEffect, OverlayEffect, crop);
SAME_FIELD(FerruleOverlayEffect, OverlayEffect, borders);
SAME_FIELD(FerruleOverlayEffect, OverlayEffect, border_colour);
SAME_FIELD(FerruleOverlayEffect, OverlayEffect, resize_width);
SAME_FIELD(FerruleOverlayEffect, OverlayEffect, resize_height);
SAME_FIELD(FerruleOverlayEffect, OverlayEffect, speed);

SAME_SIZE(FerruleImageEffect, ImageEffect);
SAME_FIELD(FerruleImageEffect, ImageEffect, picture_cache);
SAME_FIELD(FerruleImageEffect, ImageEffect, id);
SAME_FIELD(FerruleImageEffect, ImageEffect, frames_per_picture);
SAME_FIELD(FerruleImageEffect, ImageEffect, first_frame);
SAME_FIELD(FerruleImageEffect, ImageEffect, last_frame);
SAME_FIELD(FerruleImageEffect, ImageEffect, rectangle);
SAME_FIELD(FerruleImageEffect, ImageEffect, placement);
SAME_FIELD(FerruleImageEffect, ImageEffect, fit);
SAME_FIELD(FerruleImageEffect, ImageEffect, every_picture);
SAME_FIELD(FerruleImageEffect, ImageEffect, transition_length);
SAME_FIELD(FerruleImageEffect, ImageEffect, transitions);

SAME_SIZE(FerruleSubtitleInfo, SubtitleInfo);
SAME_FIELD(FerruleSubtitleInfo, SubtitleInfo, file);
SAME_FIELD(FerruleSubtitleInfo, SubtitleInfo, width);
SAME_FIELD(FerruleSubtitleInfo, SubtitleInfo, height);
SAME_FIELD(FerruleSubtitleInfo, SubtitleInfo, item_id);
SAME_FIELD(FerruleSubtitleInfo, SubtitleInfo, clip_start_frame);
SAME_FIELD(FerruleSubtitleInfo, SubtitleInfo, first_frame);
SAME_FIELD(FerruleSubtitleInfo, SubtitleInfo, last_frame);
SAME_FIELD(FerruleSubtitleInfo, SubtitleInfo, clip);
static_assert(sizeof(IClip*) == sizeof(PClip), "a subtitle record's clip is one PClip word");

// A public type as the library names it; anything not listed is the same type on both sides.
template <class T> struct Lib { using type = T; };
template <> struct Lib<const FerruleTitleEffect*> { using type = const TitleEffect*; };
template <> struct Lib<const FerruleSlideEffect*> { using type = const SlideEffect*; };
template <> struct Lib<const FerruleOverlayClipInfo*> { using type = const OverlayClipInfo*; };
template <> struct Lib<const FerruleOverlayEffect*> { using type = const OverlayEffect*; };
template <> struct Lib<const FerruleImageEffect*> { using type = const ImageEffect*; };
template <> struct Lib<const FerruleSubtitleInfo*> { using type = const SubtitleInfo*; };
template <> struct Lib<const FerruleFrameRef*> { using type = const FrameRef*; };
template <> struct Lib<FerruleHostBitmap*> { using type = HostBitmap*; };
template <> struct Lib<FerrulePictureSource*> { using type = CPictureSource*; };

template <class... T> struct Signature {};

// Deduction matches the calling convention too: a cdecl declaration does not convert.
template <class R, class... A>
Signature<typename Lib<R>::type, typename Lib<A>::type...> PublicExport(R(FERRULE_CC*)(A...));
template <class R, class... A>
Signature<R, A...> LibraryExport(R(AVS_STDCALL*)(A...));

#define SAME_EXPORT(name)                                                                     \
    static_assert(std::is_same_v<decltype(PublicExport(&ferrule_public_##name)),              \
                                 decltype(LibraryExport(&::name))>,                           \
                  #name " is declared as the library defines it");
FERRULE_EACH_EXPORT(SAME_EXPORT)

// A slot: the object, then the parameters; the library's are a virtual's.
template <class R, class Self, class... A>
Signature<typename Lib<R>::type, typename Lib<A>::type...> PublicSlot(R(FERRULE_THISCALL*)(Self*, A...));
template <class R, class C, class... A>
Signature<R, A...> LibrarySlot(R (HOST_THISCALL C::*)(A...));

#define SAME_SLOT(table, slot, lib)                                                                        \
    static_assert(std::is_same_v<decltype(PublicSlot(table{}.slot)), decltype(LibrarySlot(&lib))>, #table \
                  "." #slot " takes what " #lib " is passed")
SAME_SLOT(FerrulePictureSourceSlots, get_picture, CPictureSource::GetPicture);
SAME_SLOT(FerruleTitleRendererSlots, render_title, TitleRenderer::RenderTitle);
SAME_SLOT(FerruleSlideRendererSlots, drops_snapshot, SlideRenderer::DropsSnapshot);
SAME_SLOT(FerruleSlideRendererSlots, render_frame_transition, SlideRenderer::RenderFrameTransition);
SAME_SLOT(FerruleSlideRendererSlots, render_picture_transition, SlideRenderer::RenderPictureTransition);
SAME_SLOT(FerruleSlideRendererSlots, render_overlay_transition, SlideRenderer::RenderOverlayTransition);

}  // namespace
