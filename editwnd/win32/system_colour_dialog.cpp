#include "editwnd/win32/system_colour_dialog.h"

#include <commdlg.h>

namespace editwnd {

std::optional<uint32_t> RunSystemColourDialog(HWND owner, std::optional<uint32_t> start) {
    // The sixteen custom colours live for one run only: nothing is kept between runs.
    COLORREF custom[16];
    for (COLORREF& c : custom) c = RGB(255, 255, 255);
    CHOOSECOLORA cc{};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = owner;
    cc.lpCustColors = custom;
    cc.Flags = CC_FULLOPEN | CC_ANYCOLOR;
    if (start) {
        cc.rgbResult = *start & 0xFFFFFF;
        cc.Flags |= CC_RGBINIT;
    }
    if (!ChooseColorA(&cc)) return std::nullopt;
    return static_cast<uint32_t>(cc.rgbResult & 0xFFFFFF);
}

}  // namespace editwnd
