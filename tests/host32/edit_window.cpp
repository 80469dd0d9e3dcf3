// The shipped DLL's edit window in a 32-bit host, driven by real input on a virtual
// display: one case a wiring path, each judged by the placement the host is sent. The
// window's paint is saved for a person to look at.
#include "tests/host32/host32.h"

#include <commctrl.h>

#include <optional>
#include <utility>
#include <vector>

#include "resources/resource.h"
#include "tests/window_support.h"

// GDI+ writes the PNG; the host started it (tests/host_bitmap_reader.cpp).
extern "C" {
int WINAPI GdipCreateBitmapFromScan0(INT width, INT height, INT stride, INT format, BYTE* scan0, void** bitmap);
int WINAPI GdipSaveImageToFile(void* image, const WCHAR* file, const CLSID* encoder, const void* parameters);
int WINAPI GdipDisposeImage(void* image);
}

namespace host32 {

namespace {

namespace win = test::win;

constexpr int kW = 160, kH = 120;
constexpr POINT kHostOrigin{100, 100}, kSolidOrigin{700, 500}, kEmpty{150, 110};
constexpr UINT kChanged = 4024;
constexpr uint32_t kSolid = 0x2080C0, kOverlayRgb = 0xC08040;  // a COLORREF; the overlay's 0xRRGGBB

FerruleEditPlacement Box(FerruleCorner c0, FerruleCorner c1, FerruleCorner c2, FerruleCorner c3) {
    FerruleEditPlacement p = {{c0, c1, c2, c3}, kW, kH, 255, FERRULE_NO_KEY_COLOUR, 2, 0xFFC8C8C8u};
    return p;
}

bool Same(const FerruleEditPlacement& a, const FerruleEditPlacement& b) { return !std::memcmp(&a, &b, sizeof a); }

// Saved where a person can open it: the build folder, beside the program.
void SavePng(const win::Capture& shot, const wchar_t* path) {
    static const CLSID kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    std::vector<uint32_t> pixels = shot.rgb;
    void* bitmap = nullptr;
    constexpr INT k32bppRgb = 0x00022009;
    if (GdipCreateBitmapFromScan0(shot.width, shot.height, shot.width * 4, k32bppRgb,
                                  reinterpret_cast<BYTE*>(pixels.data()), &bitmap) != 0)
        return;
    Check(GdipSaveImageToFile(bitmap, path, &kPngEncoder, nullptr) == 0, "the edit window's picture is saved");
    GdipDisposeImage(bitmap);
}

// Beside the "Pick Color" dialog's modal loop: once its palette holds the mouse, a click
// on the solid window; 0 when the palette took it and closed.
DWORD PickFromTheScreen(DWORD host_thread) {
    const HWND palette = win::WaitForWindow("ColorPalette");
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    if (!palette || !win::PumpUntil([&] { return GetGUIThreadInfo(host_thread, &gui) && gui.hwndCapture == palette; }))
        return 2;
    if (!win::MoveMouseToScreen({kSolidOrigin.x + 40, kSolidOrigin.y + 30})) return 3;
    win::LeftDown();
    win::LeftUp();
    // Wine without a window manager takes two seconds to take a popup down.
    return win::PumpUntil([&] { return !IsWindow(palette); }, 10000) ? 0 : 4;
}

// Then OK; whatever failed, the dialog is ended so that the host goes on.
DWORD WINAPI DriveThePickDialog(void* host_thread) {
    const HWND dialog = win::WaitForWindow("#32770");
    const DWORD failed = PickFromTheScreen(static_cast<DWORD>(reinterpret_cast<uintptr_t>(host_thread)));
    if (dialog) PostMessageA(dialog, WM_COMMAND, failed ? IDCANCEL : IDOK, 0);
    return dialog ? failed : 1;
}

}  // namespace

void TheEditWindowUnderRealInput() {
    Server server;
    const PClip main = server.Main(kW, kH);
    FERRULE_EXPORT(InsertChannel)(1);
    const PClip overlay = server.Solid(20, 40, kOverlayRgb);
    FerruleOverlayClipInfo info = {};
    info.last_frame = 50, info.item_id = 7, info.clip = &overlay, info.video_enabled = 1;
    info.fade_in_end = info.fade_out_start = -1;
    FerruleOverlayEffect effect = {};
    effect.placement = Box({40, 30}, {60, 30}, {60, 70}, {40, 70});
    effect.amplify = -1, effect.speed = 100;
    FERRULE_EXPORT(AddOverlay)(&info, &effect, 1, 0);

    std::vector<std::pair<WPARAM, FerruleEditPlacement>> reports;
    const auto host = win::TestWindow::TopLevel(kW, kH, kHostOrigin, [&](HWND, UINT m, WPARAM w, LPARAM l) {
        if (m == kChanged) reports.emplace_back(w, *reinterpret_cast<const FerruleEditPlacement*>(l));
        return std::optional<LRESULT>();
    });
    const auto solid = win::TestWindow::TopLevel(80, 60, kSolidOrigin, [](HWND h, UINT m, WPARAM w, LPARAM) {
        if (m != WM_ERASEBKGND) return std::optional<LRESULT>();
        RECT r;
        GetClientRect(h, &r);
        const HBRUSH brush = CreateSolidBrush(kSolid);
        FillRect(reinterpret_cast<HDC>(w), &r, brush);
        DeleteObject(brush);
        return std::optional<LRESULT>(1);
    });
    Check(win::MoveMouseToScreen({1000, 900}), "the pointer starts away from the window");
    const HWND window = FERRULE_EXPORT(CreateOverlayEditWnd)(7, host->hwnd());
    if (!Check(window && GetParent(window) == host->hwnd(), "CreateOverlayEditWnd gives a child of the host")) return;
    MoveWindow(window, 0, 0, kW, kH, TRUE);
    // The toolbar floats under the window once its placement timer has run.
    HWND frame = nullptr, bar = nullptr;
    const bool placed = win::PumpUntil([&] {
        frame = FindWindowA("FerruleEditToolbar", nullptr);
        bar = frame ? FindWindowExA(frame, nullptr, TOOLBARCLASSNAMEA, nullptr) : nullptr;
        RECT r = {};
        return bar && GetWindowRect(frame, &r) && r.left == kHostOrigin.x && r.top == kHostOrigin.y + kH;
    });
    if (!Check(placed, "the toolbar floats under the window")) return;
    auto button = [&](int id) {
        RECT r = {};
        SendMessageA(bar, TB_GETRECT, id, reinterpret_cast<LPARAM>(&r));
        MapWindowPoints(bar, nullptr, reinterpret_cast<POINT*>(&r), 2);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    };
    auto enabled = [&](int id) { return SendMessageA(bar, TB_ISBUTTONENABLED, id, 0) != 0; };
    auto click = [](POINT screen) {
        win::MoveMouseToScreen(screen);
        win::LeftDown();
        win::LeftUp();
    };
    // A click on the window away from the overlay changes nothing and reports.
    auto report = [&] {
        win::MoveMouseTo(window, kEmpty);
        reports.clear();
        win::LeftDown();
        win::LeftUp();
        return win::PumpUntil([&] { return !reports.empty(); }) && reports.back().first == 7
                   ? reports.back().second
                   : FerruleEditPlacement{};
    };

    const FerruleEditPlacement placed_by_host = effect.placement;
    Check(Same(report(), placed_by_host), "a click reports the host's placement as it was");
    const win::Capture shot = win::CaptureClient(window);
    SavePng(shot, L"host32_edit_window.png");
    Check(shot.At(50, 50) == kOverlayRgb && shot.At(kEmpty.x, kEmpty.y) == 0,
          "the window paints the overlay over the frame");

    // "Rotate 90 Degree CW", the second entry: keys queued before the menu's loop reads them.
    win::MoveMouseTo(window, {100, 100});
    win::SendMouse(MOUSEEVENTF_RIGHTDOWN);
    win::SendMouse(MOUSEEVENTF_RIGHTUP);
    win::PressKey(VK_DOWN);
    win::PressKey(VK_DOWN);
    win::PressKey(VK_RETURN);
    const FerruleEditPlacement turned = Box({70, 40}, {70, 60}, {30, 60}, {30, 40});
    Check(win::PumpUntil([&] { return enabled(ID_EDIT_UNDO); }), "the menu's command is an undo step");
    Check(Same(report(), turned), "the menu's command turns the overlay");

    win::PressKey('Z', VK_CONTROL);
    Check(win::PumpUntil([&] { return !enabled(ID_EDIT_UNDO) && enabled(ID_EDIT_REDO); }), "Ctrl+Z undoes");
    Check(Same(report(), placed_by_host), "undone to the host's placement");
    click(button(ID_EDIT_REDO));
    Check(win::PumpUntil([&] { return enabled(ID_EDIT_UNDO) && !enabled(ID_EDIT_REDO); }), "Redo redoes");
    Check(Same(report(), turned), "redone to the turned placement");

    // The warp handle of corner 2 drags that corner alone.
    win::MoveMouseTo(window, {30, 60});
    reports.clear();
    win::LeftDown();
    win::MoveMouseTo(window, {20, 90});
    win::LeftUp();
    FerruleEditPlacement dragged = Box({70, 40}, {70, 60}, {20, 90}, {30, 40});
    Check(win::PumpUntil([&] { return !reports.empty(); }) && Same(reports.back().second, dragged),
          "the corner's handle moves the corner");

    // "Pick Screen Colors..." of the key colour: the solid window's colour becomes the key.
    click(button(ID_MASK_COLOR));
    HWND pick = nullptr;  // the popup's "Pick Screen Colors..."
    win::PumpUntil([&] {
        for (HWND p = nullptr; (p = FindWindowExA(nullptr, p, "FerruleColourPopup", nullptr));)
            if (IsWindowVisible(p)) pick = GetDlgItem(p, ID_MASK_PICK_SCREEN_COLORS);
        return pick != nullptr;
    });
    RECT entry = {};
    GetWindowRect(pick, &entry);
    void* const host_thread = reinterpret_cast<void*>(static_cast<uintptr_t>(GetCurrentThreadId()));
    const HANDLE thread = CreateThread(nullptr, 0, &DriveThePickDialog, host_thread, 0, nullptr);
    click({(entry.left + entry.right) / 2, (entry.top + entry.bottom) / 2});
    DWORD driven = 1;
    win::PumpUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, 20000);
    GetExitCodeThread(thread, &driven);
    CloseHandle(thread);
    Check(driven == 0, "the palette took a click on the solid window and the dialog its OK");
    dragged.key_colour = kSolid;
    Check(Same(report(), dragged), "the picked colour is the key colour");

    DestroyWindow(window);
    FERRULE_EXPORT(RemoveAllItems)();
}

}  // namespace host32
