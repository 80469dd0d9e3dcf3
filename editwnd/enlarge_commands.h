// Scaling the overlay's box to fill the client area, freely or keeping its aspect, and
// centring it there.
#pragma once

#include "channels/edit_placement.h"

namespace editwnd {

// Both return false, changing nothing, when the box has no width or height or a corner
// would not be finite.
bool EnlargeToFullScreen(EditPlacement& placement, int client_width, int client_height);
bool EnlargeKeepingAspect(EditPlacement& placement, int client_width, int client_height);

}  // namespace editwnd
