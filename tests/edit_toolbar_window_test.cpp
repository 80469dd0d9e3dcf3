// The edit window's floating toolbar under wine64 on a virtual display, driven by real
// input: where it floats, its controls and tooltips, what each control writes into the
// placement, the colour popups with the system colour dialog and an injected "Pick
// Color", and Undo, Redo and Close following the history.
#ifdef _WIN32

#include <gtest/gtest.h>
#include <windows.h>

#include <colordlg.h>
#include <commctrl.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "editwnd/edit_messages.h"
#include "editwnd/win32/overlay_edit_wnd.h"
#include "editwnd/win32/swatch_gallery_control.h"
#include "overlay/overlay_item.h"
#include "plugin/exports.h"
#include "test_support.h"
#include "tests/window_support.h"

namespace {

namespace win = test::win;
using editwnd::TheOverlayEditWnd;

constexpr int kW = 160, kH = 120;
constexpr POINT kHostOrigin{100, 100};
constexpr uint32_t kKey = 0x50D092, kOutline = 0x80C8C8C8u;  // "Light Green"; grey at half alpha

class EditToolbarWindow : public ::testing::Test {
protected:
    EditToolbarWindow() : env_(test::NewEnv()), published_(env_.get(), test::Rgb24Info(kW, kH, 100)) {
        clip_ = new test::PatternClip(test::Rgb24Info(20, 40, 100), 0x67);
        OverlayClipInfo info;
        info.item_id = 7, info.first_frame = 10, info.last_frame = 50, info.clip = &clip_;
        info.video_enabled = 1;
        OverlayEffect e;
        test::PlaceRect(e.placement, 40, 30, 60, 70);
        EditPlacement& p = e.placement;
        p.reference_width = kW, p.reference_height = kH;
        p.opacity = 255, p.key_colour = kKey, p.outline_width = 3, p.outline_colour = kOutline;
        AddOverlay(&info, &e, 1, 0);
        host_ = win::RecordingWindow::TopLevel(kW, kH, kHostOrigin, [this](HWND, UINT m, WPARAM, LPARAM l) {
            if (m == editwnd::WM_EDITWND_CHANGED) reports_.push_back(*reinterpret_cast<const EditPlacement*>(l));
            return std::optional<LRESULT>();
        });
    }
    ~EditToolbarWindow() override {
        if (HWND w = TheOverlayEditWnd().hwnd()) DestroyWindow(w);
        TheOverlayEditWnd().SetScreenColourPicker({});
    }

