// The skin bitmaps and the icon as torvane.exe carries them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "plumbing/Dpi.h"
#include "plumbing/StdPicture.h"
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

TEST_F(ProgramResources, ArtForOtherScalesDecodesAtItsScale) {
    struct Scale {
        int dpi, caption, border, hover;
    };
    const Scale scales[] = {{96, 0, 0, IDR_HOVER_100},
                            {120, IDR_CAPTION_125, IDR_BORDER_125, IDR_HOVER_125},
                            {144, IDR_CAPTION_150, IDR_BORDER_150, IDR_HOVER_150},
                            {168, IDR_CAPTION_175, IDR_BORDER_175, IDR_HOVER_175},
                            {192, IDR_CAPTION_200, IDR_BORDER_200, IDR_HOVER_200}};
    auto size = [&](int id) {
        BITMAP b{};
        GetObjectW(StdPicture::FromPngResource(m_module, id)->Handle(), sizeof b, &b);
        return SIZE{b.bmWidth, b.bmHeight};
    };
    for (const Scale& s : scales) {
        auto S = [&](int px) { return Dpi::Scale(px, s.dpi); };
        if (s.caption) {
            const SIZE caption = size(s.caption), border = size(s.border);
            EXPECT_EQ(caption.cx, S(400) + S(240)) << s.dpi;
            EXPECT_EQ(caption.cy, S(48)) << s.dpi;
            EXPECT_EQ(border.cx, 7 * S(10)) << s.dpi;
            EXPECT_EQ(border.cy, S(10)) << s.dpi;
        }
        const SIZE hover = size(s.hover);
        EXPECT_EQ(hover.cx, 4 * S(19)) << s.dpi;
        EXPECT_EQ(hover.cy, S(20)) << s.dpi;
    }
    // What is not a PNG gives an empty picture.
    EXPECT_EQ(StdPicture::FromPngResource(m_module, IDB_CAPTION)->Handle(), nullptr);
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
