// The edit window's floating toolbar under wine64 on a virtual display, driven by real
// input, each kind of control once: the sliders, the width box and a colour popup's
// "Pick Color". What each control writes is the portable toolbar's; the buttons' enabled
// states are the model's, and followed through the shipped DLL by the 32-bit host.
#ifdef _WIN32

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <optional>

#include "editwnd/win32/pick_color_dialog.h"
#include "tests/edit_window_host.h"

namespace {

namespace win = test::win;
using editwnd::TheOverlayEditWnd;

constexpr uint32_t kKey = 0x50D092, kOutline = 0x80C8C8C8u;  // "Light Green"; grey at half alpha

class EditToolbarWindow : public win::EditWindowHost {
protected:
    EditToolbarWindow() {
        EditPlacement p;
        test::PlaceRect(p, 40, 30, 60, 70);
        p.opacity = 255, p.key_colour = kKey, p.outline_width = 3, p.outline_colour = kOutline;
        Place(7, p);
    }
    ~EditToolbarWindow() override { TheOverlayEditWnd().SetScreenColourPicker(editwnd::RunPickColorDialog); }

    HWND Open() { return EditWindowHost::Open(7, 150); }  // built, placed twice, updated
    const editwnd::CEditToolbar& Bar() const { return *TheOverlayEditWnd().toolbar(); }
    static POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
    static RECT ScreenRect(HWND w) {
        RECT r{};
        GetWindowRect(w, &r);
        return r;
    }
    static void Click(POINT screen) {
        ASSERT_TRUE(win::MoveMouseToScreen(screen));
        win::LeftDown();
        win::LeftUp();
        win::PumpFor(100);
    }
};

// A click left of a slider's thumb pages down by 16, from 255 and from the alpha 0x80.
TEST_F(EditToolbarWindow, EachControlWritesItsPropertyAndTheNextReportCarriesIt) {
    Open();
    for (int id : {ID_CLIP_OPAQUE, ID_FRAME_OPAQUE}) {
        const RECT r = ScreenRect(Bar().Control(id));
        Click({r.left + 20, (r.top + r.bottom) / 2});
    }
    const HWND box = Bar().Control(ID_FRAME_WIDTH);
    Click(Centre(ScreenRect(box)));
    SendMessageA(box, EM_SETSEL, 0, -1);  // typing replaces the text
    win::PressKey('5');
    Click({kHostOrigin.x + 150, kHostOrigin.y + 110});  // off the overlay: the host hears at the next report
    ASSERT_TRUE(win::PumpUntil([&] { return !reports_.empty(); }));
    EXPECT_EQ(reports_.back().second.opacity, 239);
    EXPECT_EQ(reports_.back().second.outline_colour, 0x70C8C8C8u);
    EXPECT_EQ(reports_.back().second.outline_width, 5);
}

// The host closes the edit window while a colour dialog is open: the toolbar goes when
// the dialog returns, and what the dialog yields is applied nowhere.
TEST_F(EditToolbarWindow, AWindowClosedUnderADialogTakesNothingFromIt) {
    TheOverlayEditWnd().SetScreenColourPicker([](HWND, uint32_t) {
        DestroyWindow(TheOverlayEditWnd().hwnd());
        return std::optional<uint32_t>(0x123456);
    });
    Open();
    const HWND frame = Bar().frame();
    RECT button{};  // the colour button, on the screen: a click opens its popup
    SendMessageA(Bar().bar(), TB_GETRECT, ID_MASK_COLOR, reinterpret_cast<LPARAM>(&button));
    MapWindowPoints(Bar().bar(), nullptr, reinterpret_cast<POINT*>(&button), 2);
    Click(Centre(button));
    const HWND popup = Bar().Popup(ID_MASK_COLOR)->hwnd();
    EXPECT_TRUE(win::PumpUntil([&] { return IsWindowVisible(popup) != 0; }));
    Click(Centre(ScreenRect(GetDlgItem(popup, ID_MASK_PICK_SCREEN_COLORS))));
    EXPECT_EQ(TheOverlayEditWnd().toolbar(), nullptr);
    EXPECT_FALSE(IsWindow(frame));
    ASSERT_FALSE(reports_.empty());
    EXPECT_EQ(reports_.back().second.key_colour, kKey);
}

}  // namespace

#endif  // _WIN32
