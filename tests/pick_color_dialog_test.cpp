// The "Pick Color" dialog under wine64 on a virtual display, driven by real input from
// a test thread: its palette popup opens at once, in front, and a click on another
// window takes that window's colour. The grid's colours and cells and what a drag picks
// are the portable picker's.
#ifdef _WIN32

#include "editwnd/win32/pick_color_dialog.h"

#include <gtest/gtest.h>

#include <optional>
#include <thread>

#include "editwnd/win32/color_pick_button.h"
#include "editwnd/win32/own_module.h"
#include "tests/window_support.h"

namespace {

namespace win = test::win;

constexpr POINT kSolidOrigin{700, 500};
constexpr uint32_t kSolid = 0x2080C0, kStart = 0x406080;  // COLORREFs

bool ClassExists(const char* name) {
    WNDCLASSA wc;
    return GetClassInfoA(editwnd::OwnModule(), name, &wc) != 0;
}

TEST(PickColorDialog, OpensItsPaletteAtOnceAndYieldsThePickOnOk) {
    const auto host = win::TestWindow::TopLevel(200, 100, {100, 100});
    // A window filled with one colour to pick from.
    const auto solid = win::TestWindow::TopLevel(80, 60, kSolidOrigin, [](HWND h, UINT m, WPARAM w, LPARAM) {
        if (m != WM_ERASEBKGND) return std::optional<LRESULT>();
        RECT r;
        GetClientRect(h, &r);
        HBRUSH brush = CreateSolidBrush(kSolid);
        FillRect(reinterpret_cast<HDC>(w), &r, brush);
        DeleteObject(brush);
        return std::optional<LRESULT>(1);
    });
    bool topmost = false;
    std::thread driver([&] {
        const HWND popup = win::WaitForWindow("ColorPalette");
        const HWND dialog = win::WaitForWindow("#32770", host->hwnd());
        topmost = GetWindowLongA(popup, GWL_EXSTYLE) & WS_EX_TOPMOST;
        win::MoveMouseToScreen({kSolidOrigin.x + 40, kSolidOrigin.y + 30});
        Sleep(100);
        win::LeftDown();
        win::LeftUp();
        for (int i = 0; i < 300 && IsWindow(popup); ++i) Sleep(10);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(editwnd::RunPickColorDialog(host->hwnd(), kStart), kSolid);
    driver.join();
    EXPECT_TRUE(topmost);
    EXPECT_FALSE(ClassExists(editwnd::kColorPickButtonClass));
    EXPECT_FALSE(ClassExists("ColorPalette"));
}

}  // namespace

#endif  // _WIN32
