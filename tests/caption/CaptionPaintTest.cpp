// What the skin paints, pixel by pixel, against the shipped bitmaps.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include <cmath>
#include <string>
#include <vector>

#include "ncframe/cNCCalcSize.h"
#include "tests/support/SkinnedWindow.h"
#include "tests/support/WaitFor.h"

namespace {

constexpr int kCapH = 48, kB = 10;
const ShippedSkin::Measures& kCut = ShippedSkin::ArtFor(Dpi::kBase).measures;
const int kRightW = kCut.activeRightEnd - kCut.activeRightStart + 1;  // width of the right end
const int kRows[] = {0, 2, 30, 40, kCapH - 1};  // caption rows clear of the title and the buttons

// Columns of the caption bitmap that each window column shows, for a window W wide.
int SourceColumn(int x, int W, int srcX0) {
    int xR = W - kRightW + 1;
    if (xR < kRightW) xR = kRightW;
    if (x < kCut.activeLeftEnd) return srcX0 + x;
    if (x < xR) return srcX0 + kCut.activeLeftEnd + 1 + (x - kCut.activeLeftEnd) % 52;
    return srcX0 + kCut.activeRightStart + (x - xR);
}

// The window's top `height` rows, `width` columns wide, in one copy.
std::vector<COLORREF> Shot(const SkinnedWindow& w, int width, int height) {
    return WindowPixels(w.window.hwnd(), RECT{0, 0, width, height});
}

// Counts pixels of `color` in a window rectangle; the rightmost such column.
struct Ink {
    int count = 0, rightmost = -1;
};
Ink InkIn(const SkinnedWindow& w, const RECT& r, COLORREF color) {
    Ink ink;
    const std::vector<COLORREF> pixels = WindowPixels(w.window.hwnd(), r);
    const int left = r.left, width = r.right - r.left;
    for (size_t i = 0; i < pixels.size(); ++i)
        if (pixels[i] == color) {
            ++ink.count;
            ink.rightmost = std::max(ink.rightmost, left + static_cast<int>(i) % width);
        }
    return ink;
}

// The button sits at `left` with the glyph from `sourceColumn`.
bool ButtonShows(const SkinnedWindow& w, int index, int left, int sourceColumn) {
    const RECT& r = w.caption->ButtonRect(index);
    if (r.left != left) return false;
    for (int y = 0; y < kCut.buttonHeight; ++y)
        for (int x = 0; x < kCut.buttonWidth; ++x)
            if (w.Pixel(r.left + x, r.top + y) != w.skin.Caption(sourceColumn + x, y)) return false;
    return true;
}

void ExpectButton(const SkinnedWindow& w, int index, int left, int sourceColumn) {
    const RECT& r = w.caption->ButtonRect(index);
    EXPECT_EQ(r.left, left) << "button " << index;
    EXPECT_EQ(r.right, left + 20);
    EXPECT_EQ(r.top, 5);
    EXPECT_EQ(r.bottom, 25);
    int wrong = 0;
    for (int y = 0; y < kCut.buttonHeight; ++y)
        for (int x = 0; x < kCut.buttonWidth; ++x) wrong += w.Pixel(r.left + x, r.top + y) != w.skin.Caption(sourceColumn + x, y);
    EXPECT_EQ(wrong, 0) << "button " << index << " glyph";
}

}  // namespace

TEST(CaptionPaint, PiecesComeFromTheirColumnsActiveAndInactive) {
    SkinnedWindow w(500, 200);
    for (int srcX0 : {0, kCut.inactiveOffset}) {
        if (srcX0) w.Deactivate();
        int wrong = 0;
        for (int y : kRows)
            for (int x = 0; x < 500; ++x) {
                if (x >= 435 && x < 495 && y >= 5 && y < 25) continue;  // buttons
                wrong += w.Pixel(x, y) != w.skin.Caption(SourceColumn(x, 500, srcX0), y);
            }
        EXPECT_EQ(wrong, 0) << "set at column " << srcX0;
    }
}

TEST(CaptionPaint, ButtonsSitRightToLeftWithTheirGlyphs) {
    SkinnedWindow w(500, 200);
    ExpectButton(w, 0, 475, 241);
    ExpectButton(w, 1, 455, 278);
    ExpectButton(w, 2, 435, 297);
    // The rightmost column of a button rectangle shows the caption beneath.
    EXPECT_EQ(w.Pixel(494, 10), w.skin.Caption(SourceColumn(494, 500, 0), 10));
    // Inactive windows show the same buttons.
    w.Deactivate();
    ExpectButton(w, 0, 475, 241);

    ShowWindow(w.window.hwnd(), SW_MAXIMIZE);
    EXPECT_TRUE(WaitUntil([&] { return ButtonShows(w, 1, w.Width() - 45, 259); }));  // restore
}

