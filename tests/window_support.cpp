#ifdef _WIN32

#include "tests/window_support.h"

#include <algorithm>

namespace test::win {

namespace {

const wchar_t kClassName[] = L"FerruleTestWindow";

ATOM RegisterOnce(WNDPROC proc) {
    static const ATOM atom = [proc] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kClassName;
        return RegisterClassExW(&wc);
    }();
    return atom;
}

void SendKey(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

// Absolute mouse coordinates run from 0 to 65536 over the primary screen and are
// truncated back to pixels, so round up.
LONG Normalised(LONG pixel, int extent) {
    return static_cast<LONG>((static_cast<long long>(pixel) * 65536 + extent - 1) / extent);
}

POINT ClientToScreenPoint(HWND hwnd, POINT client) {
    ClientToScreen(hwnd, &client);
    return client;
}

}  // namespace

void SendMouse(DWORD flags, LONG dx, LONG dy) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = dx;
    input.mi.dy = dy;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

std::unique_ptr<TestWindow> TestWindow::TopLevel(int width, int height, POINT origin, Handler handler) {
    std::unique_ptr<TestWindow> w(new TestWindow(std::move(handler)));
    RegisterOnce(&TestWindow::Proc);
    // A popup has no frame, so its client area is the window rectangle.
    CreateWindowExW(WS_EX_TOPMOST, kClassName, L"Ferrule test host", WS_POPUP | WS_CLIPCHILDREN, origin.x,
                    origin.y, width, height, nullptr, nullptr, GetModuleHandleW(nullptr), w.get());
    if (!w->hwnd_) return nullptr;
    ShowWindow(w->hwnd_, SW_SHOW);
    SetForegroundWindow(w->hwnd_);
    UpdateWindow(w->hwnd_);
    const HWND hwnd = w->hwnd_;
    PumpUntil([hwnd] { return GetForegroundWindow() == hwnd && IsWindowVisible(hwnd); });
    return w;
}

TestWindow::~TestWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT CALLBACK TestWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<TestWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    std::optional<LRESULT> answer;
    if (self->handler_) answer = self->handler_(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
    }
    return answer ? *answer : DefWindowProcW(hwnd, message, wParam, lParam);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeout_ms) {
    const ULONGLONG end = GetTickCount64() + timeout_ms;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done()) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(end - now, 10)),
                                  QS_ALLINPUT);
    }
}

void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

bool MoveMouseToScreen(POINT screen) {
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, Normalised(screen.x, GetSystemMetrics(SM_CXSCREEN)),
              Normalised(screen.y, GetSystemMetrics(SM_CYSCREEN)));
    return PumpUntil(
        [screen] {
            POINT at;
            return GetCursorPos(&at) && at.x == screen.x && at.y == screen.y;
        },
        1000);
}

bool MoveMouseTo(HWND hwnd, POINT client) {
    return MoveMouseToScreen(ClientToScreenPoint(hwnd, client));
}

HWND WaitForWindow(const char* class_name, HWND owner, DWORD timeout_ms) {
    const ULONGLONG end = GetTickCount64() + timeout_ms;
    do {
        for (HWND w = FindWindowExA(nullptr, nullptr, class_name, nullptr); w;
             w = FindWindowExA(nullptr, w, class_name, nullptr))
            if ((!owner || GetWindow(w, GW_OWNER) == owner) && IsWindowVisible(w)) return w;
        Sleep(10);
    } while (GetTickCount64() < end);
    return nullptr;
}

void LeftDown() { SendMouse(MOUSEEVENTF_LEFTDOWN); }
void LeftUp() { SendMouse(MOUSEEVENTF_LEFTUP); }

void PressKey(WORD vk, WORD held) {
    if (held) SendKey(held, false);
    SendKey(vk, false);
    SendKey(vk, true);
    if (held) SendKey(held, true);
}

Capture CaptureClient(HWND hwnd) {
    RECT r;
    GetClientRect(hwnd, &r);
    const POINT origin = ClientToScreenPoint(hwnd, POINT{0, 0});
    Capture cap;
    cap.width = r.right;
    cap.height = r.bottom;
    if (cap.width <= 0 || cap.height <= 0) return cap;

    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = cap.width;
    bi.bmiHeader.biHeight = -cap.height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, dib);
    BitBlt(mem, 0, 0, cap.width, cap.height, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const auto* px = static_cast<const uint32_t*>(bits);
    cap.rgb.assign(px, px + static_cast<size_t>(cap.width) * cap.height);
    for (uint32_t& p : cap.rgb) p &= 0xFFFFFFu;
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return cap;
}

}  // namespace test::win

#endif  // _WIN32
