// One item on a channel, whatever its kind. Kinds are dispatched on the tag, not
// through virtual operations, so every kind's payload stays a plain record or object.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

enum ItemKind : int32_t {
    kItemNone = -1,
    kItemOverlay = 0,
    kItemSlide = 1,
    kItemTitle = 2,
    kItemImage = 3,
    kItemSubtitle = 4,
};

struct ItemRecord {
    using Release = void (*)(void* payload);

    int32_t kind = kItemNone;
    int32_t id = 0;
    void* payload = nullptr;  // owned: freed through release
    Release release = nullptr;
    std::unique_ptr<uint8_t[]> snapshot;  // the slide kind's picture between frames
    uint32_t snapshot_size = 0;

    ItemRecord() = default;
    ItemRecord(int32_t kind_, int32_t id_, void* payload_, Release release_)
        : kind(kind_), id(id_), payload(payload_), release(release_) {}
    ItemRecord(const ItemRecord&) = delete;
    ItemRecord& operator=(const ItemRecord&) = delete;
    ~ItemRecord() {
        if (release) release(payload);
    }

    void DropSnapshot() {
        snapshot.reset();
        snapshot_size = 0;
    }
};

// A record of the given kind owning the payload, which it deletes as a T.
template <class T>
std::unique_ptr<ItemRecord> MakeItemRecord(int32_t kind, int32_t id, std::unique_ptr<T> payload) {
    auto record = std::make_unique<ItemRecord>(kind, id, payload.get(),
                                               [](void* p) { delete static_cast<T*>(p); });
    payload.release();  // the record owns it now
    return record;
}

using ItemList = std::vector<std::unique_ptr<ItemRecord>>;