TEST(CaptionPaint, AbsentButtonsTakeNoRoom) {
    SkinnedWindow noMax(500, 200, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME);
    EXPECT_TRUE(noMax.caption->HasButton(0));
    EXPECT_FALSE(noMax.caption->HasButton(1));
    ExpectButton(noMax, 2, 455, 297);  // minimize in the maximize slot

    SkinnedWindow noClose(500, 200, WS_OVERLAPPED | WS_CAPTION | WS_MAXIMIZEBOX | WS_MINIMIZEBOX);
    EXPECT_FALSE(noClose.caption->HasButton(0));
    ExpectButton(noClose, 1, 475, 278);
    ExpectButton(noClose, 2, 455, 297);
    // Where the close button would be, the right end shows through.
    EXPECT_EQ(noClose.Pixel(440, 10), noClose.skin.Caption(SourceColumn(440, 500, 0), 10));
}

TEST(CaptionPaint, NarrowWindowKeepsItsRightEndAndDropsTheTitle) {
    SkinnedWindow w(180, 120, WS_OVERLAPPEDWINDOW, L"Title that would show");
    ASSERT_EQ(w.Width(), 180);
    int wrong = 0;
    for (int y : {2, 15, 30, 47})
        for (int x = kRightW; x < 180; ++x)
            if (!(x >= 116 && y >= 5 && y < 25))
                wrong += w.Pixel(x, y) != w.skin.Caption(kCut.activeRightStart + x - kRightW, y);
    EXPECT_EQ(wrong, 0);
    // The buttons hang from the anchor 196, past the right edge.
    EXPECT_EQ(w.caption->ButtonRect(0).left, 176);
    EXPECT_EQ(w.caption->ButtonRect(1).left, 156);
    EXPECT_EQ(w.caption->ButtonRect(2).left, 136);
    // No title: between the left end and the right end, only the middle tile.
    wrong = 0;
    for (int y = 11; y < 29; ++y)
        for (int x = kCut.activeLeftEnd; x < kRightW; ++x)
            wrong += w.Pixel(x, y) != w.skin.Caption(kCut.activeLeftEnd + 1 + (x - kCut.activeLeftEnd), y);
    EXPECT_EQ(wrong, 0);
}

