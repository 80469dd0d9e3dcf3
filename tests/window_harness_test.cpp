// The window-test harness against a real window manager under a virtual display: input
// sent with SendInput reaches a child with the right client points, mouse capture and
// leave tracking behave, and the screen reads back what the child painted. Then the
// edit window's resources, loaded from the test program and from Ferrule.dll.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/window_support.h"

namespace {

using test::win::Message;
using test::win::RecordingWindow;

constexpr POINT kHostOrigin{100, 100};
constexpr int kHostWidth = 400, kHostHeight = 300;
constexpr RECT kChildRect{50, 50, 250, 150};  // in the host's client area
constexpr int kChildWidth = 200, kChildHeight = 100;

// The child's picture: four quadrants of colours no default draws.
constexpr COLORREF kTopLeft = RGB(200, 40, 40), kTopRight = RGB(40, 160, 60), kBottomLeft = RGB(30, 60, 190),
                   kBottomRight = RGB(230, 200, 20);

COLORREF PatternAt(int x, int y) {
    if (y < kChildHeight / 2) return x < kChildWidth / 2 ? kTopLeft : kTopRight;
    return x < kChildWidth / 2 ? kBottomLeft : kBottomRight;
}

// Paints the quadrants, captures the mouse while the left button is down and asks to
// hear when the pointer leaves, as the edit window does.
std::optional<LRESULT> PatternChild(HWND hwnd, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        for (int q = 0; q < 4; ++q) {
            const int x = (q % 2) * kChildWidth / 2, y = (q / 2) * kChildHeight / 2;
            const RECT r{x, y, x + kChildWidth / 2, y + kChildHeight / 2};
            HBRUSH brush = CreateSolidBrush(PatternAt(x, y));
            FillRect(dc, &r, brush);
            DeleteObject(brush);
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_LBUTTONDOWN:
        SetCapture(hwnd);
        return 0;
    case WM_LBUTTONUP:
        ReleaseCapture();
        return 0;
    case WM_MOUSEMOVE: {
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd, 0};
        TrackMouseEvent(&tme);
        return 0;
    }
    default:
        return std::nullopt;
    }
}

bool Has(const RecordingWindow& w, UINT message, POINT at) {
    for (const Message& m : w.Messages(message)) {
        const POINT p = m.Point();
        if (p.x == at.x && p.y == at.y) return true;
    }
    return false;
}

class WindowHarness : public ::testing::Test {
protected:
    void SetUp() override {
        // Start with the pointer away from the windows, so that nothing is hovered.
        ASSERT_TRUE(test::win::MoveMouseToScreen(kOutside));
        host_ = RecordingWindow::TopLevel(kHostWidth, kHostHeight, kHostOrigin);
        ASSERT_TRUE(host_);
        child_ = RecordingWindow::Child(host_->hwnd(), kChildRect, PatternChild);
        ASSERT_TRUE(child_);
        test::win::PumpFor(50);
        host_->ClearLog();
        child_->ClearLog();
    }
    void TearDown() override {
        if (GetCapture()) ReleaseCapture();
        child_.reset();
        host_.reset();
        test::win::PumpFor(20);
    }
    HWND child() const { return child_->hwnd(); }

    static constexpr POINT kOutside{20, 20};  // screen point left of and above the host
    std::unique_ptr<RecordingWindow> host_, child_;
};

