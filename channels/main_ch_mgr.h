// The channel manager: a filter over the main clip whose every frame is composed
// anew from numbered channels of items, channel 0 at the bottom.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "avs/avisynth.h"
#include "channels/item_kind.h"
#include "channels/item_record.h"

struct HostPicture;

class CMainChMgr : public GenericVideoFilter {
public:
    // Raises the frame server's error on planar input. Items are drawn, pictured and
    // heard through `kinds`, which outlives the manager.
    CMainChMgr(PClip input, IScriptEnvironment* env, const ItemKindTable& kinds);
    ~CMainChMgr() override;

    PVideoFrame* AVS_STDCALL GetFrame(PVideoFrame* result, int n, IScriptEnvironment* env) override;
    void AVS_STDCALL GetAudio(void* buf, int64_t start, int64_t count, IScriptEnvironment* env) override;
    using IClip::GetFrame;

    // Composes frame n from channels 0..last_channel (visible ones only).
    PVideoFrame ComposeFrame(int n, int last_channel, IScriptEnvironment* env);
    // A canvas of the manager's size over `pixels`, rows `pitch` bytes apart.
    Canvas CanvasOver(uint8_t* pixels, int32_t pitch) const {
        return Canvas{pixels, pitch, vi.width, vi.height, pitch * vi.height, env_};
    }
    // Draws one item by its kind onto a canvas in the canvas layout.
    void DrawItem(ItemRecord& item, int n, const Canvas& canvas);
    // The picture of one item for the host, by its kind; false for a kind without one.
    bool ItemPicture(ItemRecord& item, int n, HostPicture& out);

    // The channel model; channel numbers are internal.
    void EnsureChannel(int k);
    void AddItem(int k, bool insert, std::unique_ptr<ItemRecord> item);
    ItemRecord* FindItem(int32_t id);
    void RemoveItem(int32_t id, int first_channel);
    void ChangeItemChLevel(int32_t id, int k);
    void InsertChannel(int k);
    void RemoveChannel(int k);
    void SetChannelVisible(int k, int32_t visible);
    void RemoveAllItems();

    int ChannelCount() const { return static_cast<int>(channels_.size()); }
    // Null for a channel that has never held an item, or one outside the list.
    const ItemList* Channel(int k) const {
        return k >= 0 && k < ChannelCount() ? channels_[k].get() : nullptr;
    }
    int32_t ChannelVisible(int k) const { return k >= 0 && k < ChannelCount() ? visible_[k] : 0; }

    const VideoInfo& Info() const { return vi; }
    IScriptEnvironment* Environment() const { return env_; }
    // The canvas being drawn, non-null only while the items of one channel draw.
    uint8_t* CanvasInProgress() const { return canvas_in_progress_; }
    int CanvasInProgressSize() const { return canvas_in_progress_size_; }

    // Holds the canvas in progress for one channel's items; clears it even when an
    // item raises an error, so it never points at a released canvas.
    class CanvasScope {
    public:
        CanvasScope(CMainChMgr& mgr, uint8_t* canvas, int size) : mgr_(mgr) {
            mgr_.canvas_in_progress_ = canvas;
            mgr_.canvas_in_progress_size_ = size;
        }
        ~CanvasScope() {
            mgr_.canvas_in_progress_ = nullptr;
            mgr_.canvas_in_progress_size_ = 0;
        }
        CanvasScope(const CanvasScope&) = delete;
        CanvasScope& operator=(const CanvasScope&) = delete;

    private:
        CMainChMgr& mgr_;
    };

    // Whether items can draw: they draw bottom-up RGB24 canvases only.
    bool Drawable() const;

private:
    const ItemKindTable& kinds_;
    uint8_t* canvas_in_progress_ = nullptr;
    int canvas_in_progress_size_ = 0;
    std::vector<std::unique_ptr<ItemList>> channels_;
    std::vector<int32_t> visible_;
    IScriptEnvironment* env_;
};