TEST(CaptionPaint, EdgesComeFromTheBorderCells) {
    SkinnedWindow w(300, 237);
    const int W = 300, H = 237;
    int wrong = 0;
    for (int y = kCapH; y < H - kB; ++y)
        for (int x = 0; x < kB; ++x) {
            wrong += w.Pixel(x, y) != w.skin.Border(x, (y - kCapH) % kB);
            wrong += w.Pixel(W - kB + x, y) != w.skin.Border(4 * kB + x, (y - kCapH) % kB);
        }
    for (int y = 0; y < kB; ++y) {
        for (int x = kB; x < W - kB; ++x) wrong += w.Pixel(x, H - kB + y) != w.skin.Border(3 * kB + (x - kB) % kB, y);
        for (int x = 0; x < kB; ++x) {
            wrong += w.Pixel(x, H - kB + y) != w.skin.Border(2 * kB + x, y);
            wrong += w.Pixel(W - kB + x, H - kB + y) != w.skin.Border(6 * kB + x, y);
        }
    }
    EXPECT_EQ(wrong, 0);

    // Shorter than the caption and a border: the bottom edge sits on row 48.
    SetWindowPos(w.window.hwnd(), nullptr, 0, 0, 300, 52, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(WaitUntil([&] {
        return w.Pixel(55, kCapH) == w.skin.Border(3 * kB + 5, 0) && w.Pixel(3, kCapH + 2) == w.skin.Border(2 * kB + 3, 2);
    }));
}

TEST(CaptionPaint, TitleIsWhiteAndBoldActiveLightGreyInactive) {
    SkinnedWindow w(500, 200, WS_OVERLAPPEDWINDOW, L"Torvane V4.1 Build 20070401");
    const RECT title{92, 11, 500 - 96, 29};
    const COLORREF grey = cOrvelCaption::TranslateColor(ShippedSkin::kInactiveCaptionColor);
    const Ink active = InkIn(w, title, RGB(255, 255, 255));
    EXPECT_GT(active.count, 50);
    EXPECT_EQ(InkIn(w, title, grey).count, 0);
    w.Deactivate();
    const Ink inactive = InkIn(w, title, grey);
    EXPECT_GT(inactive.count, 30);
    EXPECT_EQ(InkIn(w, title, RGB(255, 255, 255)).count, 0);
    EXPECT_GT(active.count, inactive.count);  // bold strokes while active
    // Nothing outside the title rectangle.
    EXPECT_EQ(InkIn(w, RECT{0, 29, 500, 48}, RGB(255, 255, 255)).count, 0);

    // The inactive title reads against every row of the plate it can lie on
    // (contrast as in the accessibility guidelines: relative luminance).
    auto luminance = [](COLORREF c) {
        auto linear = [](int v) {
            const double s = v / 255.0;
            return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(GetRValue(c)) + 0.7152 * linear(GetGValue(c)) + 0.0722 * linear(GetBValue(c));
    };
    for (int y = title.top; y < 28; ++y) {
        const COLORREF plate = w.skin.Caption(kCut.inactiveOffset + kCut.activeLeftEnd + 1, y);  // the tile
        EXPECT_GE((luminance(grey) + 0.05) / (luminance(plate) + 0.05), 4.5) << "row " << y;
    }

    // A changed colour shows at the next paint.
    w.caption->InActiveCaptionColor(RGB(255, 0, 0));
    SendMessageW(w.window.hwnd(), WM_NCPAINT, 1, 0);
    EXPECT_GT(InkIn(w, title, RGB(255, 0, 0)).count, 30);
}

TEST(CaptionPaint, TitleEllipsisAmpersandAndEmptyTitle) {
    SkinnedWindow w(400, 200, WS_OVERLAPPEDWINDOW, std::wstring(200, L'W').c_str());
    const RECT band{92, 11, 400, 29};
    const Ink long_ = InkIn(w, band, RGB(255, 255, 255));
    EXPECT_LT(long_.rightmost, 400 - 96);
    EXPECT_GT(long_.rightmost, 400 - 96 - 20);  // cut close to the end, with the ellipsis

    // "&" is drawn, not taken as a mnemonic prefix: "A&B" is wider than "AB".
    SetWindowTextW(w.window.hwnd(), L"A&B");
    const int withAmpersand = InkIn(w, band, RGB(255, 255, 255)).rightmost;
    SetWindowTextW(w.window.hwnd(), L"AB");
    const int without = InkIn(w, band, RGB(255, 255, 255)).rightmost;
    EXPECT_GT(withAmpersand, without + 3);

    SetWindowTextW(w.window.hwnd(), L"");
    int wrong = 0;
    for (int y = 11; y < 29; ++y)
        for (int x = 92; x < 300; ++x) wrong += w.Pixel(x, y) != w.skin.Caption(SourceColumn(x, 400, 0), y);
    EXPECT_EQ(wrong, 0);
}

// Runs at any display scale: the window, the plate and the margins follow
// the DPI the window has.
TEST(CaptionPaint, SystemCaptionPaintersLeaveTheSkinsPixels) {
    SkinnedWindow w;
    const HWND hwnd = w.window.hwnd();
    const int W = w.Width();
    const std::vector<COLORREF> painted = Shot(w, W, kCapH);
    // The system's own caption and frame painters, and a new icon (which the
    // system's procedure answers by painting its caption): the skin's pixels stay.
    SendMessageW(hwnd, 0xAE, 0, 0);
    SendMessageW(hwnd, 0xAF, 0, 0);
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(LoadIconA(nullptr, IDI_APPLICATION)));
    EXPECT_EQ(Shot(w, W, kCapH), painted);
    EXPECT_EQ(w.window.CountSeen(WM_SETICON), 1);  // the window still has its icon set

    // A new title shows as the skin paints it, with nothing of the system's caption.
    SetWindowTextW(hwnd, L"Another title");
    const std::vector<COLORREF> retitled = Shot(w, W, kCapH);
    EXPECT_NE(retitled, painted);
    SendMessageW(hwnd, WM_NCPAINT, 1, 0);
    EXPECT_EQ(Shot(w, W, kCapH), retitled);
}

TEST(CaptionPaint, TitleInkLiesWithinThePlateAtTheWindowsDpi) {
    const int systemDpi = Dpi::System();
    SkinnedWindow w(Dpi::Scale(500, systemDpi), Dpi::Scale(200, systemDpi), WS_OVERLAPPEDWINDOW, L"");
    w.AttachForDpi();
    const DrawnSkin drawn(w.caption->Dpi());
    auto S = [&](int px) { return drawn.S(px); };
    int top = 0, left = 0;
    w.caption->GetTopMarginHeight(top);
    w.caption->GetLeftMarginWidth(left);
    EXPECT_EQ(top, S(48));
    EXPECT_EQ(left, S(10));

    const int W = w.Width();
    const RECT plate{S(4), S(4), W - S(70), S(28)};
    for (const bool active : {true, false}) {
        if (!active) w.Deactivate();
        SetWindowTextW(w.window.hwnd(), L"");
        const std::vector<COLORREF> bare = Shot(w, W, top);
        SetWindowTextW(w.window.hwnd(), L"Torvane V4.1 Build 20070401");
        const std::vector<COLORREF> titled = Shot(w, W, top);
        int ink = 0, outside = 0;
        for (int y = 0; y < top; ++y)
            for (int x = 0; x < W; ++x) {
                if (bare[y * W + x] == titled[y * W + x]) continue;
                ++ink;
                outside += !PtInRect(&plate, POINT{x, y});
            }
        EXPECT_GT(ink, S(100)) << (active ? "active" : "inactive");
        EXPECT_EQ(outside, 0) << (active ? "active" : "inactive");
    }
}

TEST(CaptionPaint, GlyphsAreSquareCentredAndOfOneWeightAtTheDpi) {
    // In the hover looks (close, restore, maximize, minimize side by side):
    // the ink is what differs from the plate's face inside its rim.
    const DrawnSkin drawn(Dpi::System());
    const int w = drawn.art.lButtonWidth, h = drawn.art.lButtonHeight, rim = drawn.S(1);
    auto ink = [&](int cell) {
        const int cx = cell * w;
        const COLORREF face = drawn.Hover(cx + drawn.S(3), h / 2);
        RECT box{w, h, 0, 0};
        for (int y = 3 * rim; y < h - 3 * rim; ++y)
            for (int x = 3 * rim; x < w - 3 * rim; ++x)
                if (drawn.Hover(cx + x, y) != face)
                    box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x + 1),
                           std::max<LONG>(box.bottom, y + 1)};
        return box;
    };
    // Centred in the plate (the cell less its outer pixel), to a pixel.
    auto expectCentred = [&](const RECT& r, const char* name) {
        EXPECT_LE(std::abs((r.left - rim) - (w - rim - r.right)), 1) << name;
        EXPECT_LE(std::abs((r.top - rim) - (h - rim - r.bottom)), 1) << name;
    };
    const RECT close = ink(0), maximize = ink(2), minimize = ink(3);
    EXPECT_EQ(close.right - close.left, close.bottom - close.top);
    EXPECT_TRUE(EqualRect(&close, &maximize));
    expectCentred(close, "close");
    expectCentred(minimize, "minimize");
    EXPECT_EQ(minimize.right - minimize.left, close.right - close.left);
    EXPECT_EQ(minimize.bottom - minimize.top, rim);  // the weight of a stroke
}

