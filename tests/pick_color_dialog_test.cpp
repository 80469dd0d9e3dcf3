// The screen colour picker under wine64 on a virtual display, driven by real input: the
// colour button, its palette popup picking from another window and from its own grid,
// the system colour dialog behind "more colours", and the modal "Pick Color" dialog
// driven from a test thread.
#ifdef _WIN32

#include "editwnd/win32/pick_color_dialog.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

#include "editwnd/colours.h"
#include "editwnd/win32/color_pick_button.h"
#include "editwnd/win32/own_module.h"
#include "tests/window_support.h"

namespace {

namespace win = test::win;
using editwnd::CColorPickButton;
using editwnd::PaletteColour;

constexpr POINT kHostOrigin{100, 100};
constexpr RECT kButton{20, 20, 100, 50};  // in the host's client area
constexpr int kButtonId = 1000;
constexpr POINT kSolidOrigin{700, 500};
constexpr uint32_t kSolid = 0x2080C0, kStart = 0x406080;  // COLORREFs
constexpr POINT kSwatchPixel{20, 134};                    // popup client point

uint32_t ToColourRef(uint32_t rgb) { return (rgb & 0xFF) << 16 | (rgb & 0xFF00) | rgb >> 16; }

// Left, top, width and height on the screen.
std::array<LONG, 4> Placement(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

bool ClassExists(const char* name) {
    WNDCLASSA wc;
    return GetClassInfoA(editwnd::OwnModule(), name, &wc) != 0;
}

// A top-level window filled with one colour.
std::unique_ptr<win::RecordingWindow> SolidWindow() {
    return win::RecordingWindow::TopLevel(80, 60, kSolidOrigin, [](HWND h, UINT m, WPARAM w, LPARAM) {
        if (m != WM_ERASEBKGND) return std::optional<LRESULT>();
        RECT r;
        GetClientRect(h, &r);
        HBRUSH brush = CreateSolidBrush(kSolid);
        FillRect(reinterpret_cast<HDC>(w), &r, brush);
        DeleteObject(brush);
        return std::optional<LRESULT>(1);
    });
}

class PickColor : public ::testing::Test {
protected:
    PickColor() : registered_(CColorPickButton::Register()) {
        host_ = win::RecordingWindow::TopLevel(200, 100, kHostOrigin);
        const HWND button =
            CreateWindowExA(0, editwnd::kColorPickButtonClass, "", WS_CHILD | WS_VISIBLE, kButton.left, kButton.top,
                            kButton.right - kButton.left, kButton.bottom - kButton.top, host_->hwnd(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonId)), editwnd::OwnModule(), nullptr);
        button_ = CColorPickButton::FromWindow(button);
        text_ = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 9, 9, host_->hwnd(), nullptr, nullptr, nullptr);
        button_->SetTextWindow(text_);
        button_->SetColour(kStart);
        win::PumpFor(50);
    }
    ~PickColor() override {
        host_.reset();
        if (registered_) CColorPickButton::Unregister();
    }

    // Presses on the button and leaves the left button down, as a drag begins.
    HWND PressButton() {
        EXPECT_TRUE(win::MoveMouseTo(button_->hwnd(), {10, 10}));
        win::LeftDown();
        EXPECT_TRUE(win::PumpUntil([this] { return button_->popup_open(); }));
        win::PumpFor(50);
        return button_->popup();
    }
    void MoveTo(POINT screen) {
        ASSERT_TRUE(win::MoveMouseToScreen(screen));
        win::PumpFor(60);
    }
    void Release() {
        win::LeftUp();
        EXPECT_TRUE(win::PumpUntil([this] { return !button_->popup_open(); }));
        win::PumpFor(30);
    }

    const bool registered_;
    std::unique_ptr<win::RecordingWindow> host_, solid_ = SolidWindow();
    CColorPickButton* button_ = nullptr;
    HWND text_ = nullptr;
};

