// An overlay clip placed on a channel: the host's clip after its filter chain, with
// its timing on the main timeline and the effect it is drawn with.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "avs/avisynth.h"
#include "channels/item_kind.h"
#include "channels/item_record.h"
#include "channels/overlay_records.h"

class CMainChMgr;
struct HostPicture;

class COverlayItem {
public:
    COverlayItem() = default;
    COverlayItem(const COverlayItem&) = delete;
    COverlayItem& operator=(const COverlayItem&) = delete;

    // Takes the record whole; the slide pointers are copied into storage of our own,
    // the slide records they point to stay the host's.
    void SetEffect(const OverlayEffect& e);
    void ClearSlides();
    const OverlayEffect& Effect() const { return effect_; }
    // The edit window's write: the placement alone, the rest of the effect kept.
    void SetPlacement(const EditPlacement& p) { effect_.placement = p; }

    int32_t clip_first_frame = 0;
    int32_t first_frame = 0;
    int32_t last_frame = 0;
    PClip clip;
    VideoInfo clip_format{};
    int32_t audio_enabled = 0;
    int32_t video_enabled = 0;
    int64_t first_sample = 0;
    int64_t last_sample = 0;
    int64_t clip_audio_start = 0;
    int64_t fade_in_end = -1;
    int64_t fade_out_start = -1;
    int32_t rectangle = 0;
    int32_t pass_through = 0;

private:
    OverlayEffect effect_;
    std::vector<SlideEffect*> slides_;  // what effect_.slides points into
};

// Whether the corners form an axis-aligned rectangle, to within a pixel.
bool IsRectangle(const OverlayEffect& e);
// Whether the clip is drawn as it is: no placement, fully opaque, no key colour.
bool IsPassThrough(const OverlayEffect& e);

// Builds the item as the host asked (speed, timing, the video and audio chains through
// env) and places it on channel k of mgr; the slide effects of an overlay on channel 0
// become slide items on channel 1. A frame-server error leaves nothing placed.
void AddOverlayItem(CMainChMgr& mgr, const OverlayClipInfo& info, const OverlayEffect& effect, int k,
                    bool insert, IScriptEnvironment* env);

// Replaces the effect of the first item with this id; any other id changes nothing.
void SetOverlayItemEffect(CMainChMgr& mgr, int32_t id, const OverlayEffect& effect);

// Shows one clip alone on the preview manager, covering the whole clip.
void SetPreviewOverlay(CMainChMgr& preview, const PClip& clip, const OverlayEffect& effect, IScriptEnvironment* env);

// The kind's entries of the item-kind table. The clip is read through the
// environment the script ran in, or the manager's when there is none.

// Adds the item's audio, faded, to a block of the manager's output.
void MixOverlayAudio(ItemRecord& item, const VideoInfo& out, void* buf, int64_t start, int64_t count,
                     IScriptEnvironment* env);

// Draws frame n of the item onto the canvas.
void DrawOverlayItem(ItemRecord& item, int n, const Canvas& canvas);

// The item's clip frame for frame n, copied into a buffer for the host (bottom-up
// 24-bit rows; at the row size of the clip's width when the item crops).
void OverlayItemPicture(ItemRecord& item, int n, const Canvas& canvas, HostPicture& out);
