// The floating toolbar's button images: toolbar resource 1000 names the buttons in the
// order of their 16 x 16 images in bitmap 1000. A colour button shows its colour in the
// bottom rows of its image.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace editwnd {

class CToolbarImages {
public:
    // Null when either resource is missing or they do not fit together.
    static std::unique_ptr<CToolbarImages> Load(HINSTANCE module, int resource_id);
    ~CToolbarImages();
    CToolbarImages(const CToolbarImages&) = delete;
    CToolbarImages& operator=(const CToolbarImages&) = delete;

    HIMAGELIST list() const { return list_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // The image of a button; I_IMAGENONE for an id the toolbar resource does not name.
    int ImageOf(int id) const;
    // Redraws the bottom rows of the button's image in the COLORREF, or as a grey and
    // white checker when there is no colour.
    void ShowColour(int id, std::optional<uint32_t> colorref);

    // Rows at the bottom of a colour button's image that show the colour.
    static constexpr int kColourRows = 4;

private:
    CToolbarImages() = default;
    // Image `index` of the strip with its transparent pixels masked: added to the list
    // as loaded, or put in place of what is there with the colour bar drawn.
    bool Put(int index, bool with_bar, std::optional<uint32_t> colorref);

    HIMAGELIST list_ = nullptr;
    int width_ = 0, height_ = 0;
    std::vector<int> ids_;          // one per image, in the strip's order
    std::vector<uint32_t> pixels_;  // the strip as loaded, top-down, 0x00RRGGBB
};

}  // namespace editwnd
