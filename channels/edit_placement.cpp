#include "channels/edit_placement.h"

#include <cmath>

bool CornersFormRectangle(const OverlayCorner* c) {
    // Written as <= so that a NaN corner fails.
    return std::fabs(c[0].y - c[1].y) <= 1.0f && std::fabs(c[1].x - c[2].x) <= 1.0f &&
           std::fabs(c[2].y - c[3].y) <= 1.0f && std::fabs(c[3].x - c[0].x) <= 1.0f;
}
