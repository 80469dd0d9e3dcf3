#include "place_document.h"

#include <algorithm>
#include <filesystem>

namespace place {

PlaceDocument::PlaceDocument(const std::string& timeline_file) : file_(timeline_file) { Load(); }

void PlaceDocument::Load() {
    timeline_ = render::ParseTimeline(file_.text(), file_.path(), std::filesystem::path(file_.path()).parent_path().string());
    items_ = PlaceableItems(timeline_);
    session_.reset();  // one frame server at a time
    session_ = std::make_unique<render::Session>(timeline_);
}

// Every overlay and picture show is placed, or the session threw.
const render::PlacedItem& PlaceDocument::Placed(size_t item) const {
    const std::vector<render::PlacedItem>& placed = session_->Placed();
    const auto it = std::find_if(placed.begin(), placed.end(), [&](const render::PlacedItem& p) { return p.path == items_.at(item).path; });
    return *it;
}

render::HostFrame PlaceDocument::Background(size_t item, int n) const {
    return session_->FrameWithout(n, Placed(item).id);
}

render::HostFrame PlaceDocument::Picture(size_t item, int n) const {
    return session_->ItemPicture(n, Placed(item).id);
}

std::string PlaceDocument::EditedText(size_t item, const EditPlacement& placement) const {
    return ApplyItemEdit(file_.text(), {items_.at(item).path, items_.at(item).pictures, Placed(item).placement, placement});
}

void PlaceDocument::Save(size_t item, const EditPlacement& placement) {
    file_.Save(EditedText(item, placement));
    Load();
}

}  // namespace place
