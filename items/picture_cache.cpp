#include "items/picture_cache.h"

#include <algorithm>
#include <new>

#include "avs/seh_boundary.h"
#include "channels/globals.h"
#include "gfx/image_points.h"
#include "items/image_item.h"
#include "platform/environment_text.h"
#include "platform/host_bitmap.h"
#include "platform/picture_load.h"
#include "warp/draw_warped_image.h"

PreparedPicture::~PreparedPicture() = default;

CPictureCache::CPictureCache(const CImageItem* owner, const int32_t* rectangle, const EditPlacement* placement)
    : owner_(owner), rectangle_(rectangle), placement_(placement) {}

CPictureCache::~CPictureCache() { Empty(); }

void CPictureCache::Empty() {
    for (PreparedPicture* p : cache_) delete p;
    cache_.Clear();
}

void* HOST_THISCALL CPictureCache::DeletingDestructor(uint32_t flags) {
    Empty();
    if (flags & 1) {
        this->~CPictureCache();
        ::operator delete(this);
    }
    return this;
}

// Called by the host's renderer, so an entry.
HostBitmap* HOST_THISCALL CPictureCache::GetPicture(int32_t index) {
    return avs::Entry([&]() -> HostBitmap* {
        PreparedPicture* p = Fetch(index);
        if (!p) return nullptr;
        if (!p->host) p->host = std::make_unique<HostBitmapLease>(*p->pixels);
        return p->host->get();
    });
}

const gfx::Bitmap* CPictureCache::Prepared(int64_t index) {
    const PreparedPicture* p = Fetch(index);
    return p ? p->pixels.get() : nullptr;
}

gfx::Bitmap* HOST_THISCALL CPictureCache::LoadPicture(int32_t index) {
    if (index < 0 || static_cast<size_t>(index) >= owner_->pictures.size()) return nullptr;
    return platform::LoadPictureFile(owner_->pictures[static_cast<size_t>(index)]).release();
}

// A negative index is past the list as much as one beyond its end.
PreparedPicture* CPictureCache::Fetch(int64_t index) {
    if (index < 0 || static_cast<uint64_t>(index) >= owner_->pictures.size()) return nullptr;
    const int64_t count = static_cast<int64_t>(cache_.size());
    if (index >= first_index_ && index < first_index_ + count) return cache_[static_cast<size_t>(index - first_index_)];
    if (index != first_index_ + count) {
        Empty();
        first_index_ = static_cast<int32_t>(index);
    }

    const std::unique_ptr<gfx::Bitmap> loaded(LoadPicture(static_cast<int32_t>(index)));
    if (!loaded) return nullptr;
    std::unique_ptr<PreparedPicture> prepared = Prepare(*loaded);
    if (!prepared) return nullptr;
    cache_.PushBack(prepared.get());
    prepared.release();
    if (cache_.size() > kCapacity) {
        delete cache_[0];
        cache_.EraseFront();
        ++first_index_;
    }
    return cache_[static_cast<size_t>(index - first_index_)];
}

namespace {

// Every pixel whose colour is the key (0x00BBGGRR) becomes fully transparent; the
// others keep all four bytes, their own alpha included.
std::unique_ptr<gfx::Bitmap> WithoutKeyColour(const gfx::Bitmap& src, uint32_t key) {
    std::unique_ptr<gfx::Bitmap> out = gfx::Bitmap::Create(src.Width(), src.Height());
    if (!out) return nullptr;
    const uint8_t kr = key & 0xFF, kg = (key >> 8) & 0xFF, kb = (key >> 16) & 0xFF;
    for (int y = 0; y < src.Height(); ++y) {
        const uint8_t* s = src.Row(y);
        uint8_t* d = out->Row(y);
        for (int x = 0; x < src.Width(); ++x, s += 4, d += 4) {
            if (s[0] == kb && s[1] == kg && s[2] == kr) continue;
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
            d[3] = s[3];
        }
    }
    return out;
}

}  // namespace

// A picture size that is not positive prepares nothing, so such an item shows no picture.
std::unique_ptr<PreparedPicture> CPictureCache::Prepare(const gfx::Bitmap& loaded) const {
    const EditPlacement& p = *placement_;
    auto prepared = std::make_unique<PreparedPicture>();
    prepared->pixels = gfx::Bitmap::Create(p.reference_width, p.reference_height);
    if (!prepared->pixels) return nullptr;
    gfx::Bitmap& out = *prepared->pixels;

    std::unique_ptr<gfx::Bitmap> keyed;
    if (p.key_colour != kNoKeyColour) {
        keyed = WithoutKeyColour(loaded, p.key_colour);
        if (!keyed) return nullptr;
    }
    const gfx::Bitmap& picture = keyed ? *keyed : loaded;

    if (owner_->fit) {
        const int64_t W = p.reference_width, H = p.reference_height, w = picture.Width(), h = picture.Height();
        const int64_t fw = W * h <= H * w ? W : H * w / h;
        const int64_t fh = W * h <= H * w ? W * h / w : H;
        const float left = static_cast<float>((W - fw) / 2), top = static_cast<float>((H - fh) / 2);
        const gfx::PointF dest[3] = {{left, top}, {left + static_cast<float>(fw), top},
                                     {left, top + static_cast<float>(fh)}};
        // Scaled with the smooth filter whatever the quick flag says: fitting happens
        // once per picture, not once per frame.
        gfx::DrawImagePoints(out, picture, dest, gfx::Interpolation::kHighQualityBicubic);
    } else {
        const WarpStyle style{.opacity = p.opacity,
                              .outline_width = p.outline_width,
                              .outline_colour = p.outline_colour,
                              .sampling = SamplingFor(quick_warp_ ? *quick_warp_ : g_quick_warp),
                              .path = *rectangle_ ? WarpPath::kRectangle : WarpPath::kWarp,
                              .kernel = WarpKernelNamed(platform::EnvironmentText(kWarpKernelVariable))};
        DrawWarpedImage(out, FrameRect{0, 0, p.reference_width, p.reference_height}, p.corners, picture, style);
    }
    return prepared;
}
