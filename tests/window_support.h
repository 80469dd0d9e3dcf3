// Window tests: windows with a handler of their own, a message pump with a deadline,
// real input through SendInput and pixels read back from the screen. The win64 suite
// runs under a virtual X display.
#pragma once
#ifdef _WIN32

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace test::win {

// A window whose handler answers its messages; a handler that returns nothing leaves
// the message to DefWindowProc.
class TestWindow {
public:
    using Handler = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

    // Top-level popup whose client area is width x height with its top-left corner at
    // the screen point `origin`; shown, in front and painted when this returns.
    static std::unique_ptr<TestWindow> TopLevel(int width, int height, POINT origin, Handler handler = {});

    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    HWND hwnd() const { return hwnd_; }

private:
    explicit TestWindow(Handler handler) : handler_(std::move(handler)) {}
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    Handler handler_;
};

// Dispatches this thread's messages until done() holds or timeout_ms pass; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms = 2000);
// Dispatches this thread's messages for ms milliseconds.
void PumpFor(DWORD ms);

// Real input. Moves wait until the system cursor is at the point and say whether it got there.
bool MoveMouseToScreen(POINT screen);
bool MoveMouseTo(HWND hwnd, POINT client);
// Buttons: MOUSEEVENTF_RIGHTDOWN and the like.
void SendMouse(DWORD flags, LONG dx = 0, LONG dy = 0);
void LeftDown();
void LeftUp();
// The key goes down and up, with held (a modifier such as VK_CONTROL) down around it.
void PressKey(WORD vk, WORD held = 0);

// A visible window of the class (owned by owner, unless null), waited for without
// pumping messages: for a thread beside a modal loop. Null when none came in time.
HWND WaitForWindow(const char* class_name, HWND owner = nullptr, DWORD timeout_ms = 5000);

// A client area as the screen shows it: top-down, 0x00RRGGBB.
struct Capture {
    int width = 0, height = 0;
    std::vector<uint32_t> rgb;
    uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};
Capture CaptureClient(HWND hwnd);

}  // namespace test::win

#endif  // _WIN32
