// The pictures of one image item, loaded and prepared on demand; the last ten are
// kept. Laid out as the host's compiler lays the class out, since the host's picture
// transitions call it through its table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "channels/host_renderers.h"
#include "framework/host_array.h"
#include "gfx/bitmap.h"

class CImageItem;
class HostBitmapLease;
struct EditPlacement;

// A prepared picture: our ARGB bitmap, and the host's bitmap type over it once a
// renderer has asked for it.
struct PreparedPicture {
    std::unique_ptr<gfx::Bitmap> pixels;
    std::unique_ptr<HostBitmapLease> host;
    ~PreparedPicture();
};

class CPictureCache final : public CPictureSource {
public:
    static constexpr size_t kCapacity = 10;

    CPictureCache(const CImageItem* owner, const int32_t* rectangle, const EditPlacement* placement);
    ~CPictureCache();
    CPictureCache(const CPictureCache&) = delete;
    CPictureCache& operator=(const CPictureCache&) = delete;

    // Slot 0: the prepared picture as the host's bitmap type; null past the list, for
    // a file that cannot be read, or where the host's bitmap type cannot be made.
    HostBitmap* HOST_THISCALL GetPicture(int32_t index) override;
    // Slot 1, where the host's compiler puts the deleting destructor: the bitmaps are
    // released, and with bit 0 of flags the object is destroyed and freed as well.
    virtual void* HOST_THISCALL DeletingDestructor(uint32_t flags);
    // Slot 2: the picture file as it is, unprepared and uncached, owned by the caller;
    // null when it cannot be read. Only the library calls it, so it hands out our own
    // bitmap type.
    virtual gfx::Bitmap* HOST_THISCALL LoadPicture(int32_t index);

    // What GetPicture finds, as our own bitmap. Valid until the next fetch.
    const gfx::Bitmap* Prepared(int64_t index);
    // Releases every cached picture.
    void Empty();
    void SetQuickWarpAddress(const int32_t* quick) { quick_warp_ = quick; }

    int32_t FirstIndex() const { return first_index_; }
    size_t Count() const { return cache_.size(); }

private:
    PreparedPicture* Fetch(int64_t index);
    std::unique_ptr<PreparedPicture> Prepare(const gfx::Bitmap& loaded) const;

    const CImageItem* owner_;
    int32_t first_index_ = 0;
    HostArray<PreparedPicture*> cache_;  // owned, for indices first_index_ onward
    const int32_t* rectangle_;
    const int32_t* quick_warp_ = nullptr;
    const EditPlacement* placement_;
};

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(CPictureCache) == 40);
#endif
static_assert(sizeof(CPictureCache) == 10 * sizeof(void*));
