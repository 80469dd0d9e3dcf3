// A colour popup's swatch gallery (5001 or 5002): each group under its caption, the
// swatches 17 x 17 with their names as tooltips, the marked one framed. A click on a
// swatch hands its COLORREF to `chosen`.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "editwnd/colours.h"

namespace editwnd {

// Height of a group's caption; two captions and seven rows of swatches fill the gallery.
constexpr int kSwatchCaptionHeight = 13;

// Where a swatch lies in the gallery's client area.
RECT SwatchRect(const std::vector<SwatchGroup>& groups, SwatchPosition position);

class CSwatchGalleryControl {
public:
    using Chosen = std::function<void(uint32_t colorref)>;

    // A child of parent at (x, y), kGalleryWidth x kGalleryHeight, with the given id.
    // groups must outlive the control.
    CSwatchGalleryControl(HWND parent, int id, int x, int y, const std::vector<SwatchGroup>& groups, Chosen chosen);
    ~CSwatchGalleryControl();
    CSwatchGalleryControl(const CSwatchGalleryControl&) = delete;
    CSwatchGalleryControl& operator=(const CSwatchGalleryControl&) = delete;

    HWND hwnd() const { return hwnd_; }
    std::optional<SwatchPosition> marked() const { return marked_; }
    void Mark(std::optional<SwatchPosition> position);

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();
    std::optional<SwatchPosition> HitTest(POINT at) const;

    HWND hwnd_ = nullptr;
    HWND tooltip_ = nullptr;
    const std::vector<SwatchGroup>& groups_;
    Chosen chosen_;
    std::optional<SwatchPosition> marked_;
};

}  // namespace editwnd
