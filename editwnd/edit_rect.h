// Integer points and rectangles in client pixels: what handles, hit regions and the
// bounding box are measured in.
#pragma once

namespace editwnd {

struct EditPoint {
    int x = 0, y = 0;
    bool operator==(const EditPoint&) const = default;
};

struct EditRect {
    int left = 0, top = 0, right = 0, bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    EditPoint Centre() const { return {left + Width() / 2, top + Height() / 2}; }
    // Left and top edges belong to the rectangle, right and bottom ones do not.
    bool Contains(int x, int y) const { return left <= x && x < right && top <= y && y < bottom; }
    EditRect Inflated(int d) const { return {left - d, top - d, right + d, bottom + d}; }
    bool operator==(const EditRect&) const = default;
};

}  // namespace editwnd
