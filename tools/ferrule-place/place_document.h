// A timeline opened for placing: its file as read, the items that can be placed, and
// the library composing it, so that each item's background and picture come as the
// library hands them to a host.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "placeable_items.h"
#include "timeline_write.h"
#include "tools/ferrule-render/session.h"

namespace place {

class PlaceDocument {
public:
    // Reads, checks and places the timeline as ferrule-render does, raising its errors.
    explicit PlaceDocument(const std::string& timeline_file);

    const render::Timeline& timeline() const { return timeline_; }
    const std::vector<PlaceableItem>& items() const { return items_; }
    const TimelineFile& file() const { return file_; }

    // The item's id in the library and its placement as the file has it, in output pixels.
    const render::PlacedItem& Placed(size_t item) const;
    // Frame n without the item, and the item's own picture at frame n.
    render::HostFrame Background(size_t item, int n) const;
    render::HostFrame Picture(size_t item, int n) const;

    // The file's text with the item placed at `placement`.
    std::string EditedText(size_t item, const EditPlacement& placement) const;
    // Writes that (SaveError when it cannot); the library then takes the saved file in,
    // so that other items are seen where they were saved.
    void Save(size_t item, const EditPlacement& placement);

private:
    void Load();

    TimelineFile file_;
    render::Timeline timeline_;
    std::vector<PlaceableItem> items_;
    std::unique_ptr<render::Session> session_;
};

}  // namespace place
