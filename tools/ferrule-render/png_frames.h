// Frames as PNG files: one file per frame, or a contact sheet of chosen frames.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace render {

// Writes a bottom-up B,G,R frame as a top-down RGB PNG. Throws std::runtime_error naming
// the file (as `shown` when given: the name a temporary file stands for) and removes
// what a failed write left.
void WritePngFrame(const std::string& path, const uint8_t* bottom_up_bgr, int pitch, int width, int height,
                   const std::string& shown = std::string());

// Frames shrunk to tiles in a grid, left to right then down, on a dark grey
// background with 4 pixels between tiles and around the edge. Each tile pixel is the
// mean of the frame pixels it covers (a box filter), which keeps thin lines visible
// as shades instead of dropping them the way picking one pixel would.
class ContactSheet {
public:
    // Tiles are tile_width wide and keep the frames' aspect ratio.
    ContactSheet(int frame_width, int frame_height, int columns, int tile_width);

    void Add(const uint8_t* bottom_up_bgr, int pitch);
    int tiles() const { return static_cast<int>(tiles_.size()); }
    int tile_height() const { return tile_height_; }
    // Throws std::runtime_error naming the file, or when no frame was added.
    void Write(const std::string& path, const std::string& shown = std::string()) const;

    static constexpr int kSpacing = 4;
    static constexpr uint8_t kBackground = 0x30;

private:
    int frame_width_, frame_height_, columns_, tile_width_, tile_height_;
    std::vector<std::vector<uint8_t>> tiles_;  // top-down RGB
};

}  // namespace render
