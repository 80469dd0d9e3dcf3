// The edit window's floating toolbar under wine64 on a virtual display, driven by real
// input, each control once: where it floats and what it shows, the sliders, the width
// box, the colour popups with the system colour dialog and "Pick Color", and Undo,
// Redo and Close following the history.
#ifdef _WIN32

#include <gtest/gtest.h>
#include <windows.h>

#include <colordlg.h>
#include <commctrl.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "editwnd/win32/pick_color_dialog.h"
#include "editwnd/win32/swatch_gallery_control.h"
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
    const EditPlacement& Shown() const { return TheOverlayEditWnd().model().placement(); }
    RECT ButtonRect(int id) const {  // on the screen
        RECT r{};
        SendMessageA(Bar().bar(), TB_GETRECT, id, reinterpret_cast<LPARAM>(&r));
        MapWindowPoints(Bar().bar(), nullptr, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    bool Enabled(int id) const { return SendMessageA(Bar().bar(), TB_ISBUTTONENABLED, id, 0) != 0; }
    void ClickButton(int id) { Click(Centre(ButtonRect(id))); }
    // The colour button's popup, opened by a click.
    HWND OpenPopup(int button) {
        ClickButton(button);
        HWND popup = Bar().Popup(button)->hwnd();
        EXPECT_TRUE(win::PumpUntil([&] { return IsWindowVisible(popup) != 0; }));
        return popup;
    }
    static POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
    static RECT ScreenRect(HWND w) {
        RECT r{};
        GetWindowRect(w, &r);
        return r;
    }
    void ClickEditWindow() { Click({kHostOrigin.x + 150, kHostOrigin.y + 110}); }  // off the overlay
    static void Click(POINT screen) {
        ASSERT_TRUE(win::MoveMouseToScreen(screen));
        win::LeftDown();
        win::LeftUp();
        win::PumpFor(100);
    }
};

std::string Text(HWND w) {
    char text[128] = "";
    GetWindowTextA(w, text, sizeof text);
    return text;
}

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
    win::PressKey('0');
    win::PressKey('5');
    win::PumpFor(150);  // past an update
    EXPECT_EQ(Text(box), "05") << "the update leaves what the user types";
    EXPECT_TRUE(reports_.empty()) << "the host hears of it at the next report";
    ClickEditWindow();
    ASSERT_TRUE(win::PumpUntil([&] { return !reports_.empty(); }));
    EXPECT_EQ(reports_.back().second.opacity, 239);
    EXPECT_EQ(reports_.back().second.outline_colour, 0x70C8C8C8u);
    EXPECT_EQ(reports_.back().second.outline_width, 5);
    win::PumpFor(150);
    EXPECT_EQ(Text(box), "5") << "once the box has lost the focus";
}

TEST_F(EditToolbarWindow, SwatchesAndNoColorSetTheColoursAsThePopupsShow) {
    Open();
    const int mask_popup = ID_MASK_COLOR, frame_popup = ID_FRAME_COLOR;
    const struct {
        int button, entry;  // entry: a gallery with the swatch below, or "No Color"
        editwnd::SwatchPosition swatch;
        uint32_t key, outline;
    } cases[] = {
        {frame_popup, ID_FRAME_COLOR_GALLERY, {1, 1}, kKey, 0x80FF0000u},  // "Red"
        {mask_popup, ID_MASK_NO_COLOR, {}, kNoKeyColour, 0x80FF0000u},
    };
    for (const auto& c : cases) {
        HWND popup = OpenPopup(c.button);
        EXPECT_EQ(ScreenRect(popup).left, ButtonRect(c.button).left);
        EXPECT_EQ(ScreenRect(popup).top, ButtonRect(c.button).bottom);
        RECT r = ScreenRect(GetDlgItem(popup, c.entry));
        if (c.entry != ID_MASK_NO_COLOR) {
            const RECT swatch = editwnd::SwatchRect(editwnd::ColourGallery(), c.swatch);
            r = {r.left + swatch.left, r.top + swatch.top, r.left + swatch.right, r.top + swatch.bottom};
        }
        Click(Centre(r));
        EXPECT_FALSE(IsWindowVisible(popup));
        EXPECT_EQ(IsDlgButtonChecked(Bar().Popup(ID_MASK_COLOR)->hwnd(), ID_MASK_NO_COLOR),
                  c.key == kNoKeyColour ? BST_CHECKED : BST_UNCHECKED);
        EXPECT_EQ(Shown().key_colour, c.key);
        EXPECT_EQ(Shown().outline_colour, c.outline);
        const auto& gallery = Bar().Popup(c.button)->gallery();
        EXPECT_EQ(gallery.marked(), c.entry == ID_MASK_NO_COLOR ? std::nullopt : std::optional(c.swatch));
    }
}