TEST_F(WindowHarness, DragIsSeenByTheChildAtClientPointsUnderCapture) {
    ASSERT_TRUE(test::win::MoveMouseTo(child(), {20, 30}));
    ASSERT_TRUE(test::win::PumpUntil([&] { return Has(*child_, WM_MOUSEMOVE, {20, 30}); }));
    test::win::LeftDown();
    ASSERT_TRUE(test::win::PumpUntil([&] { return child_->Count(WM_LBUTTONDOWN) == 1; }));
    const Message down = child_->Messages(WM_LBUTTONDOWN)[0];
    EXPECT_EQ(down.Point().x, 20);
    EXPECT_EQ(down.Point().y, 30);
    EXPECT_EQ(down.wParam & MK_LBUTTON, WPARAM{MK_LBUTTON});
    EXPECT_EQ(GetCapture(), child());
    host_->ClearLog();
    child_->ClearLog();

    // Inside the child, over the host beside it, and off the host altogether: while
    // captured the child hears every move, in its own client coordinates.
    struct Step {
        const char* where;
        POINT screen;
        POINT child_point;
    };
    const Step steps[] = {
        {"inside the child", {100 + 50 + 150, 100 + 50 + 80}, {150, 80}},
        {"over the host, left of the child", {100 + 20, 100 + 170}, {-30, 120}},
        {"off the host", kOutside, {20 - 150, 20 - 150}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.where);
        ASSERT_TRUE(test::win::MoveMouseToScreen(s.screen));
        ASSERT_TRUE(test::win::PumpUntil([&] { return Has(*child_, WM_MOUSEMOVE, s.child_point); }));
        for (const Message& m : child_->Messages(WM_MOUSEMOVE)) EXPECT_EQ(m.wParam & MK_LBUTTON, WPARAM{MK_LBUTTON});
        EXPECT_EQ(GetCapture(), child());
    }

    test::win::LeftUp();
    ASSERT_TRUE(test::win::PumpUntil([&] { return child_->Count(WM_LBUTTONUP) == 1; }));
    const Message up = child_->Messages(WM_LBUTTONUP)[0];
    EXPECT_EQ(up.Point().x, -130);
    EXPECT_EQ(up.Point().y, -130);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(child_->Count(WM_CAPTURECHANGED), 1u);
    // The host saw none of the captured input.
    EXPECT_EQ(host_->Count(WM_MOUSEMOVE), 0u);
    EXPECT_EQ(host_->Count(WM_LBUTTONUP), 0u);
}

TEST_F(WindowHarness, ScreenShowsWhatTheChildPainted) {
    ASSERT_TRUE(test::win::PumpUntil([&] {
        return test::win::ClientPixel(child(), {0, 0}) == kTopLeft &&
               test::win::ClientPixel(child(), {kChildWidth - 1, kChildHeight - 1}) == kBottomRight;
    })) << std::hex << test::win::ClientPixel(child(), {0, 0});

    // The pixels on both sides of each quadrant border, and the host around the child.
    struct Probe {
        POINT client;
        COLORREF want;
    };
    const Probe probes[] = {
        {{99, 49}, kTopLeft},     {{100, 49}, kTopRight},     {{99, 50}, kBottomLeft},
        {{100, 50}, kBottomRight}, {{0, 99}, kBottomLeft},     {{199, 0}, kTopRight},
        {{-1, 0}, GetSysColor(COLOR_WINDOW)}, {{200, 99}, GetSysColor(COLOR_WINDOW)},
        {{0, 100}, GetSysColor(COLOR_WINDOW)},
    };
    for (const Probe& p : probes) {
        EXPECT_EQ(test::win::ClientPixel(child(), p.client), p.want) << p.client.x << "," << p.client.y;
    }

    const test::win::Capture cap = test::win::CaptureClient(child());
    ASSERT_EQ(cap.width, kChildWidth);
    ASSERT_EQ(cap.height, kChildHeight);
    int wrong = 0;
    for (int y = 0; y < cap.height; ++y) {
        for (int x = 0; x < cap.width; ++x) wrong += cap.At(x, y) != test::win::Rgb(PatternAt(x, y));
    }
    EXPECT_EQ(wrong, 0);
    const std::string path = test::win::SavePng(cap, "harness-quadrants");
    ASSERT_FALSE(path.empty());
    EXPECT_GT(std::filesystem::file_size(path), 0u);
}

TEST_F(WindowHarness, MouseLeaveArrivesWhenThePointerLeavesTheChild) {
    ASSERT_TRUE(test::win::MoveMouseTo(child(), {10, 10}));
    ASSERT_TRUE(test::win::PumpUntil([&] { return Has(*child_, WM_MOUSEMOVE, {10, 10}); }));
    ASSERT_TRUE(test::win::MoveMouseTo(child(), {190, 90}));
    ASSERT_TRUE(test::win::PumpUntil([&] { return Has(*child_, WM_MOUSEMOVE, {190, 90}); }));
    test::win::PumpFor(100);
    EXPECT_EQ(child_->Count(WM_MOUSELEAVE), 0u) << "moves inside the child do not leave it";

    ASSERT_TRUE(test::win::MoveMouseTo(host_->hwnd(), {300, 250}));
    ASSERT_TRUE(test::win::PumpUntil([&] { return child_->Count(WM_MOUSELEAVE) > 0; }));
    test::win::PumpFor(50);
    EXPECT_EQ(child_->Count(WM_MOUSELEAVE), 1u);
    EXPECT_TRUE(Has(*host_, WM_MOUSEMOVE, {300, 250}));
}

