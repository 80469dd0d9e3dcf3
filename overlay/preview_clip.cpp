// The preview manager shows one clip at a time, placed over its whole length.
#include "channels/main_ch_mgr.h"
#include "overlay/overlay_item.h"

void SetPreviewOverlay(CMainChMgr& preview, const PClip& clip, const OverlayEffect& effect, IScriptEnvironment* env) {
    const VideoInfo& vi = clip->GetVideoInfo();
    OverlayClipInfo info;
    info.clip_first_frame = 0;
    info.first_frame = 0;
    if (vi.HasVideo()) {
        info.last_frame = vi.num_frames - 1;
    } else {
        VideoInfo at30 = vi;  // an audio-only clip is timed as if it ran at 30 fps
        at30.fps_numerator = 30;
        at30.fps_denominator = 1;
        info.last_frame = at30.FramesFromAudioSamples(vi.num_audio_samples) - 1;
    }
    info.item_id = 0;
    info.clip = &clip;
    info.audio_enabled = vi.audio_samples_per_second != 0;
    info.video_enabled = vi.width != 0;
    info.clip_audio_first = 0;
    info.clip_audio_last = vi.num_audio_samples - 1;
    info.clip_audio_start = 0;

    preview.RemoveAllItems();
    AddOverlayItem(preview, info, effect, 0, false, env);
}