// "More Colors...": the dialog starts from the selection; OK applies its colour (the
// answer), Cancel (none) changes nothing and sets no undo step.
TEST_F(EditToolbarWindow, TheSystemColourDialogAppliesOnOkOnly) {
    Open();
    ClickEditWindow();  // the focus starts the undo steps
    const struct {
        int button, entry;
        std::optional<uint32_t> answer;
        uint32_t start, key, outline;
    } cases[] = {
        {ID_MASK_COLOR, ID_MASK_MORE_COLORS, std::nullopt, kKey, kKey, kOutline},
        {ID_FRAME_COLOR, ID_FRAME_MORE_COLORS, 0x0A0B0C, 0xC8C8C8, kKey, 0x800C0B0Au},
    };
    for (const auto& c : cases) {
        const size_t steps = TheOverlayEditWnd().model().history().UndoDepth();
        HWND popup = OpenPopup(c.button);
        std::atomic<uint32_t> start{0xDEADBEEF};
        // Beside the dialog's modal loop: read where it starts, set the answer, close it.
        std::thread driver([&, frame = Bar().frame()] {
            HWND dialog = win::WaitForWindow("#32770", frame);
            if (!dialog) return;
            const int channel[3] = {COLOR_RED, COLOR_GREEN, COLOR_BLUE};
            uint32_t colorref = 0;
            for (int k = 0; k < 3; ++k) colorref |= GetDlgItemInt(dialog, channel[k], nullptr, FALSE) << 8 * k;
            start = colorref;
            if (c.answer) {
                for (int k = 0; k < 3; ++k) SetDlgItemInt(dialog, channel[k], *c.answer >> 8 * k & 0xFF, FALSE);
            }
            const int button = c.answer ? IDOK : IDCANCEL;
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
        });
        Click(Centre(ScreenRect(GetDlgItem(popup, c.entry))));
        driver.join();
        win::PumpFor(150);  // past a snapshot
        EXPECT_EQ(start, c.start);
        EXPECT_EQ(Shown().key_colour, c.key);
        EXPECT_EQ(Shown().outline_colour, c.outline);
        EXPECT_EQ(TheOverlayEditWnd().model().history().UndoDepth(), steps + c.answer.has_value());
    }
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
    HWND popup = OpenPopup(ID_MASK_COLOR);
    Click(Centre(ScreenRect(GetDlgItem(popup, ID_MASK_PICK_SCREEN_COLORS))));
    EXPECT_EQ(TheOverlayEditWnd().toolbar(), nullptr);
    EXPECT_FALSE(IsWindow(frame));
    ASSERT_FALSE(reports_.empty());
    EXPECT_EQ(reports_.back().second.key_colour, kKey);
}

TEST_F(EditToolbarWindow, UndoAndRedoFollowTheHistoryAndCloseAsksTheHost) {
    HWND w = Open();
    auto expect = [&](bool undo, bool redo, float left) {
        win::PumpFor(150);  // past a snapshot and an update
        EXPECT_EQ(Enabled(ID_EDIT_UNDO), undo) << left;
        EXPECT_EQ(Enabled(ID_EDIT_REDO), redo) << left;
        EXPECT_EQ(Shown().corners[0].x, left);
    };
    expect(false, false, 40);
    Drag(w, {50, 50}, {70, 50});
    expect(true, false, 60);
    ClickButton(ID_EDIT_UNDO);
    expect(false, true, 40);
    ClickButton(ID_EDIT_REDO);
    expect(true, false, 60);
    ClickButton(ID_EDIT_CLOSE);
    ASSERT_TRUE(win::PumpUntil([&] { return closes_ == 1; }));
}

}  // namespace

#endif  // _WIN32