TEST(WindowKeys, KeyPressWithModifiersReachesTheFocusedWindowInOrder) {
    // What the window saw: the key, and whether Ctrl and Shift were down at the time.
    struct Seen {
        UINT message;
        WPARAM key;
        bool ctrl, shift;
    };
    std::vector<Seen> seen;
    auto host = RecordingWindow::TopLevel(200, 100, kHostOrigin, [&](HWND, UINT message, WPARAM wParam, LPARAM) {
        if (message == WM_KEYDOWN || message == WM_KEYUP) {
            seen.push_back({message, wParam, GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_SHIFT) < 0});
        }
        return std::optional<LRESULT>();
    });
    ASSERT_TRUE(host);
    SetFocus(host->hwnd());
    ASSERT_EQ(GetFocus(), host->hwnd());

    test::win::PressKey('Z', {VK_CONTROL, VK_SHIFT});
    ASSERT_TRUE(test::win::PumpUntil([&] { return seen.size() >= 6; }));
    test::win::PumpFor(50);
    const Seen want[] = {
        {WM_KEYDOWN, VK_CONTROL, true, false}, {WM_KEYDOWN, VK_SHIFT, true, true},
        {WM_KEYDOWN, 'Z', true, true},         {WM_KEYUP, 'Z', true, true},
        {WM_KEYUP, VK_SHIFT, true, false},     {WM_KEYUP, VK_CONTROL, false, false},
    };
    ASSERT_EQ(seen.size(), std::size(want));
    for (size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(seen[i].message, want[i].message);
        EXPECT_EQ(seen[i].key, want[i].key);
        EXPECT_EQ(seen[i].ctrl, want[i].ctrl);
        EXPECT_EQ(seen[i].shift, want[i].shift);
    }
}

// ---- the resources, from the test program and from the product DLL ---------------------

struct ResourceModule {
    const char* name;
    HMODULE module;
};