    HWND Open() {
        HWND w = CreateOverlayEditWnd(7, host_->hwnd());
        MoveWindow(w, 0, 0, kW, kH, TRUE);
        win::PumpFor(150);  // built, placed twice, updated
        return w;
    }
    const editwnd::CEditToolbar& Bar() const { return *TheOverlayEditWnd().toolbar(); }
    const EditPlacement& Shown() const { return TheOverlayEditWnd().model().placement(); }
    // A toolbar button's rectangle on the screen.
    RECT ButtonRect(int id) const {
        RECT r{};
        SendMessageA(Bar().bar(), TB_GETRECT, id, reinterpret_cast<LPARAM>(&r));
        MapWindowPoints(Bar().bar(), nullptr, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    void ClickButton(int id) {
        const RECT r = ButtonRect(id);
        ASSERT_TRUE(win::MoveMouseToScreen({(r.left + r.right) / 2, (r.top + r.bottom) / 2}));
        win::LeftDown();
        win::LeftUp();
        win::PumpFor(100);
    }
    bool Enabled(int id) const { return SendMessageA(Bar().bar(), TB_ISBUTTONENABLED, id, 0) != 0; }
    // The colour button's popup, opened by a click.
    HWND OpenPopup(int button) {
        ClickButton(button);
        HWND popup = Bar().Popup(button)->hwnd();
        EXPECT_TRUE(win::PumpUntil([&] { return IsWindowVisible(popup) != 0; }));
        return popup;
    }
    void ClickSwatch(HWND popup, int gallery, editwnd::SwatchPosition at) {
        const RECT r = editwnd::SwatchRect(editwnd::ColourGallery(), at);
        ASSERT_TRUE(win::ClickAt(GetDlgItem(popup, gallery), {(r.left + r.right) / 2, (r.top + r.bottom) / 2}));
        win::PumpFor(100);
    }

    test::EnvPtr env_;
    test::PublishedManager published_;
    PClip clip_;
    std::unique_ptr<win::RecordingWindow> host_;
    std::vector<EditPlacement> reports_;
};

// The text of a visible tooltip, waited for.
std::string ShownTooltip() {
    std::string text;
    win::PumpUntil([&] {
        for (HWND t = FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr); t;
             t = FindWindowExA(nullptr, t, TOOLTIPS_CLASSA, nullptr)) {
            char buffer[128] = "";
            if (IsWindowVisible(t) && GetWindowTextA(t, buffer, sizeof buffer) > 0) text = buffer;
        }
        return !text.empty();
    });
    return text;
}

TEST_F(EditToolbarWindow, FloatsUnderTheWindowWithItsControlsInOrder) {
    HWND w = Open();
    const HWND frame = Bar().frame();
    char title[16] = "";
    GetWindowTextA(frame, title, sizeof title);
    EXPECT_STREQ(title, "Edit");
    EXPECT_EQ(GetWindow(frame, GW_OWNER), host_->hwnd());
    EXPECT_TRUE(IsWindowVisible(frame));
    RECT window, bar;
    GetWindowRect(w, &window);
    GetWindowRect(frame, &bar);
    EXPECT_EQ(bar.left, window.left);
    EXPECT_EQ(bar.top, window.bottom);

    // Left to right: each label just before its control, then Undo, Redo and Close.
    auto label = [&](const char* text) {
        RECT r{};
        GetWindowRect(FindWindowExA(Bar().bar(), nullptr, "STATIC", text), &r);
        return r.left;
    };
    auto control = [&](int id) {
        RECT r{};
        GetWindowRect(Bar().Control(id), &r);
        return r.left;
    };
    const long order[] = {label("Opaque:"),       control(ID_CLIP_OPAQUE),       label("Mask Color:"),
                          ButtonRect(ID_MASK_COLOR).left, label("Frame Width:"), control(ID_FRAME_WIDTH),
                          ButtonRect(ID_FRAME_COLOR).left, label("Frame Opaque:"), control(ID_FRAME_OPAQUE),
                          ButtonRect(ID_EDIT_UNDO).left, ButtonRect(ID_EDIT_REDO).left,
                          ButtonRect(ID_EDIT_CLOSE).left};
    for (size_t k = 0; k < std::size(order); ++k) {
        EXPECT_GT(order[k], k ? order[k - 1] : bar.left - 1) << "item " << k;
    }
    for (int id : {ID_CLIP_OPAQUE, ID_FRAME_OPAQUE}) {
        EXPECT_EQ(SendMessageA(Bar().Control(id), TBM_GETRANGEMIN, 0, 0), 0);
        EXPECT_EQ(SendMessageA(Bar().Control(id), TBM_GETRANGEMAX, 0, 0), 255);
    }
    RECT box;
    GetWindowRect(Bar().Control(ID_FRAME_WIDTH), &box);
    EXPECT_EQ(box.right - box.left, 40);

    // What the update shows: positions, the width, the colours in the buttons' bars.
    EXPECT_EQ(SendMessageA(Bar().Control(ID_CLIP_OPAQUE), TBM_GETPOS, 0, 0), 255);
    EXPECT_EQ(SendMessageA(Bar().Control(ID_FRAME_OPAQUE), TBM_GETPOS, 0, 0), 0x80);
    char width[16] = "";
    GetWindowTextA(Bar().Control(ID_FRAME_WIDTH), width, sizeof width);
    EXPECT_STREQ(width, "3");
    const win::Capture shot = win::CaptureClient(frame);
    win::SavePng(shot, "toolbar");
    for (auto [id, rgb] : {std::pair{ID_MASK_COLOR, 0x92D050u}, std::pair{ID_FRAME_COLOR, 0xC8C8C8u}}) {
        RECT r = ButtonRect(id);
        MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&r), 2);
        int count = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) count += shot.At(x, y) == rgb;
        EXPECT_EQ(count, 16 * 4) << "the colour bar of " << id;
    }
}

TEST_F(EditToolbarWindow, TooltipsComeFromTheStringTable) {
    Open();
    const struct {
        HWND over;
        int button;
        const char* want;
    } cases[] = {
        {Bar().Control(ID_CLIP_OPAQUE), 0, "Clip Opaque"},
        {nullptr, ID_MASK_COLOR, "Mask Color"},
        {Bar().Control(ID_FRAME_WIDTH), 0, "Frame Width"},
        {nullptr, ID_EDIT_CLOSE, "Close"},
    };
    for (const auto& c : cases) {
        RECT r;
        if (c.over) GetWindowRect(c.over, &r);
        else r = ButtonRect(c.button);
        ASSERT_TRUE(win::MoveMouseToScreen({(r.left + r.right) / 2, (r.top + r.bottom) / 2}));
        EXPECT_EQ(ShownTooltip(), c.want);
        ASSERT_TRUE(win::MoveMouseToScreen({kHostOrigin.x + 10, kHostOrigin.y + 10}));
        win::PumpFor(100);
    }
}

}  // namespace

#endif  // _WIN32
