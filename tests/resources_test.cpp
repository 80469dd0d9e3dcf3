// The edit window's resources, loaded from the test program and from Ferrule.dll: the
// context menu, the rotate cursor and the toolbar's strings.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/window_support.h"

namespace {

// ---- the resources, from the test program and from the product DLL ---------------------

struct ResourceModule {
    const char* name;
    HMODULE module;
};

std::vector<ResourceModule> ResourceModules() {
    static HMODULE dll = LoadLibraryExA(FERRULE_PLUGIN_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return {{"test program", GetModuleHandleW(nullptr)}, {FERRULE_PLUGIN_PATH, dll}};
}

TEST(WindowResources, ContextMenuHoldsTheRotateAndEnlargeCommands) {
    struct Entry {
        UINT id;
        const wchar_t* text;  // nullptr: a separator
    };
    const Entry want[] = {
        {ID_ROTATE_180, L"Rotate 180 Degree"},
        {ID_ROTATE_90_CW, L"Rotate 90 Degree CW"},
        {ID_ROTATE_90_CCW, L"Rotate 90 Degree CCW"},
        {0, nullptr},
        {ID_ENLARGE_FULL_SCREEN, L"Enlarge to Full Screen"},
        {ID_ENLARGE_FULL_SCREEN_KEEP_ASPECT, L"Enlarge to Full Screen(Keep Aspect)"},
    };
    static_assert(ID_ROTATE_180 == 32027 && ID_ROTATE_90_CW == 32028 && ID_ROTATE_90_CCW == 32029 &&
                  ID_ENLARGE_FULL_SCREEN == 32030 && ID_ENLARGE_FULL_SCREEN_KEEP_ASPECT == 32031 &&
                  IDR_EDIT_CONTEXT_MENU == 1010);
    for (const ResourceModule& m : ResourceModules()) {
        SCOPED_TRACE(m.name);
        ASSERT_NE(m.module, nullptr);
        HMENU menu = LoadMenuW(m.module, MAKEINTRESOURCEW(IDR_EDIT_CONTEXT_MENU));
        ASSERT_NE(menu, nullptr);
        HMENU popup = GetSubMenu(menu, 0);
        ASSERT_NE(popup, nullptr);
        ASSERT_EQ(GetMenuItemCount(popup), 6);
        for (int i = 0; i < 6; ++i) {
            SCOPED_TRACE(i);
            wchar_t text[80] = {};
            MENUITEMINFOW info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING;
            info.dwTypeData = text;
            info.cch = 80;
            ASSERT_TRUE(GetMenuItemInfoW(popup, i, TRUE, &info));
            if (!want[i].text) {
                EXPECT_TRUE(info.fType & MFT_SEPARATOR);
                continue;
            }
            EXPECT_FALSE(info.fType & MFT_SEPARATOR);
            EXPECT_EQ(info.wID, want[i].id);
            EXPECT_EQ(std::wstring(text), std::wstring(want[i].text));
        }
        DestroyMenu(menu);
    }
}

TEST(WindowResources, RotateCursorIsMonochromeWithItsHotSpotAtTheCentre) {
    // Pixels of rotate_cursor.txt: the masks come out in the picture's row order.
    struct Pixel {
        int x, y;
        int and_bit, xor_bit;
    };
    const Pixel pixels[] = {
        {16, 16, 0, 0},  // centre mark, black
        {16, 2, 0, 0},   // tip of the arrow's tail, black
        {15, 2, 0, 1},   // its white rim
        {0, 0, 1, 0},    // transparent corner
        {16, 29, 1, 0},  // transparent below the ring
        {6, 16, 0, 0},   // left of the ring, black
        {10, 16, 1, 0},  // inside the ring, transparent
    };
    static_assert(IDC_ROTATE_WARP == 1002);
    for (const ResourceModule& m : ResourceModules()) {
        SCOPED_TRACE(m.name);
        ASSERT_NE(m.module, nullptr);
        HCURSOR cursor = LoadCursorW(m.module, MAKEINTRESOURCEW(IDC_ROTATE_WARP));
        ASSERT_NE(cursor, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(cursor, &info));
        EXPECT_FALSE(info.fIcon);
        EXPECT_EQ(info.xHotspot, 16u);
        EXPECT_EQ(info.yHotspot, 16u);
        EXPECT_EQ(info.hbmColor, nullptr) << "monochrome: AND and XOR masks in one bitmap";
        BITMAP bm{};
        ASSERT_TRUE(GetObjectW(info.hbmMask, sizeof bm, &bm));
        EXPECT_EQ(bm.bmWidth, 32);
        ASSERT_EQ(bm.bmHeight, 64);

        struct {
            BITMAPINFOHEADER h;
            RGBQUAD colours[2];
        } bi{};
        bi.h.biSize = sizeof bi.h;
        bi.h.biWidth = 32;
        bi.h.biHeight = -64;
        bi.h.biPlanes = 1;
        bi.h.biBitCount = 1;
        uint8_t bits[64 * 4] = {};
        HDC dc = GetDC(nullptr);
        const int rows = GetDIBits(dc, info.hbmMask, 0, 64, bits, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
        ReleaseDC(nullptr, dc);
        ASSERT_EQ(rows, 64);
        auto bit = [&](int x, int y) { return (bits[y * 4 + x / 8] >> (7 - x % 8)) & 1; };
        for (const Pixel& p : pixels) {
            EXPECT_EQ(bit(p.x, p.y), p.and_bit) << "AND at " << p.x << "," << p.y;
            EXPECT_EQ(bit(p.x, p.y + 32), p.xor_bit) << "XOR at " << p.x << "," << p.y;
        }
        DeleteObject(info.hbmMask);
        if (info.hbmColor) DeleteObject(info.hbmColor);
    }
}

TEST(WindowResources, ToolbarStringsHoldPromptAndTooltip) {
    struct Entry {
        UINT id;
        const wchar_t* text;
    };
    const Entry want[] = {
        {32001, L"Clip Opaque\nClip Opaque"}, {32002, L"Mask Color\nMask Color"},
        {32003, L"Frame Color\nFrame Color"}, {32004, L"Frame Width\nFrame Width"},
        {32005, L"Frame Opaque\nFrame Opaque"}, {32006, L"Undo\nUndo"},
        {32007, L"Redo\nRedo"},               {32010, L"Close\nClose"},
    };
    static_assert(ID_CLIP_OPAQUE == 32001 && ID_MASK_COLOR == 32002 && ID_FRAME_COLOR == 32003 &&
                  ID_FRAME_WIDTH == 32004 && ID_FRAME_OPAQUE == 32005 && ID_EDIT_UNDO == 32006 &&
                  ID_EDIT_REDO == 32007 && ID_EDIT_CLOSE == 32010);
    for (const ResourceModule& m : ResourceModules()) {
        SCOPED_TRACE(m.name);
        ASSERT_NE(m.module, nullptr);
        for (const Entry& e : want) {
            wchar_t text[80] = {};
            const int n = LoadStringW(m.module, e.id, text, 80);
            EXPECT_EQ(std::wstring(text, n > 0 ? n : 0), std::wstring(e.text)) << e.id;
        }
    }
}

}  // namespace

#endif  // _WIN32