// At the window's DPI, at 175% and at the scales above the largest drawing: the
// outer line is as wide on every side, and the sides continue the caption's
// columns where they meet it, and the bottom corners the sides'.
TEST(CaptionPaint, FrameLineIsEvenOnAllSidesAtTheDpi) {
    SkinnedWindow w(800, 360);
    w.AttachForDpi();
    for (const int dpi : {w.caption->Dpi(), 168, 216, 240, 264, 288}) {
        w.ChangeDpi(dpi);
        int capH = 0, B = 0;
        w.caption->GetTopMarginHeight(capH);
        w.caption->GetLeftMarginWidth(B);
        const int W = w.Width(), H = w.Height();
        const COLORREF line = w.Pixel(0, H / 2);
        // How many pixels of the line from (x, y) inwards.
        auto run = [&](int x, int y, int dx, int dy) {
            int n = 0;
            while (n < B && w.Pixel(x + n * dx, y + n * dy) == line) ++n;
            return n;
        };
        const int width = run(0, H / 2, 1, 0);
        EXPECT_GE(width, dpi > 192 ? 2 : 1) << dpi;
        EXPECT_EQ(run(0, capH / 2, 1, 0), width) << dpi << " left, caption";
        EXPECT_EQ(run(W - 1, capH / 2, -1, 0), width) << dpi << " right, caption";
        EXPECT_EQ(run(W - 1, H / 2, -1, 0), width) << dpi << " right";
        EXPECT_EQ(run(W / 2, 0, 0, 1), width) << dpi << " top";
        EXPECT_EQ(run(capH, 0, 0, 1), width) << dpi << " top, left end";
        EXPECT_EQ(run(W - capH, 0, 0, 1), width) << dpi << " top, right end";
        EXPECT_EQ(run(W / 2, H - 1, 0, -1), width) << dpi << " bottom";
        int steps = 0;
        for (int x = 0; x < B; ++x)
            for (const int column : {x, W - 1 - x})
                steps += (w.Pixel(column, capH - 1) != w.Pixel(column, capH)) +
                         (w.Pixel(column, H - B - 1) != w.Pixel(column, H - B));
        EXPECT_EQ(steps, 0) << dpi;
    }
}

