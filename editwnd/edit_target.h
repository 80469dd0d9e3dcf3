// The report of an edit and the item it is written to.
#pragma once

#include <cstdint>
#include <optional>

#include "channels/edit_placement.h"

class CMainChMgr;
struct ItemRecord;

namespace editwnd {

// What the window writes into the item and hands the host: its placement scaled back
// from the client size to the item's own reference size.

struct EditReport {
    EditPlacement placement;  // in the item's reference size
    bool rectangle = false;   // the item's rectangle flag
};

// The window's own placement is not changed. An item reference size that is not
// positive leaves the corners in client pixels, with the client size as reference.
EditReport MakeReport(const EditPlacement& window_placement, int item_reference_width, int item_reference_height);

// The item an edit window edits: an overlay item or an image item of a manager. The
// window keeps only what finds it again, so an item the host removed in the meantime
// is never read or written.

class EditTarget {
public:
    // The first item with this id on any channel, when it is an overlay or an image
    // item; nothing for any other id.
    static std::optional<EditTarget> Find(CMainChMgr& mgr, int32_t id);

    // The same item again, if mgr still holds this very record under its id.
    std::optional<EditTarget> Refind(CMainChMgr& mgr) const;

    int32_t Id() const;
    // The first frame the item shows on.
    int32_t FirstFrame() const;
    // The placement as the item stores it, in its own reference size.
    const EditPlacement& Placement() const;
    // Stores a report's placement (in the item's reference size) and rectangle flag;
    // an image item's prepared pictures are dropped so that they are prepared again.
    void Write(const EditReport& report) const;

private:
    explicit EditTarget(ItemRecord* record);
    ItemRecord* record_;
    int32_t id_;
    int32_t kind_;
};

}  // namespace editwnd