std::vector<ResourceModule> ResourceModules() {
    static HMODULE dll = LoadLibraryExA(FERRULE_PLUGIN_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return {{"test program", GetModuleHandleW(nullptr)}, {FERRULE_PLUGIN_PATH, dll}};
}

TEST(WindowResources, ContextMenuHoldsTheRotateAndEnlargeCommands) {
    struct Entry {
        UINT id;
        const wchar_t* text;  // nullptr: a separator
    };
    const Entry want[] = {
        {ID_ROTATE_180, L"Rotate 180 Degree"},
        {ID_ROTATE_90_CW, L"Rotate 90 Degree CW"},
        {ID_ROTATE_90_CCW, L"Rotate 90 Degree CCW"},
        {0, nullptr},
        {ID_ENLARGE_FULL_SCREEN, L"Enlarge to Full Screen"},
        {ID_ENLARGE_FULL_SCREEN_KEEP_ASPECT, L"Enlarge to Full Screen(Keep Aspect)"},
    };
    static_assert(ID_ROTATE_180 == 32027 && ID_ROTATE_90_CW == 32028 && ID_ROTATE_90_CCW == 32029 &&
                  ID_ENLARGE_FULL_SCREEN == 32030 && ID_ENLARGE_FULL_SCREEN_KEEP_ASPECT == 32031 &&
                  IDR_EDIT_CONTEXT_MENU == 1010);
    for (const ResourceModule& m : ResourceModules()) {
        SCOPED_TRACE(m.name);
        ASSERT_NE(m.module, nullptr);
        HMENU menu = LoadMenuW(m.module, MAKEINTRESOURCEW(IDR_EDIT_CONTEXT_MENU));
        ASSERT_NE(menu, nullptr);
        HMENU popup = GetSubMenu(menu, 0);
        ASSERT_NE(popup, nullptr);
        ASSERT_EQ(GetMenuItemCount(popup), 6);
        for (int i = 0; i < 6; ++i) {
            SCOPED_TRACE(i);
            wchar_t text[80] = {};
            MENUITEMINFOW info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING;
            info.dwTypeData = text;
            info.cch = 80;
            ASSERT_TRUE(GetMenuItemInfoW(popup, i, TRUE, &info));
            if (!want[i].text) {
                EXPECT_TRUE(info.fType & MFT_SEPARATOR);
                continue;
            }
            EXPECT_FALSE(info.fType & MFT_SEPARATOR);
            EXPECT_EQ(info.wID, want[i].id);
            EXPECT_EQ(std::wstring(text), std::wstring(want[i].text));
        }
        DestroyMenu(menu);
    }
}

TEST(WindowResources, RotateCursorIsMonochromeWithItsHotSpotAtTheCentre) {
    // Pixels of rotate_cursor.txt: the masks come out in the picture's row order.
    struct Pixel {
        int x, y;
        int and_bit, xor_bit;
    };
    const Pixel pixels[] = {
        {16, 16, 0, 0},  // centre mark, black
        {16, 2, 0, 0},   // tip of the arrow's tail, black
        {15, 2, 0, 1},   // its white rim
        {0, 0, 1, 0},    // transparent corner
        {16, 29, 1, 0},  // transparent below the ring
        {6, 16, 0, 0},   // left of the ring, black
        {10, 16, 1, 0},  // inside the ring, transparent
    };
    static_assert(IDC_ROTATE_WARP == 1002);
    for (const ResourceModule& m : ResourceModules()) {
        SCOPED_TRACE(m.name);
        ASSERT_NE(m.module, nullptr);
        HCURSOR cursor = LoadCursorW(m.module, MAKEINTRESOURCEW(IDC_ROTATE_WARP));
        ASSERT_NE(cursor, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(cursor, &info));
        EXPECT_FALSE(info.fIcon);
        EXPECT_EQ(info.xHotspot, 16u);
        EXPECT_EQ(info.yHotspot, 16u);
        EXPECT_EQ(info.hbmColor, nullptr) << "monochrome: AND and XOR masks in one bitmap";
        BITMAP bm{};
        ASSERT_TRUE(GetObjectW(info.hbmMask, sizeof bm, &bm));
        EXPECT_EQ(bm.bmWidth, 32);
        ASSERT_EQ(bm.bmHeight, 64);

        struct {
            BITMAPINFOHEADER h;
            RGBQUAD colours[2];
        } bi{};
        bi.h.biSize = sizeof bi.h;
        bi.h.biWidth = 32;
        bi.h.biHeight = -64;
        bi.h.biPlanes = 1;
        bi.h.biBitCount = 1;
        uint8_t bits[64 * 4] = {};
        HDC dc = GetDC(nullptr);
        const int rows = GetDIBits(dc, info.hbmMask, 0, 64, bits, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
        ReleaseDC(nullptr, dc);
        ASSERT_EQ(rows, 64);
        auto bit = [&](int x, int y) { return (bits[y * 4 + x / 8] >> (7 - x % 8)) & 1; };
        for (const Pixel& p : pixels) {
            EXPECT_EQ(bit(p.x, p.y), p.and_bit) << "AND at " << p.x << "," << p.y;
            EXPECT_EQ(bit(p.x, p.y + 32), p.xor_bit) << "XOR at " << p.x << "," << p.y;
        }
        DeleteObject(info.hbmMask);
        if (info.hbmColor) DeleteObject(info.hbmColor);
    }
}

TEST(WindowResources, ToolbarStringsHoldPromptAndTooltip) {
    struct Entry {
        UINT id;
        const wchar_t* text;
    };
    const Entry want[] = {
        {32001, L"Clip Opaque\nClip Opaque"}, {32002, L"Mask Color\nMask Color"},
        {32003, L"Frame Color\nFrame Color"}, {32004, L"Frame Width\nFrame Width"},
        {32005, L"Frame Opaque\nFrame Opaque"}, {32006, L"Undo\nUndo"},
        {32007, L"Redo\nRedo"},               {32010, L"Close\nClose"},
    };
    static_assert(ID_CLIP_OPAQUE == 32001 && ID_MASK_COLOR == 32002 && ID_FRAME_COLOR == 32003 &&
                  ID_FRAME_WIDTH == 32004 && ID_FRAME_OPAQUE == 32005 && ID_EDIT_UNDO == 32006 &&
                  ID_EDIT_REDO == 32007 && ID_EDIT_CLOSE == 32010);
    for (const ResourceModule& m : ResourceModules()) {
        SCOPED_TRACE(m.name);
        ASSERT_NE(m.module, nullptr);
        for (const Entry& e : want) {
            wchar_t text[80] = {};
            const int n = LoadStringW(m.module, e.id, text, 80);
            EXPECT_EQ(std::wstring(text, n > 0 ? n : 0), std::wstring(e.text)) << e.id;
        }
    }
}

}  // namespace

#endif  // _WIN32
