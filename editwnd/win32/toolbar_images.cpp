#include "editwnd/win32/toolbar_images.h"

#include <algorithm>

#include "resources/resource.h"

namespace editwnd {

namespace {

constexpr uint32_t kTransparent = 0xFF00FF;  // the bitmap's magenta

// The items of a toolbar resource (WORDs: version 1, width, height, count, then the
// ids, 0 for a separator): the button ids in order, and the button size.
bool ReadToolbarResource(HINSTANCE module, int id, std::vector<int>& ids, int& width, int& height) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(RT_TOOLBAR_TYPE));
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const auto* words = loaded ? static_cast<const WORD*>(LockResource(loaded)) : nullptr;
    const DWORD size = found ? SizeofResource(module, found) : 0;
    if (!words || size < 8 || words[0] != 1 || size < 8u + 2u * words[3]) return false;
    width = words[1];
    height = words[2];
    for (int k = 0; k < words[3]; ++k)
        if (words[4 + k] != 0) ids.push_back(words[4 + k]);
    return width > 0 && height > 0;
}

// A 32-bit top-down DIB section of the given pixels (0x00RRGGBB).
HBITMAP ColourBitmap(int width, int height, const std::vector<uint32_t>& pixels) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap) std::copy(pixels.begin(), pixels.end(), static_cast<uint32_t*>(bits));
    return bitmap;
}

}  // namespace

std::unique_ptr<CToolbarImages> CToolbarImages::Load(HINSTANCE module, int resource_id) {
    std::unique_ptr<CToolbarImages> images(new CToolbarImages);
    if (!ReadToolbarResource(module, resource_id, images->ids_, images->width_, images->height_)) return nullptr;
    HBITMAP strip = static_cast<HBITMAP>(
        LoadImageA(module, MAKEINTRESOURCEA(resource_id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!strip) return nullptr;
    BITMAP bm{};
    GetObject(strip, sizeof bm, &bm);
    const int count = static_cast<int>(images->ids_.size());
    if (bm.bmWidth != images->width_ * count || bm.bmHeight != images->height_) {
        DeleteObject(strip);
        return nullptr;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = bm.bmWidth;
    info.bmiHeader.biHeight = -bm.bmHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    images->pixels_.resize(static_cast<size_t>(bm.bmWidth) * bm.bmHeight);
    HDC dc = GetDC(nullptr);
    const int rows = GetDIBits(dc, strip, 0, bm.bmHeight, images->pixels_.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    DeleteObject(strip);
    if (rows != bm.bmHeight) return nullptr;
    for (uint32_t& p : images->pixels_) p &= 0xFFFFFF;

    images->list_ = ImageList_Create(images->width_, images->height_, ILC_COLOR24 | ILC_MASK, count, 0);
    if (!images->list_) return nullptr;
    for (int k = 0; k < count; ++k)
        if (!images->Put(k, false, std::nullopt)) return nullptr;
    return images;
}

CToolbarImages::~CToolbarImages() {
    if (list_) ImageList_Destroy(list_);
}

int CToolbarImages::ImageOf(int id) const {
    const auto at = std::find(ids_.begin(), ids_.end(), id);
    return at == ids_.end() ? I_IMAGENONE : static_cast<int>(at - ids_.begin());
}

void CToolbarImages::ShowColour(int id, std::optional<uint32_t> colorref) {
    const int index = ImageOf(id);
    if (index != I_IMAGENONE) Put(index, true, colorref);
}

bool CToolbarImages::Put(int index, bool with_bar, std::optional<uint32_t> colorref) {
    const int stride = width_ * static_cast<int>(ids_.size());
    std::vector<uint32_t> colour(static_cast<size_t>(width_) * height_);
    // The mask: one bit a pixel, rows padded to 16 bits, 1 where transparent.
    const int mask_stride = (width_ + 15) / 16 * 2;
    std::vector<uint8_t> mask(static_cast<size_t>(mask_stride) * height_, 0);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            uint32_t p = pixels_[static_cast<size_t>(y) * stride + index * width_ + x];
            if (with_bar && y >= height_ - kColourRows) {
                if (colorref) {
                    const uint32_t c = *colorref;  // COLORREF 0x00BBGGRR
                    p = (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);
                } else {
                    p = ((x / 2 + y / 2) % 2) ? 0xC0C0C0 : 0xFFFFFF;
                }
            }
            if (p == kTransparent) {
                mask[static_cast<size_t>(y) * mask_stride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
                p = 0;  // the list draws the image over the masked screen with OR
            }
            colour[static_cast<size_t>(y) * width_ + x] = p;
        }
    }
    HBITMAP image = ColourBitmap(width_, height_, colour);
    HBITMAP mask_bitmap = CreateBitmap(width_, height_, 1, 1, mask.data());
    bool ok = image && mask_bitmap;
    if (ok) {
        ok = with_bar ? ImageList_Replace(list_, index, image, mask_bitmap)
                      : ImageList_Add(list_, image, mask_bitmap) == index;
    }
    if (image) DeleteObject(image);
    if (mask_bitmap) DeleteObject(mask_bitmap);
    return ok;
}

}  // namespace editwnd