TEST_F(PickColor, ThePopupIsATopMostPaletteUnderTheButtonThatOnlyLivesWhileOpen) {
    ASSERT_NE(button_, nullptr);
    EXPECT_FALSE(ClassExists("ColorPalette"));
    const HWND popup = PressButton();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(ClassExists("ColorPalette"));
    EXPECT_EQ(FindWindowA("ColorPalette", "Palatte"), popup);
    EXPECT_TRUE(GetWindowLongA(popup, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetWindow(popup, GW_OWNER), host_->hwnd());
    EXPECT_EQ(GetCapture(), popup);
    EXPECT_EQ(Placement(popup),
              (std::array<LONG, 4>{kHostOrigin.x + kButton.left, kHostOrigin.y + kButton.bottom - 1, 191, 150}));
    ICONINFO cursor;
    ASSERT_TRUE(GetIconInfo(button_->picking_cursor(), &cursor));
    EXPECT_EQ(cursor.xHotspot, 0u);
    EXPECT_EQ(cursor.yHotspot, 15u);
    DeleteObject(cursor.hbmMask);

    const win::Capture shot = win::CaptureClient(popup);
    win::SavePng(shot, "palette");
    const struct {
        POINT at;
        uint32_t want;
    } pixels[] = {
        {{8, 8}, PaletteColour(0)},
        {{9, 4}, 0},  // a vertical line
        {{24, 33}, PaletteColour(59)},
        {{184, 114}, PaletteColour(227)},
        {{2, 122}, 0xC0C0C0},
        {kSwatchPixel, kStart},
        {{4, 124}, 0},  // the swatch's frame
    };
    for (const auto& p : pixels) EXPECT_EQ(ToColourRef(shot.At(p.at.x, p.at.y)), p.want) << p.at.x << "," << p.at.y;
    Release();
    EXPECT_FALSE(IsWindow(popup));
    EXPECT_FALSE(ClassExists("ColorPalette"));
    EXPECT_EQ(GetCapture(), nullptr);
}

// The rules of a drag are the portable picker's; here one drag per way it can end.
TEST_F(PickColor, ADragShowsAndTakesWhatLiesUnderThePointer) {
    const POINT solid{kSolidOrigin.x + 40, kSolidOrigin.y + 30};
    const struct {
        const char* what;
        std::optional<POINT> to;  // on the screen, or a point of the popup from its outer corner
        bool on_popup;
        uint32_t taken;
        const char* text;
    } drags[] = {
        {"no move", std::nullopt, false, kStart, "#806040"},
        {"another window", solid, false, kSolid, "#C08020"},
        {"the grid's cell 78", POINT{25, 45}, true, PaletteColour(78), "#0033CC"},
    };
    for (const auto& d : drags) {
        SCOPED_TRACE(d.what);
        const size_t clicks = host_->Count(WM_COMMAND);
        const HWND popup = PressButton();
        const std::array<LONG, 4> at = Placement(popup);
        if (d.to) {
            MoveTo(d.on_popup ? POINT{at[0] + d.to->x, at[1] + d.to->y} : *d.to);
            EXPECT_EQ(ToColourRef(win::CaptureClient(popup).At(kSwatchPixel.x, kSwatchPixel.y)), d.taken);
            EXPECT_EQ(GetCursor(), button_->picking_cursor());
        }
        Release();
        EXPECT_EQ(button_->Colour(), d.taken);
        char text[16] = "";
        GetWindowTextA(text_, text, sizeof text);
        EXPECT_STREQ(text, d.text);
        // Only a changed colour is announced, as a click with the button's id.
        const std::vector<win::Message> commands = host_->Messages(WM_COMMAND);
        ASSERT_EQ(commands.size(), clicks + (d.taken != kStart));
        if (d.taken != kStart) {
            EXPECT_EQ(commands.back().wParam, MAKEWPARAM(kButtonId, BN_CLICKED));
            EXPECT_EQ(commands.back().lParam, reinterpret_cast<LPARAM>(button_->hwnd()));
            button_->SetColour(kStart);
            win::PumpFor(30);
        }
    }
}

// Runs drive on a thread of its own while this thread runs modal, which returns when
// drive has closed the dialog; then waits for drive.
void WhileModal(const std::function<void()>& drive, const std::function<void()>& modal) {
    std::thread driver(drive);
    modal();
    driver.join();
}

// Polls from a driving thread until done holds or about 3 s pass; returns done().
bool WaitFor(const std::function<bool()>& done) {
    for (int i = 0; i < 300 && !done(); ++i) Sleep(10);
    return done();
}

HWND WaitForDialog(const char* title) {
    HWND w = nullptr;
    WaitFor([&] { return (w = FindWindowA("#32770", title)) && IsWindowVisible(w); });
    return w;
}

TEST_F(PickColor, MoreColoursRunsTheSystemDialogFullyOpenWithoutTheCurrentColour) {
    // The colour dialog's edit boxes for red, green and blue, and its "define custom
    // colours" button, disabled when the dialog opens expanded.
    constexpr int kRed = 706, kGreen = 707, kBlue = 708, kDefineCustom = 719;
    for (const bool ok : {false, true}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        const HWND popup = PressButton();
        MoveTo(win::ClientToScreenPoint(popup, {175, 134}));  // on "more colours"
        EXPECT_NE(GetCapture(), popup) << "let go so that the button can be clicked";
        win::LeftUp();
        std::atomic<bool> expanded{false};
        std::atomic<int> red{-1};
        WhileModal(
            [&] {
                const HWND dialog = WaitForDialog(nullptr);
                expanded = !IsWindowEnabled(GetDlgItem(dialog, kDefineCustom));
                red = static_cast<int>(GetDlgItemInt(dialog, kRed, nullptr, FALSE));
                for (const int edit : {kRed, kGreen, kBlue}) SetDlgItemInt(dialog, edit, edit - 656, FALSE);
                PostMessageA(dialog, WM_COMMAND, ok ? IDOK : IDCANCEL, 0);
            },
            [&] {
                win::LeftDown();
                win::LeftUp();
                EXPECT_TRUE(
                    win::PumpUntil([&] { return red >= 0 && !IsWindowVisible(FindWindowA("#32770", nullptr)); }, 4000));
            });
        EXPECT_FALSE(button_->popup_open());
        EXPECT_FALSE(ClassExists("ColorPalette"));
        EXPECT_TRUE(expanded);
        EXPECT_EQ(red, 0) << "not started from the button's colour";
        EXPECT_EQ(button_->Colour(), ok ? RGB(50, 51, 52) : kStart);
    }
}

TEST(PickColorDialog, OpensItsPopupAtOnceAndYieldsTheColourOnOkOnly) {
    const auto host = win::RecordingWindow::TopLevel(200, 100, kHostOrigin);
    const auto solid = SolidWindow();
    const struct {
        bool pick;
        int close;
        std::optional<uint32_t> want;
    } cases[] = {{true, IDOK, kSolid}, {true, IDCANCEL, std::nullopt}, {false, IDOK, kStart}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.close == IDOK ? (c.pick ? "pick, OK" : "OK") : "pick, Cancel");
        std::atomic<bool> popup_seen{false}, popup_closed{false};
        std::optional<uint32_t> got = 0xDEADu;
        WhileModal(
            [&] {
                // No click: the dialog's timer opens the popup.
                HWND popup = nullptr;
                popup_seen = WaitFor([&] { return (popup = FindWindowA("ColorPalette", "Palatte")) != nullptr; });
                const HWND dialog = WaitForDialog("Pick Color");
                if (c.pick) {
                    win::MoveMouseToScreen({kSolidOrigin.x + 40, kSolidOrigin.y + 30});
                    Sleep(100);
                    win::LeftDown();
                    win::LeftUp();
                    popup_closed = WaitFor([popup] { return !IsWindow(popup); });
                }
                PostMessageA(dialog, WM_COMMAND, c.close, 0);
            },
            [&] { got = editwnd::RunPickColorDialog(host->hwnd(), kStart); });
        EXPECT_TRUE(popup_seen);
        EXPECT_EQ(popup_closed, c.pick);
        EXPECT_EQ(got, c.want);
        EXPECT_FALSE(ClassExists(editwnd::kColorPickButtonClass));
        EXPECT_FALSE(ClassExists("ColorPalette"));
    }
}

}  // namespace

#endif  // _WIN32
