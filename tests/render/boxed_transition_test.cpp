// Transitions of items that are not the whole frame: an overlay's or a picture's stays
// within its own box.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "tests/render/media_clips.h"
#include "tests/render/render_support.h"
#include "tools/ferrule-render/png_frames.h"
#include "tools/ferrule-render/session.h"

namespace {

constexpr int kW = 96, kH = 64;

std::vector<uint32_t> Picture(const render::Session& s, int n) {
    const PVideoFrame f = s.Frame(n);
    std::vector<uint32_t> px;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) px.push_back(rtest::PixelAt(f, kH, x, y));
    return px;
}

// A moving gradient under channel 1, whose item comes in over frames 4 to 7 (t = 1/5 to
// 4/5 of the way). B is the frame without the item, C with it drawn in full; inside its
// box a push shows B shifted left by s = round(t * box width) and C's left s columns at
// the right, a wipe right C's left s columns; outside the box every pixel is B's.
TEST(BoxedTransition, MovesOnlyWhatItBringsIn) {
    rtest::TempDir dir;
    std::vector<uint8_t> bgr(32 * 3 * 32);
    for (size_t i = 0; i < bgr.size(); ++i) bgr[i] = uint8_t(i * 7 % 251);
    render::WritePngFrame(dir / "p.png", bgr.data(), 32 * 3, 32, 32);
    struct Case {
        const char* item;  // the JSON of channel 1's item, less its transition
        int x0, y0, x1, y1;
    } const items[] = {
        {R"("type": "overlay", "first": 4, "last": 11, "generate": {"kind": "checker", "colour": "#FF3070", "width": 40, "height": 20},
            "corners": [[30, 20], [70, 20], [70, 40], [30, 40]])", 30, 20, 70, 40},
        // 32 x 32 fitted into 96 x 64: 64 x 64 at left 16.
        {R"("type": "pictures", "first": 4, "last": 11, "frames_per_picture": 8, "files": ["p.png"])", 16, 0, 80, 64},
    };
    const auto session = [&](const std::string& items) {
        return std::make_unique<render::Session>(render::ParseTimeline(
            R"({"output": {"width": 96, "height": 64, "frames": 12}, "channels": [
               {"items": [{"type": "overlay", "first": 0, "last": 11, "generate": {"kind": "gradient", "width": 96, "height": 64}}]},
               {"items": [)" + items + "]}]}",
            "t.json", dir.path().string()));
    };
    const auto without = session("");
    for (const Case& c : items) {
        const auto full = session("{" + std::string(c.item) + "}");
        const int bw = c.x1 - c.x0;
        for (const char* kind : {"push", "wipe-right"}) {
            const auto moving = session("{" + std::string(c.item) + R"(, "transition": ")" + kind + R"(", "transition_length": 4})");
            for (int n = 4; n <= 8; ++n) {
                const std::vector<uint32_t> b = Picture(*without, n), to = Picture(*full, n), got = Picture(*moving, n);
                const int s = n == 8 ? bw : static_cast<int>(std::lround((n - 3) / 5.0 * bw));
                int outside_changed = 0, inside_wrong = 0;
                for (int y = 0; y < kH; ++y)
                    for (int x = 0; x < kW; ++x) {
                        const bool in = x >= c.x0 && x < c.x1 && y >= c.y0 && y < c.y1;
                        EXPECT_EQ(to[y * kW + x] != b[y * kW + x], in) << "the item's box " << x << "," << y;
                        const bool push = kind[0] == 'p';
                        const uint32_t want = !in  ? b[y * kW + x]
                                              : push ? (x < c.x1 - s ? b[y * kW + x + s] : to[y * kW + x - (bw - s)])
                                                     : (x < c.x0 + s ? to[y * kW + x] : b[y * kW + x]);
                        (in ? inside_wrong : outside_changed) += got[y * kW + x] != want;
                    }
                EXPECT_EQ(outside_changed, 0) << c.item << " " << kind << " frame " << n;
                EXPECT_EQ(inside_wrong, 0) << c.item << " " << kind << " frame " << n;
            }
        }
    }
}

}  // namespace
