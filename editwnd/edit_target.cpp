#include "editwnd/edit_target.h"

#include "channels/main_ch_mgr.h"
#include "editwnd/edit_geometry.h"
#include "items/image_item.h"
#include "overlay/overlay_item.h"

namespace editwnd {

EditReport MakeReport(const EditPlacement& window_placement, int item_reference_width, int item_reference_height) {
    EditReport report{window_placement};
    RescalePlacement(report.placement, item_reference_width, item_reference_height);
    report.rectangle = CornersFormRectangle(report.placement.corners);
    return report;
}

namespace {

COverlayItem* OverlayOf(const ItemRecord& r) {
    return r.kind == kItemOverlay ? static_cast<COverlayItem*>(r.payload) : nullptr;
}
CImageItem* ImageOf(const ItemRecord& r) {
    return r.kind == kItemImage ? static_cast<CImageItem*>(r.payload) : nullptr;
}

}  // namespace

EditTarget::EditTarget(ItemRecord* record) : record_(record), id_(record->id), kind_(record->kind) {}

std::optional<EditTarget> EditTarget::Find(CMainChMgr& mgr, int32_t id) {
    ItemRecord* record = mgr.FindItem(id);
    if (!record || !record->payload || (!OverlayOf(*record) && !ImageOf(*record))) return std::nullopt;
    return EditTarget(record);
}

std::optional<EditTarget> EditTarget::Refind(CMainChMgr& mgr) const {
    // Matched by address first: the old record is never dereferenced before it is
    // found in the manager's lists; id and kind guard against a new record that
    // happens to live at the address of a removed one.
    for (int c = 0; c < mgr.ChannelCount(); ++c)
        if (const ItemList* items = mgr.Channel(c))
            for (const auto& item : *items)
                if (item.get() == record_ && item->id == id_ && item->kind == kind_) return EditTarget(record_);
    return std::nullopt;
}

int32_t EditTarget::Id() const { return record_->id; }

int32_t EditTarget::FirstFrame() const {
    if (const COverlayItem* o = OverlayOf(*record_)) return o->first_frame;
    return ImageOf(*record_)->first_frame;
}

const EditPlacement& EditTarget::Placement() const {
    if (const COverlayItem* o = OverlayOf(*record_)) return o->Effect().placement;
    return ImageOf(*record_)->placement;
}

void EditTarget::Write(const EditReport& report) const {
    const EditPlacement& placement = report.placement;
    const int32_t rectangle = report.rectangle ? 1 : 0;
    if (COverlayItem* o = OverlayOf(*record_)) {
        o->SetPlacement(placement);
        o->rectangle = rectangle;
        return;
    }
    CImageItem* image = ImageOf(*record_);
    image->cache.Empty();
    image->placement = placement;
    image->rectangle = rectangle;
}

}  // namespace editwnd
