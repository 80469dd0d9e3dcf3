#include "items/title_item.h"

#include <cstring>

std::unique_ptr<ItemRecord> MakeTitleItem(const TitleEffect& effect) {
    return MakeItemRecord(kItemTitle, effect.id, std::make_unique<TitleEffect>(effect));
}

void DrawTitleItem(ItemRecord& item, int n, const Canvas& c) {
    uint8_t* const canvas = c.pixels;
    const int size = c.size, width = c.width, height = c.height;
    const auto& title = *static_cast<const TitleEffect*>(item.payload);
    if (n < title.first_frame || n > title.last_frame) return;

    const FrameRef input{canvas, width, height};
    const std::unique_ptr<uint8_t[]> output(new uint8_t[static_cast<size_t>(size)]);  // the renderer fills it all
    uint8_t* word = output.get();
    avs::CallOut([&] {
        title.renderer->RenderTitle(&input, &word, title.parameter, title.last_frame - title.first_frame + 1,
                                    n - title.first_frame);
    });
    // The picture is taken from wherever the word points after the call; only the
    // block allocated here is freed, never one the renderer put in its place.
    std::memcpy(canvas, word, static_cast<size_t>(size));
}
