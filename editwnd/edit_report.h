// What the window writes into the item and hands the host: its placement scaled back
// from the client size to the item's own reference size.
#pragma once

#include "channels/edit_placement.h"

namespace editwnd {

struct EditReport {
    EditPlacement placement;  // in the item's reference size
    bool rectangle = false;   // the item's rectangle flag
};

// The window's own placement is not changed. An item reference size that is not
// positive leaves the corners in client pixels, with the client size as reference.
EditReport MakeReport(const EditPlacement& window_placement, int item_reference_width, int item_reference_height);

}  // namespace editwnd
