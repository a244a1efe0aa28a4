// Memory DCs: the grow-only surface, and copies of pictures read back pixel
// by pixel.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "plumbing/StdPicture.h"
#include "plumbing/UniqueHandle.h"
#include "plumbing/cMemDC.h"

namespace {

// A colour for every pixel of a test picture, different at every position
// that the checks below look at.
COLORREF Pattern(int x, int y) { return RGB(x & 0xFF, (y * 5) & 0xFF, ((x >> 8) * 80 + y) & 0xFF); }

// A top-down 24-bit picture filled with Pattern.
std::shared_ptr<StdPicture> PatternPicture(int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const int stride = (width * 3 + 3) & ~3;
    for (int y = 0; y < height; ++y) {
        auto* row = static_cast<std::uint8_t*>(bits) + y * stride;
        for (int x = 0; x < width; ++x) {
            const COLORREF c = Pattern(x, y);
            row[x * 3] = GetBValue(c);
            row[x * 3 + 1] = GetGValue(c);
            row[x * 3 + 2] = GetRValue(c);
        }
    }
    return std::make_shared<StdPicture>(UniqueBitmap(bitmap));
}

// An 8-bit picture with a palette, like the skin's border bitmap: index i is
// RGB(i, 255 - i, 7 * i) and pixel (x, y) holds index x + 10 * y.
std::shared_ptr<StdPicture> PalettePicture(int width, int height) {
    std::vector<std::uint8_t> storage(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    auto* info = reinterpret_cast<BITMAPINFO*>(storage.data());
    info->bmiHeader.biSize = sizeof info->bmiHeader;
    info->bmiHeader.biWidth = width;
    info->bmiHeader.biHeight = -height;
    info->bmiHeader.biPlanes = 1;
    info->bmiHeader.biBitCount = 8;
    info->bmiHeader.biClrUsed = 256;
    for (int i = 0; i < 256; ++i) {
        info->bmiColors[i] = {static_cast<BYTE>(7 * i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i), 0};
    }
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const int stride = (width + 3) & ~3;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) static_cast<std::uint8_t*>(bits)[y * stride + x] = static_cast<std::uint8_t>(x + 10 * y);
    }
    return std::make_shared<StdPicture>(UniqueBitmap(bitmap));
}

BITMAP SelectedBitmap(HDC dc) {
    BITMAP description = {};
    GetObjectA(GetCurrentObject(dc, OBJ_BITMAP), sizeof description, &description);
    return description;
}

constexpr COLORREF kMark = RGB(12, 34, 56);

}  // namespace

TEST(MemDCTest, NoSurfaceBeforeAnySize) {
    cMemDC memDC;
    EXPECT_EQ(memDC.hdc(), nullptr);
    memDC.Width(0);
    memDC.Height(-3);
    EXPECT_EQ(memDC.hdc(), nullptr);
    EXPECT_EQ(memDC.Width(), 0);
    EXPECT_EQ(memDC.Height(), 0);
}

