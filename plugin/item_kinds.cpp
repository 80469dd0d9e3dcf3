#include "plugin/item_kinds.h"

#include "items/image_item.h"
#include "items/slide_item.h"
#include "items/subtitle_item.h"
#include "items/title_item.h"
#include "overlay/overlay_item.h"

namespace {

// Slides, titles and subtitles have no picture of their own; only overlay clips carry sound.
constexpr ItemKindTable kItemKinds = {{
    /* kItemOverlay  */ {DrawOverlayItem, OverlayItemPicture, MixOverlayAudio},
    /* kItemSlide    */ {DrawSlideItem, nullptr, nullptr},
    /* kItemTitle    */ {DrawTitleItem, nullptr, nullptr},
    /* kItemImage    */ {DrawImageItem, ImageItemPicture, nullptr},
    /* kItemSubtitle */ {DrawSubtitleItem, nullptr, nullptr},
}};

}  // namespace

const ItemKindTable& AllItemKinds() { return kItemKinds; }
