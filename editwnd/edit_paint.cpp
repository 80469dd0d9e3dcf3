#include "editwnd/edit_paint.h"

#include <memory>

#include "editwnd/toolbar_view.h"
#include "gfx/blend.h"
#include "gfx/image_points.h"
#include "gfx/pen.h"
#include "gfx/shapes.h"
#include "warp/draw_warped_image.h"

namespace editwnd {

namespace {

void StretchOver(gfx::Bitmap& target, const gfx::Bitmap& background) {
    const float w = static_cast<float>(target.Width()), h = static_cast<float>(target.Height());
    const gfx::PointF dest[3] = {{0, 0}, {w, 0}, {0, h}};
    gfx::DrawImagePoints(target, background, dest, gfx::Interpolation::kHighQualityBicubic);
}

// A copy in which every pixel equal to the key colour made opaque is transparent.
std::unique_ptr<gfx::Bitmap> Keyed(const gfx::Bitmap& picture, uint32_t key_colour) {
    std::unique_ptr<gfx::Bitmap> out = gfx::Bitmap::Create(picture.Width(), picture.Height());
    if (!out) return nullptr;
    const gfx::Argb key = ArgbWithColorRef(0xFF000000u, key_colour);
    const gfx::PixelFormat format = picture.Format();
    const int bpp = picture.BytesPerPixel();
    for (int y = 0; y < picture.Height(); ++y) {
        const uint8_t* s = picture.Row(y);
        uint8_t* d = out->Row(y);
        for (int x = 0; x < picture.Width(); ++x, s += bpp, d += 4) {
            const gfx::Argb c = gfx::LoadPixel(s, format);
            if (c == key) continue;  // the new bitmap starts transparent
            d[0] = static_cast<uint8_t>(c), d[1] = static_cast<uint8_t>(c >> 8), d[2] = static_cast<uint8_t>(c >> 16),
            d[3] = static_cast<uint8_t>(c >> 24);
        }
    }
    return out;
}

void SquareHandle(gfx::Bitmap& target, const EditRect& r) {
    gfx::FillRectangle(target, r.left, r.top, r.Width(), r.Height(), kHandleFill);
    const gfx::PointF box[4] = {{float(r.left), float(r.top)},
                                {float(r.right), float(r.top)},
                                {float(r.right), float(r.bottom)},
                                {float(r.left), float(r.bottom)}};
    gfx::DrawPolygon(target, box, 4, kHandleOutline, 1.0f);
}

void Box(gfx::Bitmap& target, const EditRect& box, const std::array<EditRect, 4>& handles) {
    gfx::DrawDashedRectangle(target, box.left, box.top, box.right, box.bottom, kSelectionPen, 1.0f);
    for (const EditRect& h : handles) SquareHandle(target, h);
}

}  // namespace

void PaintEditWindow(gfx::Bitmap& target, const gfx::Bitmap* background, const gfx::Bitmap* picture,
                     const EditPlacement& placement, const HandleLayout& layout) {
    if (background) StretchOver(target, *background);
    if (picture) {
        std::unique_ptr<gfx::Bitmap> keyed;
        if (placement.key_colour != kNoKeyColour) keyed = Keyed(*picture, placement.key_colour);
        const WarpStyle style{.opacity = placement.opacity,
                              .outline_width = placement.outline_width,
                              .outline_colour = placement.outline_colour,
                              .sampling = WarpSampling::kNearest,
                              .path = WarpPath::kWarp};
        DrawWarpedImage(target, FrameRect{0, 0, target.Width(), target.Height()}, placement.corners,
                        keyed ? *keyed : *picture, style);
    }

    gfx::DrawDashedPolygon(target, layout.outline.data(), 4, kSelectionPen, 1.0f);
    for (const EditRect& h : layout.warp) {
        gfx::FillEllipse(target, float(h.left), float(h.top), float(h.Width()), float(h.Height()), kHandleFill);
        gfx::DrawEllipse(target, float(h.left), float(h.top), float(h.Width()), float(h.Height()), kHandleOutline, 1.0f);
    }
    for (size_t k = 0; k < layout.rotation.size(); ++k) {
        const EditRect& h = layout.rotation[k];
        const EditPoint centre = h.Centre(), corner = layout.rotation_corner[k];
        gfx::DrawLine(target, {float(centre.x), float(centre.y)}, {float(corner.x), float(corner.y)}, kRotationLine, 1.0f);
        gfx::FillEllipse(target, float(h.left), float(h.top), float(h.Width()), float(h.Height()), kHandleFill);
    }
    Box(target, layout.inner_box, layout.inner_edge);
    Box(target, layout.outer_box, layout.outer_edge);
}

}  // namespace editwnd
