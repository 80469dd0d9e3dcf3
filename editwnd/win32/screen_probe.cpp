#include "editwnd/win32/screen_probe.h"

namespace editwnd {

namespace {

// CLR_INVALID when the point lies outside what dc may draw on.
COLORREF PixelAt(HWND window, POINT at) {
    HDC dc = GetWindowDC(window);
    if (!dc) return CLR_INVALID;
    const COLORREF pixel = GetPixel(dc, at.x, at.y);
    ReleaseDC(window, dc);
    return pixel;
}

}  // namespace

PointerProbe ProbeScreen(POINT p, HWND more_colours) {
    PointerProbe probe;
    HWND under = WindowFromPoint(p);
    if (!under) return probe;
    probe.window_found = true;
    probe.on_more_colours = under == more_colours;
    RECT r;
    GetWindowRect(under, &r);
    COLORREF pixel = PixelAt(under, POINT{p.x - r.left, p.y - r.top});
    // A window's surface may not reach the point (a disabled child whose parent clips
    // it away): the screen there shows what that window draws.
    if (pixel == CLR_INVALID) pixel = PixelAt(nullptr, p);
    probe.pixel = pixel == CLR_INVALID ? 0 : static_cast<uint32_t>(pixel & 0xFFFFFF);
    return probe;
}

}  // namespace editwnd
