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
    int32_t kind = kItemNone;
    int32_t id = 0;
    void* payload = nullptr;                 // owned; released as the kind says
    std::unique_ptr<uint8_t[]> snapshot;     // the slide kind's picture between frames
    uint32_t snapshot_size = 0;

    ItemRecord() = default;
    ItemRecord(int32_t kind_, int32_t id_, void* payload_) : kind(kind_), id(id_), payload(payload_) {}
    ItemRecord(const ItemRecord&) = delete;
    ItemRecord& operator=(const ItemRecord&) = delete;
    ~ItemRecord();

    void DropSnapshot() {
        snapshot.reset();
        snapshot_size = 0;
    }
};

using ItemList = std::vector<std::unique_ptr<ItemRecord>>;

// Frees a payload of the given kind; defined with the kind dispatch.
void ReleaseItemPayload(int32_t kind, void* payload);
