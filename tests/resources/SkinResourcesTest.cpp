// The skin bitmaps and the icon as torvane.exe carries them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "resources/resource.h"

namespace {

class ProgramResources : public testing::Test {
protected:
    void SetUp() override {
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring path(self);
        path = path.substr(0, path.find_last_of(L"\\/") + 1) + L"..\\..\\app\\torvane.exe";
        m_module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m_module, nullptr);
    }
    void TearDown() override { FreeLibrary(m_module); }

    DIBSECTION LoadDib(int id) {
        DIBSECTION dib{};
        HBITMAP bitmap = static_cast<HBITMAP>(
            LoadImageW(m_module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        EXPECT_NE(bitmap, nullptr);
        if (!bitmap) return dib;
        EXPECT_EQ(GetObjectW(bitmap, sizeof dib, &dib), static_cast<int>(sizeof dib));
        if (dib.dsBm.bmBitsPixel == 8) {
            HDC dc = CreateCompatibleDC(nullptr);
            HGDIOBJ old = SelectObject(dc, bitmap);
            RGBQUAD table[256];
            m_paletteSize = GetDIBColorTable(dc, 0, 256, table);
            SelectObject(dc, old);
            DeleteDC(dc);
        }
        DeleteObject(bitmap);
        return dib;
    }

    HMODULE m_module = nullptr;
    UINT m_paletteSize = 0;
};

#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width, height, colors, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct IconGroup {
    WORD reserved, type, count;
    IconGroupEntry entries[1];
};
#pragma pack(pop)

}  // namespace

TEST_F(ProgramResources, SkinBitmapsKeepTheirSizeAndDepth) {
    const DIBSECTION caption = LoadDib(IDB_CAPTION);
    EXPECT_EQ(caption.dsBm.bmWidth, 640);
    EXPECT_EQ(caption.dsBm.bmHeight, 48);
    EXPECT_EQ(caption.dsBm.bmBitsPixel, 24);
    EXPECT_EQ(caption.dsBmih.biCompression, static_cast<DWORD>(BI_RGB));

    const DIBSECTION border = LoadDib(IDB_BORDER);
    EXPECT_EQ(border.dsBm.bmWidth, 70);
    EXPECT_EQ(border.dsBm.bmHeight, 10);
    EXPECT_EQ(border.dsBm.bmBitsPixel, 8);
    EXPECT_EQ(border.dsBmih.biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_EQ(m_paletteSize, 256u);
}

TEST_F(ProgramResources, IconHasThreeTrueColourSizes) {
    HRSRC found = FindResourceW(m_module, MAKEINTRESOURCEW(IDI_TORVANE), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    ASSERT_NE(found, nullptr);
    const auto* group = static_cast<const IconGroup*>(LockResource(LoadResource(m_module, found)));
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(group->count, 3);
    int sizes = 0;
    for (int i = 0; i < group->count; ++i) {
        const IconGroupEntry& e = group->entries[i];
        EXPECT_EQ(e.width, e.height);
        EXPECT_EQ(e.bitCount, 24);
        sizes |= e.width == 16 ? 1 : e.width == 24 ? 2 : e.width == 34 ? 4 : 8;
    }
    EXPECT_EQ(sizes, 7);
    HICON icon = static_cast<HICON>(LoadImageW(m_module, MAKEINTRESOURCEW(IDI_TORVANE), IMAGE_ICON, 34, 34, 0));
    EXPECT_NE(icon, nullptr);
    DestroyIcon(icon);
}
