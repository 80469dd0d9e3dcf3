// What composition asks of an item, by its kind: one drawing shape for every kind,
// and the picture and sound of the kinds that have them. The table is filled above
// the kinds, so the manager knows none of them.
#pragma once

#include <cstdint>

#include "avs/avisynth.h"
#include "channels/item_record.h"

struct HostPicture;

// A bottom-up RGB24 picture in the canvas layout (rows `pitch` bytes apart, pitch the
// 4-byte-aligned row size), and the environment of the manager drawing on it.
struct Canvas {
    uint8_t* pixels;  // null when only the size is wanted (a picture for the host)
    int32_t pitch;
    int32_t width;
    int32_t height;
    int32_t size;  // pitch * height
    IScriptEnvironment* env;
};

struct ItemKindOps {
    // Draws frame n of the item onto the canvas.
    void (*draw)(ItemRecord& item, int n, const Canvas& canvas);
    // The item's own picture for frame n, as the host receives it; null for a kind
    // without one. The canvas gives the frame size only.
    void (*picture)(ItemRecord& item, int n, const Canvas& canvas, HostPicture& out);
    // Adds the item's sound to a block of the output; null for a silent kind.
    void (*mix_audio)(ItemRecord& item, const VideoInfo& out, void* buf, int64_t start, int64_t count,
                      IScriptEnvironment* env);
};

// Indexed by ItemKind; kinds outside it draw nothing and have no picture or sound.
struct ItemKindTable {
    static constexpr int32_t kCount = kItemSubtitle + 1;
    ItemKindOps kinds[kCount];

    const ItemKindOps* Find(int32_t kind) const { return kind >= 0 && kind < kCount ? &kinds[kind] : nullptr; }
};
