// What the edit window suites share under wine64: a published manager over a 160 x 120
// main clip, overlays of 20 x 40 grey clips on frames 10 to 50, a host window that keeps
// every placement the edit window reports (readable during the call only), and the
// window opened at the host's size.
#pragma once
#ifdef _WIN32

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "channels/overlay_records.h"
#include "editwnd/overlay_edit_model.h"
#include "editwnd/win32/overlay_edit_wnd.h"
#include "plugin/exports.h"
#include "test_support.h"
#include "tests/window_support.h"

namespace test::win {

class EditWindowHost : public ::testing::Test {
protected:
    static constexpr int kW = 160, kH = 120;
    static constexpr POINT kHostOrigin{100, 100};

    EditWindowHost() : env_(NewEnv()), published_(env_.get(), Rgb24Info(kW, kH, 100)) {
        host_ = TestWindow::TopLevel(kW, kH, kHostOrigin, [this](HWND, UINT m, WPARAM w, LPARAM l) {
            if (m == editwnd::WM_EDITWND_CHANGED)
                reports_.emplace_back(static_cast<int>(w), *reinterpret_cast<const EditPlacement*>(l));
            return std::optional<LRESULT>();
        });
    }
    ~EditWindowHost() override {
        if (HWND w = editwnd::TheOverlayEditWnd().hwnd()) DestroyWindow(w);
    }

    // Overlay `id` with this placement; the reference size is the frame's.
    void Place(int id, EditPlacement placement) {
        clips_.push_back(new PatternClip(Rgb24Info(20, 40, 100), 0x60 + id));
        const OverlayClipInfo info = OverlayInfo(clips_.back(), id, 10, 50);
        OverlayEffect e;
        e.placement = placement;
        e.placement.reference_width = kW, e.placement.reference_height = kH;
        AddOverlay(&info, &e, 1, 0);
    }
    // The window over item `id`, sized to the host and pumped for settle_ms; null when
    // there is no window for it. The pointer starts far from it, wherever the last test
    // left it, so that no mouse-leave report comes first.
    HWND Open(int id, DWORD settle_ms) {
        EXPECT_TRUE(MoveMouseToScreen({1000, 900}));
        HWND w = CreateOverlayEditWnd(id, host_->hwnd());
        if (w) {
            MoveWindow(w, 0, 0, kW, kH, TRUE);
            PumpFor(settle_ms);
        }
        return w;
    }
    // A left-button drag between two client points.
    static void Drag(HWND w, POINT from, POINT to) {
        ASSERT_TRUE(MoveMouseTo(w, from));
        LeftDown();
        PumpFor(30);
        ASSERT_TRUE(MoveMouseTo(w, to));
        PumpFor(30);
        LeftUp();
    }

    EnvPtr env_;
    PublishedManager published_;
    std::vector<PClip> clips_;
    std::unique_ptr<TestWindow> host_;
    std::vector<std::pair<int, EditPlacement>> reports_;  // id and placement, oldest first
};

}  // namespace test::win

#endif
