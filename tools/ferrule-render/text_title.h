// A timeline title as the host's title renderer: its text rasterised once, then blended
// over the composed canvas each frame.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "channels/host_renderers.h"
#include "timeline.h"

namespace render {

inline constexpr const char* kDefaultFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

class TextTitle final : public TitleRenderer {
public:
    // Lays the text out with the font (UTF-8, lines split at '\n', each line centred).
    // Throws std::runtime_error when the font cannot be loaded.
    static std::unique_ptr<TextTitle> Create(const Title& title, const std::string& font_path = kDefaultFontPath);

    // Copies the input to *output and blends the text over it, centred at
    // (x * width, y * height from the top), raised by scroll * position pixels.
    void HOST_THISCALL RenderTitle(const FrameRef* input, uint8_t** output, int32_t parameter, int32_t duration,
                                   int32_t position) override;

    // The text's opacity at `position` of `duration` frames, in [0, 256]: the least of
    //   full, (position + 1) / (fade_in + 1) and (duration - position) / (fade_out + 1),
    // so the first frame of a fade in is faint but not empty and the first fade_in
    // frames rise linearly to full; the last fade_out frames fall the same way.
    int OpacityAt(int32_t duration, int32_t position) const;

    // The rasterised text: coverage 0..255, top-down rows of MaskWidth() bytes.
    int MaskWidth() const { return mask_width_; }
    int MaskHeight() const { return mask_height_; }
    const std::vector<uint8_t>& Mask() const { return mask_; }

private:
    TextTitle(const Title& title, std::vector<uint8_t> mask, int mask_width, int mask_height, int offset_x,
              int offset_y);

    Title title_;
    std::vector<uint8_t> mask_;
    int mask_width_;
    int mask_height_;
    // The mask's top-left relative to the centre of the laid-out text.
    int offset_x_;
    int offset_y_;
};

}  // namespace render
