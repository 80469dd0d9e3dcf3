#include "png_frames.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "whole_write.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

namespace render {

namespace {

std::vector<uint8_t> TopDownRgb(const uint8_t* bottom_up_bgr, int pitch, int width, int height) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = bottom_up_bgr + static_cast<ptrdiff_t>(height - 1 - y) * pitch;
        uint8_t* dst = rgb.data() + static_cast<size_t>(y) * width * 3;
        for (int x = 0; x < width; ++x) {
            dst[3 * x + 0] = src[3 * x + 2];
            dst[3 * x + 1] = src[3 * x + 1];
            dst[3 * x + 2] = src[3 * x + 0];
        }
    }
    return rgb;
}

extern "C" void AppendBytes(void* context, void* data, int size) {
    auto* bytes = static_cast<std::vector<uint8_t>*>(context);
    bytes->insert(bytes->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}

// The encoder only reports a failed open: the file is made in memory and written here,
// every byte and the close checked, so a full disk is an error and not a cut picture.
void WriteRgbPng(const std::string& path, const std::string& shown, const uint8_t* rgb, int width, int height) {
    std::vector<uint8_t> png;
    if (!stbi_write_png_to_func(AppendBytes, &png, width, height, 3, rgb, width * 3))
        throw std::runtime_error(shown + ": cannot encode the PNG");
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) throw std::runtime_error(shown + ": " + std::strerror(errno));
    if (const int error = render::WriteWholeAndClose(fd, png.data(), png.size())) {
        ::unlink(path.c_str());  // no cut picture stays under the name
        throw std::runtime_error(shown + ": " + std::strerror(error));
    }
}

}  // namespace

void WritePngFrame(const std::string& path, const uint8_t* bottom_up_bgr, int pitch, int width, int height,
                   const std::string& shown) {
    const std::string& name = shown.empty() ? path : shown;
    if (width <= 0 || height <= 0) throw std::runtime_error(name + ": a PNG needs a width and height");
    const std::vector<uint8_t> rgb = TopDownRgb(bottom_up_bgr, pitch, width, height);
    WriteRgbPng(path, name, rgb.data(), width, height);
}

ContactSheet::ContactSheet(int frame_width, int frame_height, int columns, int tile_width)
    : frame_width_(frame_width), frame_height_(frame_height), columns_(columns), tile_width_(tile_width) {
    if (frame_width <= 0 || frame_height <= 0 || columns <= 0 || tile_width <= 0)
        throw std::runtime_error("contact sheet: frame size, columns and tile width must be positive");
    tile_height_ = std::max(1, static_cast<int>((static_cast<int64_t>(tile_width) * frame_height + frame_width / 2) /
                                                frame_width));
}

void ContactSheet::Add(const uint8_t* bottom_up_bgr, int pitch) {
    const std::vector<uint8_t> rgb = TopDownRgb(bottom_up_bgr, pitch, frame_width_, frame_height_);
    std::vector<uint8_t> tile(static_cast<size_t>(tile_width_) * tile_height_ * 3);
    for (int ty = 0; ty < tile_height_; ++ty) {
        // Source rows [y0, y1): at least one, so enlarging repeats pixels.
        const int y0 = static_cast<int>(static_cast<int64_t>(ty) * frame_height_ / tile_height_);
        const int y1 = std::max(y0 + 1, static_cast<int>(static_cast<int64_t>(ty + 1) * frame_height_ / tile_height_));
        for (int tx = 0; tx < tile_width_; ++tx) {
            const int x0 = static_cast<int>(static_cast<int64_t>(tx) * frame_width_ / tile_width_);
            const int x1 = std::max(x0 + 1, static_cast<int>(static_cast<int64_t>(tx + 1) * frame_width_ / tile_width_));
            uint64_t sum[3] = {0, 0, 0};
            for (int y = y0; y < y1; ++y)
                for (int x = x0; x < x1; ++x)
                    for (int c = 0; c < 3; ++c) sum[c] += rgb[(static_cast<size_t>(y) * frame_width_ + x) * 3 + c];
            const uint64_t n = static_cast<uint64_t>(y1 - y0) * (x1 - x0);
            for (int c = 0; c < 3; ++c)
                tile[(static_cast<size_t>(ty) * tile_width_ + tx) * 3 + c] = static_cast<uint8_t>((sum[c] + n / 2) / n);
        }
    }
    tiles_.push_back(std::move(tile));
}

void ContactSheet::Write(const std::string& path, const std::string& shown) const {
    if (tiles_.empty()) throw std::runtime_error(path + ": a contact sheet needs at least one frame");
    const int count = static_cast<int>(tiles_.size());
    const int columns = std::min(columns_, count);
    const int rows = (count + columns_ - 1) / columns_;
    const int width = kSpacing + columns * (tile_width_ + kSpacing);
    const int height = kSpacing + rows * (tile_height_ + kSpacing);
    std::vector<uint8_t> sheet(static_cast<size_t>(width) * height * 3, kBackground);
    for (int i = 0; i < count; ++i) {
        const int left = kSpacing + (i % columns_) * (tile_width_ + kSpacing);
        const int top = kSpacing + (i / columns_) * (tile_height_ + kSpacing);
        for (int y = 0; y < tile_height_; ++y)
            std::copy_n(tiles_[i].data() + static_cast<size_t>(y) * tile_width_ * 3, tile_width_ * 3,
                        sheet.data() + (static_cast<size_t>(top + y) * width + left) * 3);
    }
    WriteRgbPng(path, shown.empty() ? path : shown, sheet.data(), width, height);
}

}  // namespace render
