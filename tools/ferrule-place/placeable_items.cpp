#include "placeable_items.h"

#include <filesystem>
#include <variant>

namespace place {

std::vector<PlaceableItem> PlaceableItems(const render::Timeline& timeline) {
    std::vector<PlaceableItem> items;
    for (size_t c = 0; c < timeline.channels.size(); ++c) {
        const std::vector<render::Item>& list = timeline.channels[c].items;
        for (size_t i = 0; i < list.size(); ++i) {
            PlaceableItem p{static_cast<int>(c), static_cast<int>(i), list[i].path, "", list[i].first, list[i].last, false};
            if (const auto* ov = std::get_if<render::Overlay>(&list[i].what)) {
                p.name = ov->source.media.empty() ? "generated " + ov->source.generate
                                                  : std::filesystem::path(ov->source.media).filename().string();
            } else if (const auto* pictures = std::get_if<render::Pictures>(&list[i].what)) {
                p.name = std::filesystem::path(pictures->files.front()).filename().string();
                if (pictures->files.size() > 1) p.name += " and " + std::to_string(pictures->files.size() - 1) + " more";
                p.pictures = true;
            } else {
                continue;
            }
            items.push_back(p);
        }
    }
    return items;
}

size_t FindItem(const render::Timeline& timeline, const std::vector<PlaceableItem>& items, const std::string& spec) {
    int channel = -1, index = -1;
    char end = 0;
    if (std::sscanf(spec.c_str(), "%d:%d%c", &channel, &index, &end) != 2 || channel < 0 || index < 0)
        throw UsageError("--item wants CHANNEL:INDEX, such as 1:0, not \"" + spec + "\"");
    for (size_t k = 0; k < items.size(); ++k)
        if (items[k].channel == channel && items[k].index == index) return k;
    const bool exists = static_cast<size_t>(channel) < timeline.channels.size() &&
                        static_cast<size_t>(index) < timeline.channels[channel].items.size();
    if (!exists) throw UsageError("--item " + spec + ": the timeline has no such item");
    const auto& what = timeline.channels[channel].items[index].what;
    const char* kind = std::holds_alternative<render::Title>(what) ? "a title" : std::holds_alternative<render::Slide>(what) ? "a slide" : "subtitles";
    throw UsageError("--item " + spec + " is " + kind + ", which has no corners to place: only overlays and pictures are placeable");
}

}  // namespace place
