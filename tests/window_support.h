// Window tests: windows that record their messages, a message pump with a deadline,
// real input through SendInput, pixels read back from the screen, and client areas
// saved as PNG for a person to look at. The win64 suite runs under a virtual X display.
#pragma once
#ifdef _WIN32

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace test::win {

// A copy of one message as the window procedure got it.
struct Message {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A window whose procedure records every message, then lets its handler answer it;
// a handler that returns nothing leaves the message to DefWindowProc.
class RecordingWindow {
public:
    using Handler = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

    // Top-level popup whose client area is width x height with its top-left corner at
    // the screen point `origin`; shown, in front and painted when this returns.
    static std::unique_ptr<RecordingWindow> TopLevel(int width, int height, POINT origin, Handler handler = {});

    ~RecordingWindow();
    RecordingWindow(const RecordingWindow&) = delete;
    RecordingWindow& operator=(const RecordingWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    std::vector<Message> Messages(UINT message) const;  // those of one kind, oldest first
    size_t Count(UINT message) const { return Messages(message).size(); }

private:
    explicit RecordingWindow(Handler handler) : handler_(std::move(handler)) {}
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    Handler handler_;
    std::vector<Message> log_;
};

// Dispatches this thread's messages until done() holds or timeout_ms pass; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms = 2000);
// Dispatches this thread's messages for ms milliseconds.
void PumpFor(DWORD ms);

POINT ClientToScreenPoint(HWND hwnd, POINT client);

// Real input. Moves wait until the system cursor is at the point and say whether it got there.
bool MoveMouseToScreen(POINT screen);
bool MoveMouseTo(HWND hwnd, POINT client);
// A left click at a client point, the move waited for.
bool ClickAt(HWND hwnd, POINT client);
void LeftDown();
void LeftUp();
void RightDown();
void RightUp();
// Modifiers (VK_CONTROL, VK_SHIFT, VK_MENU) go down in order, then the key goes down and
// up, then the modifiers come up in reverse order.
void PressKey(WORD vk, std::initializer_list<WORD> modifiers = {});

// A visible window of the class owned by owner, waited for without pumping messages:
// for a thread beside a modal loop. Null when none came within timeout_ms.
HWND WaitForOwnedWindow(HWND owner, const char* class_name, DWORD timeout_ms = 5000);

// A client area as the screen shows it: top-down, 0x00RRGGBB.
struct Capture {
    int width = 0, height = 0;
    std::vector<uint32_t> rgb;
    uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};
Capture CaptureClient(HWND hwnd);
// Writes the capture as <name>.png where the suites leave pictures; returns the path.
std::string SavePng(const Capture& capture, const std::string& name);

}  // namespace test::win

#endif  // _WIN32
