#include "items/title_item.h"

#include <cstring>

std::unique_ptr<ItemRecord> MakeTitleItem(const TitleEffect& effect) {
    auto copy = std::make_unique<TitleEffect>(effect);
    auto item = std::make_unique<ItemRecord>(kItemTitle, effect.id, copy.get());
    copy.release();  // the record owns it now
    return item;
}

void DrawTitleItem(const ItemRecord& item, int n, uint8_t* canvas, int size, int width, int height) {
    const auto& title = *static_cast<const TitleEffect*>(item.payload);
    if (n < title.first_frame || n > title.last_frame) return;

    const FrameRef input{canvas, width, height};
    const std::unique_ptr<uint8_t[]> output(new uint8_t[static_cast<size_t>(size)]);  // the renderer fills it all
    uint8_t* word = output.get();
    title.renderer->RenderTitle(&input, &word, title.parameter, title.last_frame - title.first_frame + 1,
                                n - title.first_frame);
    // The picture is taken from wherever the word points after the call; only the
    // block allocated here is freed, never one the renderer put in its place.
    std::memcpy(canvas, word, static_cast<size_t>(size));
}
