// Pictures handed to the host as buffers it owns: a composed frame with one item left
// out, the current picture of one item, and a frame of any clip.
#pragma once

#include <cstdint>

#include "avs/avisynth.h"

class CMainChMgr;

// One item's picture as the host receives it; buffer stays null for a kind that has none.
struct HostPicture {
    uint8_t* buffer = nullptr;
    int32_t size = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t bits_per_pixel = 0;
};

// Frame n with every channel drawn, hidden ones too, and no item of excluded_id.
void ComposeForHost(CMainChMgr& mgr, int n, int32_t excluded_id, uint8_t** buffer, int32_t* size,
                    int32_t* width, int32_t* height);

// The picture of the first item with this id on each channel; a later channel's
// replaces an earlier one's. False when no item of a kind with a picture has the id.
bool ItemPictureForHost(CMainChMgr& mgr, int n, int32_t id, HostPicture& out);

// Frame n of the clip, frame 0 when n is not below its frame count, packed.
void ClipFrameForHost(const PClip& clip, int n, IScriptEnvironment* env, uint8_t** buffer, int32_t* size);
