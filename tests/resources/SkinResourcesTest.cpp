// The skin bitmaps and the icon as torvane.exe carries them, and each
// program's own manifest and version information, read back through the
// calls Windows itself uses.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "plumbing/Dpi.h"
#include "plumbing/StdPicture.h"
#include "resources/resource.h"

namespace {

// A program of the build tree, by its path relative to this test's folder.
std::wstring ProgramPath(const wchar_t* relative) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + relative;
}

struct Program {
    const wchar_t* relativePath;
    const wchar_t* fileName;
    bool console;  // no windows: its manifest asks for no controls or DPI awareness
};
const Program kPrograms[] = {{TORVANE_PATH, L"torvane.exe", false},
                             {TORVANE_LINK_PATH, L"torvane-link.exe", true},
                             {MENUBAR_DEMO_PATH, L"menubar_demo.exe", false}};

class ProgramResources : public testing::Test {
protected:
    void SetUp() override {
        m_module = LoadLibraryExW(ProgramPath(TORVANE_PATH).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
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

namespace {

// Every size the shell asks for, 32 bits with alpha, in both programs that
// show the icon.
void ExpectTheIcon(const wchar_t* relativePath) {
    HMODULE module = LoadLibraryExW(ProgramPath(relativePath).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDI_TORVANE), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    ASSERT_NE(found, nullptr);
    const auto* group = static_cast<const IconGroup*>(LockResource(LoadResource(module, found)));
    ASSERT_NE(group, nullptr);
    std::vector<int> sizes;
    for (int i = 0; i < group->count; ++i) {
        const IconGroupEntry& e = group->entries[i];
        EXPECT_EQ(e.width, e.height);
        EXPECT_EQ(e.bitCount, 32);
        sizes.push_back(e.width ? e.width : 256);
    }
    EXPECT_EQ(sizes, (std::vector<int>{16, 20, 24, 32, 40, 48, 64, 256}));
    // Each loads at its own size, the PNG-compressed ones from 32 px on too.
    for (int size : sizes) {
        HICON icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(IDI_TORVANE), IMAGE_ICON, size, size, 0));
        EXPECT_NE(icon, nullptr) << size;
        ICONINFO info{};
        BITMAP colour{};
        if (icon && GetIconInfo(icon, &info)) {
            GetObjectW(info.hbmColor, sizeof colour, &colour);
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
        }
        EXPECT_EQ(colour.bmWidth, size);
        DestroyIcon(icon);
    }
    FreeLibrary(module);
}

// A string of the version information, in its translation number `index`.
std::wstring VersionString(const std::vector<BYTE>& info, const wchar_t* name, UINT index = 0) {
    struct Translation {
        WORD language, codePage;
    }* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                        &length) ||
        length < (index + 1) * sizeof *translation)
        return L"(no translation)";
    wchar_t key[80];
    swprintf(key, 80, L"\\StringFileInfo\\%04x%04x\\%ls", translation[index].language, translation[index].codePage,
             name);
    wchar_t* value = nullptr;
    if (!VerQueryValueW(info.data(), key, reinterpret_cast<void**>(&value), &length) || !value) return L"(none)";
    return value;
}

}  // namespace

TEST(ShippedIcon, HasEveryShellSizeWithAlpha) {
    ExpectTheIcon(TORVANE_PATH);
    ExpectTheIcon(TORVANE_LINK_PATH);
}

TEST(ProgramIdentity, EachProgramHasItsOwnManifestAndVersion) {
    for (const Program& program : kPrograms) {
        SCOPED_TRACE(testing::Message() << "program " << program.fileName);
        const std::wstring path = ProgramPath(program.relativePath);

        // The loader accepts the manifest as the program's activation context.
        ACTCTXW context{};
        context.cbSize = sizeof context;
        context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        context.lpSource = path.c_str();
        context.lpResourceName = MAKEINTRESOURCEW(1);
        HANDLE activation = CreateActCtxW(&context);
        EXPECT_NE(activation, INVALID_HANDLE_VALUE) << GetLastError();
        if (activation != INVALID_HANDLE_VALUE) ReleaseActCtx(activation);

        // It names Windows 7, 8, 8.1 and 10/11, runs as the user, and a
        // program with windows asks for common controls 6 (a console one
        // does not).
        HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr);
        HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
        ASSERT_NE(found, nullptr);
        const std::string manifest(static_cast<const char*>(LockResource(LoadResource(module, found))),
                                   SizeofResource(module, found));
        FreeLibrary(module);
        for (const char* wanted : {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                                   "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
                                   "level=\"asInvoker\""})
            EXPECT_NE(manifest.find(wanted), std::string::npos) << wanted;
        for (const char* windowsOnly : {"\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"", "<dpiAware"})
            EXPECT_EQ(manifest.find(windowsOnly) == std::string::npos, program.console) << windowsOnly;

        // The version information is the program's own, at the project's version.
        DWORD ignored = 0;
        std::vector<BYTE> info(GetFileVersionInfoSizeW(path.c_str(), &ignored));
        ASSERT_FALSE(info.empty());
        ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(MAKELONG(TORVANE_VERSION_MINOR, TORVANE_VERSION_MAJOR)));
        EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
        EXPECT_EQ(VersionString(info, L"OriginalFilename"), program.fileName);
        EXPECT_EQ(VersionString(info, L"ProductName"), L"Torvane");
        EXPECT_EQ(VersionString(info, L"ProductVersion"), TORVANE_VERSION);
        EXPECT_EQ(VersionString(info, L"FileVersion"), TORVANE_VERSION);
        EXPECT_NE(VersionString(info, L"LegalCopyright").find(L"the Torvane developers"), std::wstring::npos);
        EXPECT_EQ(VersionString(info, L"FileDescription").rfind(L"Torvane", 0), 0u);
        // The same in simplified Chinese (0804), described in Chinese.
        EXPECT_EQ(VersionString(info, L"ProductVersion", 1), TORVANE_VERSION);
        EXPECT_EQ(VersionString(info, L"OriginalFilename", 1), program.fileName);
        const std::wstring chinese = VersionString(info, L"FileDescription", 1);
        const bool hanzi =
            std::any_of(chinese.begin(), chinese.end(), [](wchar_t c) { return c >= 0x4E00 && c <= 0x9FFF; });
        EXPECT_TRUE(chinese.rfind(L"Torvane", 0) == 0 && hanzi)
            << "FileDescription: " << chinese.size() << " characters";
        wchar_t* value = nullptr;
        EXPECT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\080404b0\\CompanyName",
                                   reinterpret_cast<void**>(&value), &length));
    }
}
