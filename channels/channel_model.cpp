// The channel model of the manager: channels are positions in the list, an entry is
// null until its first item arrives, and every new channel starts visible.
#include <algorithm>

#include "channels/main_ch_mgr.h"

void CMainChMgr::EnsureChannel(int k) {
    while (ChannelCount() <= k) {
        channels_.emplace_back();
        visible_.push_back(1);
    }
}

// A negative channel places nothing: the item is destroyed, as the host's record was
// only copied.
void CMainChMgr::AddItem(int k, bool insert, std::unique_ptr<ItemRecord> item) {
    if (k < 0) return;
    if (k >= ChannelCount()) {
        EnsureChannel(k);
    } else if (insert) {
        channels_.emplace(channels_.begin() + k);
        visible_.insert(visible_.begin() + k, 1);
    }
    if (!channels_[k]) channels_[k] = std::make_unique<ItemList>();
    channels_[k]->push_back(std::move(item));
}

ItemRecord* CMainChMgr::FindItem(int32_t id) {
    for (const auto& items : channels_) {
        if (!items) continue;
        for (const auto& item : *items)
            if (item->id == id) return item.get();
    }
    return nullptr;
}

// A first channel below -1 searches nothing; past the end, the walk is empty.
void CMainChMgr::RemoveItem(int32_t id, int first_channel) {
    if (first_channel < -1) return;
    for (int c = std::max(first_channel, 0); c < ChannelCount(); ++c) {
        ItemList* items = channels_[c].get();
        if (!items) continue;
        auto it = std::find_if(items->begin(), items->end(), [id](const auto& item) { return item->id == id; });
        if (it != items->end()) items->erase(it);
    }
}

// With the id on several channels every match leaves its list and only the last one
// found is placed; the others are destroyed rather than leaked.
void CMainChMgr::ChangeItemChLevel(int32_t id, int k) {
    if (k < 0) return;  // no such channel: the item stays where it is
    EnsureChannel(k);
    std::unique_ptr<ItemRecord> moving;
    for (const auto& items : channels_) {
        if (!items) continue;
        auto it = std::find_if(items->begin(), items->end(), [id](const auto& item) { return item->id == id; });
        if (it == items->end()) continue;
        moving = std::move(*it);
        items->erase(it);
    }
    if (!moving) return;
    if (!channels_[k]) channels_[k] = std::make_unique<ItemList>();
    channels_[k]->push_back(std::move(moving));
}

void CMainChMgr::InsertChannel(int k) {
    if (k < 0) return;
    if (k < ChannelCount()) {
        channels_.emplace(channels_.begin() + k);
        visible_.insert(visible_.begin() + k, 1);
    } else {
        EnsureChannel(k);
    }
}

// Channels outside the list are left alone.
void CMainChMgr::RemoveChannel(int k) {
    if (k < 0 || k >= ChannelCount()) return;
    if (channels_[k]) {
        for (auto& item : *channels_[k]) item.reset();  // destroyed in list order
    }
    channels_.erase(channels_.begin() + k);
    visible_.erase(visible_.begin() + k);
}

void CMainChMgr::SetChannelVisible(int k, int32_t visible) {
    if (k < 0 || k >= ChannelCount()) return;
    visible_[k] = visible;
}

void CMainChMgr::RemoveAllItems() {
    for (auto& items : channels_) {
        if (!items) continue;
        for (auto& item : *items) item.reset();
        items.reset();
    }
    channels_.clear();
    visible_.clear();
}
