// Building an overlay item: the host's clip through the speed, video and audio chains,
// its timing on the main timeline, and its place on a channel.
#include "overlay/overlay_item.h"

#include <cmath>
#include <cstring>

#include "channels/effect_records.h"
#include "channels/main_ch_mgr.h"

void COverlayItem::SetEffect(const OverlayEffect& e) {
    effect_ = e;
    slides_.assign(e.slides.first, e.slides.first + e.slides.size());
    effect_.slides.first = slides_.data();
    effect_.slides.last = slides_.data() + slides_.size();
    effect_.slides.end = effect_.slides.last;
}

void COverlayItem::ClearSlides() {
    slides_.clear();
    effect_.slides.first = effect_.slides.last = effect_.slides.end = nullptr;
}

bool IsRectangle(const OverlayEffect& e) { return CornersFormRectangle(e.placement.corners); }

bool IsPassThrough(const OverlayEffect& e) {
    const EditPlacement& p = e.placement;
    static constexpr uint8_t kZero[sizeof p.corners - sizeof p.corners[0]] = {};
    return p.corners[0].x == 0.0f && p.corners[0].y == 0.0f &&
           std::memcmp(&p.corners[1], kZero, sizeof kZero) == 0 && p.opacity == 255 && p.key_colour == kNoKeyColour;
}

namespace {

// Every chain step replaces the current clip with the function's result.
PClip Apply(IScriptEnvironment* env, const char* name, const PClip& clip) {
    return env->Invoke(name, AVSValue(clip)).AsClip();
}

template <size_t N>
PClip Apply(IScriptEnvironment* env, const char* name, const AVSValue (&args)[N]) {
    return env->Invoke(name, AVSValue(args, static_cast<int>(N))).AsClip();
}

PClip ChangeSpeed(PClip clip, int speed, const VideoInfo& main, IScriptEnvironment* env) {
    const int rate = clip->GetVideoInfo().audio_samples_per_second;
    const int m = static_cast<int>(main.fps_numerator);
    clip = Apply(env, "AssumeFPS", {AVSValue(clip), AVSValue(static_cast<int>(int64_t{m} * speed)), AVSValue(100), AVSValue(true)});
    clip = Apply(env, "ChangeFPS", {AVSValue(clip), AVSValue(m), AVSValue(true)});
    if (rate != 0) clip = Apply(env, "ResampleAudio", {AVSValue(clip), AVSValue(rate)});
    return clip;
}

PClip BuildVideoChain(PClip clip, const OverlayEffect& e, IScriptEnvironment* env) {
    if (e.flip_horizontal) clip = Apply(env, "FlipHorizontal", clip);
    if (e.flip_vertical) clip = Apply(env, "FlipVertical", clip);
    if (e.reverse) clip = Apply(env, "Reverse", clip);
    if (e.crop_enabled)
        clip = Apply(env, "Crop", {AVSValue(clip), AVSValue(e.crop[0]), AVSValue(e.crop[1]), AVSValue(-e.crop[2]),
                                   AVSValue(-e.crop[3])});
    if (e.resize_enabled)
        clip = Apply(env, "LanczosResize", {AVSValue(clip), AVSValue(e.resize_width), AVSValue(e.resize_height)});
    if (e.borders_enabled)
        clip = Apply(env, "AddBorders", {AVSValue(clip), AVSValue(e.borders[0]), AVSValue(e.borders[1]),
                                         AVSValue(e.borders[2]), AVSValue(e.borders[3]),
                                         AVSValue(static_cast<int>(e.border_colour))});
    return clip;
}

PClip BuildAudioChain(PClip clip, const OverlayEffect& e, const VideoInfo& main, IScriptEnvironment* env) {
    const int channels = clip->GetVideoInfo().nchannels;
    if (e.audio_channel != 0) clip = Apply(env, "GetChannel", {AVSValue(clip), AVSValue(e.audio_channel)});
    const bool to_mono = e.mono_mode == 0 ? (main.nchannels == 1 || channels != 2) : (e.mono_mode == 1 || e.mono_mode == 2);
    if (to_mono) clip = Apply(env, "ConvertToMono", clip);
    if (e.amplify != -1.0f) clip = Apply(env, "Amplify", {AVSValue(clip), AVSValue(e.amplify)});
    return clip;
}

}  // namespace

void AddOverlayItem(CMainChMgr& mgr, const OverlayClipInfo& info, const OverlayEffect& effect, int k, bool insert,
                    IScriptEnvironment* env) {
    const VideoInfo& main = mgr.Info();
    auto item = std::make_unique<COverlayItem>();
    item->SetEffect(effect);
    PClip clip = *info.clip;

    if (effect.speed != 100) clip = ChangeSpeed(clip, effect.speed, main, env);

    item->clip_first_frame = info.clip_first_frame;
    item->first_frame = info.first_frame;
    item->last_frame = info.last_frame;
    item->audio_enabled = info.audio_enabled;
    item->video_enabled = info.video_enabled;
    item->first_sample = main.AudioSamplesFromFrames(info.first_frame);
    item->last_sample = main.AudioSamplesFromFrames(info.last_frame);
    item->clip_audio_start = info.clip_audio_start;
    if (info.fade_mode == kFadeIn || info.fade_mode == kFadeBoth) item->fade_in_end = info.fade_in_end;
    if (info.fade_mode == kFadeOut || info.fade_mode == kFadeBoth) item->fade_out_start = info.fade_out_start;

    // The slide items are made here but placed only once the chain stands, so that a
    // frame-server error leaves no trace on any channel; the order of placing is kept.
    std::vector<std::unique_ptr<ItemRecord>> slide_items;
    if (k == 0) {
        item->ClearSlides();
        for (size_t i = 0; i < effect.slides.size(); ++i)
            if (const SlideEffect* s = effect.slides.first[i])
                slide_items.push_back(MakeItemRecord(kItemSlide, s->id, std::make_unique<SlideEffect>(*s)));
    }

    if (info.video_enabled) {
        item->rectangle = IsRectangle(effect);
        item->pass_through = IsPassThrough(effect);
        clip = BuildVideoChain(clip, effect, env);
    }
    if (info.audio_enabled) clip = BuildAudioChain(clip, effect, main, env);

    item->clip_format = clip->GetVideoInfo();
    item->clip = std::move(clip);

    for (auto& slide : slide_items) mgr.AddItem(1, false, std::move(slide));
    mgr.AddItem(k, insert, MakeItemRecord(kItemOverlay, info.item_id, std::move(item)));
}

void SetOverlayItemEffect(CMainChMgr& mgr, int32_t id, const OverlayEffect& effect) {
    ItemRecord* record = mgr.FindItem(id);
    // No item, or an id of another kind (whose payload has no effect): nothing to change.
    if (!record || record->kind != kItemOverlay) return;
    // The chain, the rectangle flag and the pass-through flag stay as they were built:
    // a host relies on changing the look without the clip being rebuilt.
    static_cast<COverlayItem*>(record->payload)->SetEffect(effect);
}