TEST(MemDCTest, SurfaceOnlyGrowsAndKeepsItsContentUntilItDoes) {
    cMemDC memDC;
    memDC.Width(100);
    memDC.Height(50);
    ASSERT_NE(memDC.hdc(), nullptr);
    const HGDIOBJ bitmap = GetCurrentObject(memDC.hdc(), OBJ_BITMAP);
    BITMAP description = SelectedBitmap(memDC.hdc());
    EXPECT_EQ(description.bmWidth, 100);
    EXPECT_EQ(description.bmHeight, 50);
    const UniqueDC screen(CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
    EXPECT_EQ(description.bmBitsPixel, GetDeviceCaps(screen.get(), BITSPIXEL));  // not monochrome

    SetPixel(memDC.hdc(), 99, 49, kMark);
    memDC.Width(80);
    memDC.Width(100);
    memDC.Height(50);
    memDC.Height(1);
    EXPECT_EQ(memDC.Width(), 100);
    EXPECT_EQ(memDC.Height(), 50);
    EXPECT_EQ(GetCurrentObject(memDC.hdc(), OBJ_BITMAP), bitmap);
    EXPECT_EQ(GetPixel(memDC.hdc(), 99, 49), kMark);

    memDC.Width(101);  // growing one dimension keeps the other
    EXPECT_EQ(memDC.Width(), 101);
    EXPECT_EQ(memDC.Height(), 50);
    description = SelectedBitmap(memDC.hdc());
    EXPECT_EQ(description.bmWidth, 101);
    EXPECT_EQ(description.bmHeight, 50);
    EXPECT_NE(GetPixel(memDC.hdc(), 99, 49), kMark);

    SetPixel(memDC.hdc(), 99, 49, kMark);
    memDC.Height(60);
    EXPECT_EQ(memDC.Width(), 101);
    EXPECT_EQ(memDC.Height(), 60);
    EXPECT_NE(GetPixel(memDC.hdc(), 99, 49), kMark);
}

TEST(MemDCTest, SurfaceThatCannotBeMadeFallsBackToNone) {
    cMemDC memDC;
    memDC.Width(10);
    memDC.Height(10);
    ASSERT_NE(memDC.hdc(), nullptr);
    memDC.Width(0x7FFFFFFF);
    EXPECT_EQ(memDC.hdc(), nullptr);
    EXPECT_EQ(memDC.Width(), 0);
    EXPECT_EQ(memDC.Height(), 0);
    // And it can be sized again afterwards.
    memDC.Width(10);
    memDC.Height(10);
    EXPECT_NE(memDC.hdc(), nullptr);
    EXPECT_EQ(SelectedBitmap(memDC.hdc()).bmWidth, 10);
}

TEST(MemDCTest, CreateFromPictureOnAFreshObjectCopiesTheBitmap) {
    const auto picture = PatternPicture(640, 48);
    cMemDC memDC;
    memDC.CreateFromPicture(*picture);
    EXPECT_EQ(memDC.Width(), 640);
    EXPECT_EQ(memDC.Height(), 48);
    for (int y : {0, 1, 23, 47}) {
        for (int x : {0, 1, 255, 256, 511, 639}) {
            EXPECT_EQ(GetPixel(memDC.hdc(), x, y), Pattern(x, y)) << x << "," << y;
        }
    }
    // The picture is left as it was: it can still be selected and read.
    BITMAP description = {};
    EXPECT_NE(GetObjectA(picture->Handle(), sizeof description, &description), 0);
}

TEST(MemDCTest, CreateFromPictureOnALargerObjectGrowsOnlyWhereNeeded) {
    const auto picture = PatternPicture(640, 48);
    cMemDC memDC;
    memDC.Width(800);
    memDC.Height(20);
    memDC.CreateFromPicture(*picture);
    EXPECT_EQ(memDC.Width(), 800);
    EXPECT_EQ(memDC.Height(), 48);
    for (int y : {0, 19, 20, 47}) {
        for (int x : {0, 300, 639}) EXPECT_EQ(GetPixel(memDC.hdc(), x, y), Pattern(x, y)) << x << "," << y;
    }
}

TEST(MemDCTest, CreateFromPictureKeepsThePaletteColours) {
    const auto picture = PalettePicture(70, 10);
    cMemDC memDC;
    memDC.CreateFromPicture(*picture);
    ASSERT_EQ(memDC.Width(), 70);
    ASSERT_EQ(memDC.Height(), 10);
    for (auto [x, y] : {std::pair{0, 0}, {69, 0}, {5, 9}, {69, 9}}) {
        const int i = (x + 10 * y) & 0xFF;
        EXPECT_EQ(GetPixel(memDC.hdc(), x, y), RGB(i, 255 - i, (7 * i) & 0xFF)) << x << "," << y;
    }
}

TEST(MemDCTest, PictureWithoutABitmapChangesNothing) {
    const StdPicture empty{UniqueBitmap()};
    cMemDC memDC;
    memDC.CreateFromPicture(empty);
    EXPECT_EQ(memDC.hdc(), nullptr);
    EXPECT_EQ(memDC.Width(), 0);

    memDC.Width(5);
    memDC.Height(5);
    const HDC dc = memDC.hdc();
    SetPixel(dc, 4, 4, kMark);
    memDC.CreateFromPicture(empty);
    EXPECT_EQ(memDC.hdc(), dc);
    EXPECT_EQ(GetPixel(dc, 4, 4), kMark);
}