TEST(CaptionPaint, MarginsComeFromTheBitmapHeights) {
    SkinnedWindow w(300, 200);
    int top = 0, left = 0, right = 0, bottom = 0;
    w.caption->GetTopMarginHeight(top);
    w.caption->GetLeftMarginWidth(left);
    w.caption->GetRightMarginWidth(right);
    w.caption->GetBottomMarginHeight(bottom);
    EXPECT_EQ(top, 48);
    EXPECT_EQ(left, 10);
    EXPECT_EQ(right, 10);
    EXPECT_EQ(bottom, 10);
    RECT client{};
    GetClientRect(w.window.hwnd(), &client);
    EXPECT_EQ(client.right, 280);
    EXPECT_EQ(client.bottom, 142);
}

TEST(CaptionPaint, FontDescriptionAndColours) {
    StdFont font;
    font.Name(ShippedSkin::kFontName);
    font.Size(ShippedSkin::kFontSize);
    HDC screen = GetDC(nullptr);
    LOGFONTA lf{};
    cOrvelCaption::FontToLogFont(font, screen, lf);
    EXPECT_EQ(lf.lfHeight, -std::lround(ShippedSkin::kFontSize * GetDeviceCaps(screen, LOGPIXELSY) / 72.0));
    EXPECT_STREQ(lf.lfFaceName, "\xcb\xce\xcc\xe5");  // the skin's face in code page 936
    EXPECT_EQ(lf.lfWeight, FW_NORMAL);
    // Fractional sizes (the menu's Marlett is 1.2 times 9 points) round in
    // pixels, as the fonts StdFont makes itself: 10.8 pt is 14 px at 96 dpi.
    font.Size(10.8);
    cOrvelCaption::FontToLogFont(font, screen, lf);
    EXPECT_EQ(lf.lfHeight, -std::lround(10.8 * GetDeviceCaps(screen, LOGPIXELSY) / 72.0));
    ReleaseDC(nullptr, screen);

    EXPECT_EQ(cOrvelCaption::TranslateColor(0x123456), 0x123456u);
    EXPECT_EQ(cOrvelCaption::TranslateColor(0x80000000 | COLOR_ACTIVECAPTION), GetSysColor(COLOR_ACTIVECAPTION));
    EXPECT_EQ(cOrvelCaption::TranslateColor(0x80000050), CLR_INVALID);
}

TEST(CaptionPaint, SkinWithoutBitmapsPaintsWithoutHanging) {
    TestWindow window;
    ShowWindow(window.hwnd(), SW_SHOW);
    auto caption = std::make_shared<cOrvelCaption>();
    StdPicture none{UniqueBitmap{}};
    ShippedSkin::Attach(*caption, window, none, none, ShippedSkin::ArtFor(Dpi::kBase).measures);
    // The skin frames the window (no margins without bitmaps), so the paint
    // below reaches it, and it returns.
    ASSERT_NE(GetPropA(window.hwnd(), cNCCalcSize::kImplementationProperty), nullptr);
    RECT outer{}, client{};
    GetWindowRect(window.hwnd(), &outer);
    GetClientRect(window.hwnd(), &client);
    EXPECT_EQ(client.right, outer.right - outer.left);
    EXPECT_EQ(client.bottom, outer.bottom - outer.top);
    SendMessageW(window.hwnd(), WM_NCPAINT, 1, 0);
    caption->Detach();
}
