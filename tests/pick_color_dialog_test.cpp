// The screen colour picker under wine64 on a virtual display, driven by real input: the
// colour button, its palette popup picking from another window and from its own grid,
// the system colour dialog behind "more colours", and the modal "Pick Color" dialog
// driven from a test thread.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <optional>
#include <thread>

#include "editwnd/colour_palette.h"
#include "editwnd/win32/color_pick_button.h"
#include "editwnd/win32/own_module.h"
#include "editwnd/win32/palette_popup.h"
#include "editwnd/win32/pick_color_dialog.h"
#include "tests/window_support.h"

namespace {

namespace win = test::win;
using editwnd::CColorPickButton;
using editwnd::PaletteColour;

constexpr POINT kHostOrigin{100, 100};
constexpr RECT kButton{20, 20, 100, 50};  // in the host's client area
constexpr int kButtonId = 1000;
constexpr POINT kSolidOrigin{700, 500};
constexpr uint32_t kSolid = 0x2080C0;  // COLORREF
constexpr uint32_t kStart = 0x406080;
// Client points of the popup: in the swatch, in the lower area clear of the swatch and
// the "more colours" button, on that button.
constexpr POINT kSwatchPixel{20, 134}, kLowerArea{60, 140}, kMoreColours{175, 134};

uint32_t ToColourRef(uint32_t rgb) { return (rgb & 0xFF) << 16 | (rgb & 0xFF00) | rgb >> 16; }

bool PaletteClassExists() {
    WNDCLASSA wc;
    return GetClassInfoA(editwnd::OwnModule(), editwnd::kPaletteClassName, &wc) != 0;
}

// A top-level window filled with one colour.
std::unique_ptr<win::RecordingWindow> SolidWindow(uint32_t colour, POINT origin) {
    return win::RecordingWindow::TopLevel(80, 60, origin, [colour](HWND h, UINT m, WPARAM w, LPARAM) {
        if (m != WM_ERASEBKGND) return std::optional<LRESULT>();
        RECT r;
        GetClientRect(h, &r);
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(reinterpret_cast<HDC>(w), &r, brush);
        DeleteObject(brush);
        return std::optional<LRESULT>(1);
    });
}

class PickColor : public ::testing::Test {
protected:
    PickColor() {
        registered_ = CColorPickButton::Register();
        host_ = win::RecordingWindow::TopLevel(200, 100, kHostOrigin);
        CreateWindowExA(0, editwnd::kColorPickButtonClass, "", WS_CHILD | WS_VISIBLE, kButton.left, kButton.top,
                        kButton.right - kButton.left, kButton.bottom - kButton.top, host_->hwnd(),
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kButtonId)), editwnd::OwnModule(), nullptr);
        button_ = CColorPickButton::FromWindow(GetDlgItem(host_->hwnd(), kButtonId));
        solid_ = SolidWindow(kSolid, kSolidOrigin);
        button_->SetColour(kStart);
        win::PumpFor(50);
    }
    ~PickColor() override {
        solid_.reset();
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
    // A point of the popup relative to its outer top-left corner, border included.
    POINT Outer(int x, int y) const {
        RECT r;
        GetWindowRect(button_->popup(), &r);
        return {r.left + x, r.top + y};
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
    const editwnd::PalettePicker& Picker() const { return *editwnd::PalettePickerOf(button_->popup()); }
    uint32_t SwatchOnScreen() const {
        return ToColourRef(win::CaptureClient(button_->popup()).At(kSwatchPixel.x, kSwatchPixel.y));
    }
    size_t Clicks() const { return host_->Count(WM_COMMAND); }

    bool registered_ = false;
    std::unique_ptr<win::RecordingWindow> host_, solid_;
    CColorPickButton* button_ = nullptr;
};

TEST_F(PickColor, ThePopupIsATopMostPaletteUnderTheButtonThatOnlyLivesWhileOpen) {
    ASSERT_NE(button_, nullptr);
    EXPECT_FALSE(PaletteClassExists());
    const HWND popup = PressButton();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(PaletteClassExists());
    char title[32] = "";
    GetWindowTextA(popup, title, sizeof title);
    EXPECT_STREQ(title, "Palatte");
    EXPECT_TRUE(GetWindowLongA(popup, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetWindow(popup, GW_OWNER), host_->hwnd());
    EXPECT_EQ(GetCapture(), popup);
    RECT r;
    GetWindowRect(popup, &r);
    const RECT want{kHostOrigin.x + kButton.left, kHostOrigin.y + kButton.bottom - 1, 0, 0};
    EXPECT_EQ(r.left, want.left);
    EXPECT_EQ(r.top, want.top);
    EXPECT_EQ(r.right - r.left, 191);
    EXPECT_EQ(r.bottom - r.top, 150);

    const win::Capture shot = win::CaptureClient(popup);
    win::SavePng(win::CaptureWindow(popup), "palette");
    const struct {
        POINT at;
        uint32_t want;  // COLORREF
        const char* what;
    } pixels[] = {
        {{0, 0}, PaletteColour(0), "cell 0"},
        {{8, 8}, PaletteColour(0), "cell 0's last pixel"},
        {{9, 4}, 0x000000, "vertical line"},
        {{4, 9}, 0x000000, "horizontal line"},
        {{24, 33}, PaletteColour(3 * 19 + 2), "cell 3 x 19 + 2"},
        {{184, 114}, PaletteColour(227), "last cell"},
        {{2, 122}, 0xC0C0C0, "lower area"},
        {kSwatchPixel, kStart, "swatch"},
        {{4, 124}, 0x000000, "swatch frame"},
    };
    for (const auto& p : pixels) EXPECT_EQ(ToColourRef(shot.At(p.at.x, p.at.y)), p.want) << p.what;

    const size_t clicks = Clicks();
    Release();  // at the press point, without a move: the colour stays
    EXPECT_EQ(button_->Colour(), kStart);
    EXPECT_EQ(Clicks(), clicks) << "an unchanged colour is not announced";
    EXPECT_FALSE(IsWindow(popup));
    EXPECT_FALSE(PaletteClassExists());
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(PickColor, ADragTakesThePixelOfTheWindowUnderTheReleasePoint) {
    const HWND text = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, host_->hwnd(), nullptr,
                                      editwnd::OwnModule(), nullptr);
    button_->SetTextWindow(text);
    PressButton();
    MoveTo({kSolidOrigin.x + 40, kSolidOrigin.y + 30});
    EXPECT_EQ(Picker().current(), kSolid);
    EXPECT_EQ(SwatchOnScreen(), kSolid);
    ASSERT_NE(button_->picking_cursor(), nullptr);
    EXPECT_EQ(GetCursor(), button_->picking_cursor());
    ICONINFO cursor;
    ASSERT_TRUE(GetIconInfo(button_->picking_cursor(), &cursor));
    EXPECT_EQ(cursor.xHotspot, 0u);
    EXPECT_EQ(cursor.yHotspot, 15u);
    DeleteObject(cursor.hbmMask);
    const size_t clicks = Clicks();
    Release();
    EXPECT_EQ(button_->Colour(), kSolid);
    const std::vector<win::Message> commands = host_->Messages(WM_COMMAND);
    ASSERT_EQ(commands.size(), clicks + 1);
    EXPECT_EQ(commands.back().wParam, MAKEWPARAM(kButtonId, BN_CLICKED));
    EXPECT_EQ(commands.back().lParam, reinterpret_cast<LPARAM>(button_->hwnd()));
    char shown[16] = "";
    GetWindowTextA(text, shown, sizeof shown);
    EXPECT_STREQ(shown, "#C08020");
}

TEST_F(PickColor, ThePopupStaysOnTheScreen) {
    const struct {
        POINT host;
        POINT popup;
    } cases[] = {
        {{1150, 100}, {1280 - 191, 100 + kButton.bottom - 1}},        // pulled in from the right edge
        {{100, 900}, {100 + kButton.left, 900 + kButton.bottom - 1 - 150}},  // lifted above the button
    };
    for (const auto& c : cases) {
        SetWindowPos(host_->hwnd(), nullptr, c.host.x, c.host.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        const HWND popup = PressButton();
        RECT r{};
        GetWindowRect(popup, &r);
        EXPECT_EQ(r.left, c.popup.x) << c.host.x << "," << c.host.y;
        EXPECT_EQ(r.top, c.popup.y) << c.host.x << "," << c.host.y;
        Release();
    }
}

TEST_F(PickColor, TheLowerAreaRestoresTheOpeningColourAndShowsTheArrow) {
    PressButton();
    MoveTo({kSolidOrigin.x + 40, kSolidOrigin.y + 30});
    ASSERT_EQ(Picker().current(), kSolid);
    MoveTo(win::ClientToScreenPoint(button_->popup(), kLowerArea));
    EXPECT_EQ(Picker().current(), kStart);
    EXPECT_EQ(SwatchOnScreen(), kStart);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
    const size_t clicks = Clicks();
    Release();
    EXPECT_EQ(button_->Colour(), kStart);
    EXPECT_EQ(Clicks(), clicks);
}

TEST_F(PickColor, LosingActivationEndsThePopupOnlyAfterAMove) {
    for (const bool moved : {false, true}) {
        SCOPED_TRACE(moved ? "moved" : "not moved");
        PressButton();
        if (moved) MoveTo({kSolidOrigin.x + 40, kSolidOrigin.y + 30});
        SetActiveWindow(solid_->hwnd());
        win::PumpFor(60);
        EXPECT_EQ(button_->popup_open(), !moved);
        EXPECT_EQ(button_->Colour(), moved ? kSolid : kStart);
        if (!moved) Release();  // still where it was pressed
        win::LeftUp();
        win::PumpFor(30);
    }
}

TEST_F(PickColor, GridCellsSelectTheirColourAndLinesSelectNothing) {
    PressButton();
    const struct {
        POINT outer;  // relative to the popup's outer corner: lines on multiples of 10
        int selection;
        uint32_t current;
    } steps[] = {
        {{5, 5}, 0, PaletteColour(0)},
        {{29, 15}, 21, PaletteColour(21)},  // the cell's last pixel: the border is counted
        {{185, 115}, 227, PaletteColour(227)},
        {{30, 45}, -1, PaletteColour(227)},  // a vertical line keeps the last cell's colour
        {{25, 45}, 4 * 19 + 2, PaletteColour(4 * 19 + 2)},
        {{25, 50}, -1, PaletteColour(4 * 19 + 2)},
        {{111, 62}, 6 * 19 + 11, PaletteColour(6 * 19 + 11)},
    };
    for (const auto& s : steps) {
        MoveTo(Outer(s.outer.x, s.outer.y));
        EXPECT_EQ(Picker().selection(), s.selection) << s.outer.x << "," << s.outer.y;
        EXPECT_EQ(Picker().current(), s.current) << s.outer.x << "," << s.outer.y;
        EXPECT_EQ(SwatchOnScreen(), s.current) << s.outer.x << "," << s.outer.y;
    }
    Release();
    EXPECT_EQ(button_->Colour(), PaletteColour(6 * 19 + 11));
}

// Runs drive on a thread of its own while this thread runs modal, which returns when
// drive has closed the dialog; then waits for drive.
template <typename Modal>
void WhileModal(const std::function<void()>& drive, Modal modal) {
    std::thread driver(drive);
    modal();
    driver.join();
}

// Polls from a driving thread until done holds or about 3 s pass; returns done().
bool WaitFor(const std::function<bool()>& done) {
    for (int i = 0; i < 300 && !done(); ++i) Sleep(10);
    return done();
}

HWND WaitForWindow(const std::function<HWND()>& found) {
    HWND w = nullptr;
    WaitFor([&] { return (w = found()) != nullptr; });
    return w;
}

HWND VisibleDialog(const char* title) {
    HWND w = FindWindowA("#32770", title);
    return w && IsWindowVisible(w) ? w : nullptr;
}

TEST_F(PickColor, MoreColoursRunsTheSystemDialogFullyOpenWithoutTheCurrentColour) {
    // The colour dialog's edit boxes for red, green and blue, and its "define custom
    // colours" button, disabled when the dialog opens expanded.
    constexpr int kRed = 706, kGreen = 707, kBlue = 708, kDefineCustom = 719;
    for (const bool ok : {false, true}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        button_->SetColour(kStart);
        PressButton();
        MoveTo(win::ClientToScreenPoint(button_->popup(), kMoreColours));
        EXPECT_NE(GetCapture(), button_->popup()) << "let go so that the button can be clicked";
        win::LeftUp();
        const size_t clicks = Clicks();
        std::atomic<bool> expanded{false};
        std::atomic<int> red{-1};
        WhileModal(
            [&] {
                const HWND dialog = WaitForWindow([] { return VisibleDialog(nullptr); });
                if (!dialog) return;
                expanded = !IsWindowEnabled(GetDlgItem(dialog, kDefineCustom));
                red = static_cast<int>(GetDlgItemInt(dialog, kRed, nullptr, FALSE));
                if (ok) {
                    SetDlgItemInt(dialog, kRed, 200, FALSE);
                    SetDlgItemInt(dialog, kGreen, 100, FALSE);
                    SetDlgItemInt(dialog, kBlue, 50, FALSE);
                }
                PostMessageA(dialog, WM_COMMAND, ok ? IDOK : IDCANCEL, 0);
            },
            [&] {
                win::LeftDown();
                win::LeftUp();
                EXPECT_TRUE(win::PumpUntil([&] { return red >= 0 && !VisibleDialog(nullptr); }, 4000));
            });
        win::PumpFor(30);
        EXPECT_FALSE(button_->popup_open());
        EXPECT_FALSE(PaletteClassExists());
        EXPECT_TRUE(expanded);
        EXPECT_EQ(red, 0) << "not started from the button's colour";
        EXPECT_EQ(button_->Colour(), ok ? RGB(200, 100, 50) : kStart);
        EXPECT_EQ(Clicks(), clicks + (ok ? 1 : 0));
    }
}

TEST(PickColorDialog, OpensItsPopupAtOnceAndYieldsTheColourOnOkOnly) {
    const auto host = win::RecordingWindow::TopLevel(200, 100, kHostOrigin);
    const auto solid = SolidWindow(kSolid, kSolidOrigin);
    enum class Do { kPickThenOk, kPickThenCancel, kOkAtOnce };
    const struct {
        Do what;
        std::optional<uint32_t> want;
    } cases[] = {
        {Do::kPickThenOk, kSolid},
        {Do::kPickThenCancel, std::nullopt},
        {Do::kOkAtOnce, kStart},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.what));
        std::atomic<bool> popup_seen{false}, popup_closed{false};
        std::optional<uint32_t> got = 0xDEADu;
        WhileModal(
            [&] {
                // No click: the dialog's timer opens the popup.
                const HWND popup = WaitForWindow([] { return FindWindowA(editwnd::kPaletteClassName, "Palatte"); });
                const HWND dialog = WaitForWindow([] { return VisibleDialog("Pick Color"); });
                popup_seen = popup != nullptr;
                if (c.what != Do::kOkAtOnce && popup) {
                    win::MoveMouseToScreen({kSolidOrigin.x + 40, kSolidOrigin.y + 30});
                    Sleep(100);
                    win::LeftDown();
                    win::LeftUp();
                    popup_closed = WaitFor([popup] { return !IsWindow(popup); });
                }
                PostMessageA(dialog, WM_COMMAND, c.what == Do::kPickThenCancel ? IDCANCEL : IDOK, 0);
            },
            [&] { got = editwnd::RunPickColorDialog(host->hwnd(), kStart); });
        EXPECT_TRUE(popup_seen);
        EXPECT_EQ(popup_closed, c.what != Do::kOkAtOnce);
        EXPECT_EQ(got, c.want);
        WNDCLASSA wc;
        EXPECT_FALSE(GetClassInfoA(editwnd::OwnModule(), editwnd::kColorPickButtonClass, &wc));
        EXPECT_FALSE(PaletteClassExists());
    }
}

}  // namespace

#endif  // _WIN32
