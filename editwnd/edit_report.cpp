#include "editwnd/edit_report.h"

#include "editwnd/rescale.h"

namespace editwnd {

EditReport MakeReport(const EditPlacement& window_placement, int item_reference_width, int item_reference_height) {
    EditReport report{window_placement};
    RescalePlacement(report.placement, item_reference_width, item_reference_height);
    report.rectangle = CornersFormRectangle(report.placement.corners);
    return report;
}

}  // namespace editwnd
