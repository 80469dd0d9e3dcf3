#include "items/slide_item.h"

#include <cstring>

#include "channels/main_ch_mgr.h"

std::unique_ptr<ItemRecord> MakeSlideItem(const SlideEffect& effect) {
    return MakeItemRecord(kItemSlide, effect.id, std::make_unique<SlideEffect>(effect));
}

void DrawSlideItem(ItemRecord& item, int n, const Canvas& c) {
    uint8_t* const canvas = c.pixels;
    const int size = c.size, width = c.width, height = c.height;
    const auto& slide = *static_cast<const SlideEffect*>(item.payload);
    if (n < slide.first_frame || n > slide.last_frame) return;

    if (!item.snapshot) {
        item.snapshot.reset(new uint8_t[static_cast<size_t>(size)]());  // black until a snapshot is taken
        item.snapshot_size = static_cast<uint32_t>(size);
    }
    const FrameRef from{item.snapshot.get(), width, height};
    const FrameRef to{canvas, width, height};
    const std::unique_ptr<uint8_t[]> output(new uint8_t[static_cast<size_t>(size)]);
    avs::CallOut([&] {
        slide.renderer->RenderFrameTransition(&from, &to, output.get(), size, slide.parameter,
                                              slide.last_frame - slide.first_frame + 1, n - slide.first_frame);
    });
    std::memcpy(canvas, output.get(), static_cast<size_t>(size));
    if (avs::CallOut([&] { return slide.renderer->DropsSnapshot(); })) item.DropSnapshot();
}

void UpdateSlideSnapshots(CMainChMgr& mgr) {
    for (int c = 0; c < mgr.ChannelCount(); ++c) {
        const ItemList* items = mgr.Channel(c);
        if (!items) continue;  // hidden channels are not skipped here
        for (size_t i = 0; i < items->size(); ++i) {
            ItemRecord& item = *(*items)[i];
            if (item.kind != kItemSlide) continue;
            const auto& slide = *static_cast<const SlideEffect*>(item.payload);
            if (avs::CallOut([&] { return slide.renderer->DropsSnapshot(); })) {
                item.DropSnapshot();
                continue;
            }
            if (slide.first_frame <= 0) continue;
            const PVideoFrame frame = mgr.ComposeFrame(slide.first_frame - 1, c, mgr.Environment());
            const size_t bytes = static_cast<size_t>(frame->GetPitch()) * frame->GetHeight();
            std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes]);
            std::memcpy(copy.get(), frame->GetReadPtr(), bytes);
            item.snapshot = std::move(copy);
            item.snapshot_size = static_cast<uint32_t>(bytes);
        }
    }
}
