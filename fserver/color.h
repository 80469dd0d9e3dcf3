// Colour helpers shared by the functions that paint pixels.
#pragma once

namespace fserver {

// 0xYYUUVV from 0xRRGGBB with the studio-range Rec.601 matrix.
inline int RgbToYuv(int rgb) {
    const double r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    const auto clamp = [](double v) { return v < 0 ? 0 : v > 255 ? 255 : static_cast<int>(v + 0.5); };
    const int y = clamp(0.257 * r + 0.504 * g + 0.098 * b + 16);
    const int u = clamp(-0.148 * r - 0.291 * g + 0.439 * b + 128);
    const int v = clamp(0.439 * r - 0.368 * g - 0.071 * b + 128);
    return y << 16 | u << 8 | v;
}

}  // namespace fserver
