#include "editwnd/toolbar_view.h"

#include <algorithm>

#include "editwnd/outline_width_text.h"
#include "editwnd/property_edit.h"
#include "gfx/bitmap.h"

namespace editwnd {

ToolbarView UpdateToolbar(const EditPlacement& placement, CColourSelections& selections,
                          const std::vector<SwatchGroup>& gallery) {
    selections.Follow(placement);
    ToolbarView view;
    // A slider cannot show a value beyond its range; the placement may hold one.
    view.clip_opacity_position = std::clamp(static_cast<int>(placement.opacity), 0, 255);
    view.outline_opacity_position = gfx::AlphaOf(placement.outline_colour);
    view.outline_width_text = OutlineWidthText(placement.outline_width);
    view.key_colour = selections.key();
    view.outline_colour = selections.outline();
    view.no_color_checked = selections.no_key();
    view.key_swatch = FindSwatch(gallery, selections.key());
    view.outline_swatch = FindSwatch(gallery, selections.outline());
    return view;
}

}  // namespace editwnd
