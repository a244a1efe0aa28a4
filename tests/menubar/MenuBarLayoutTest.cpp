// The bar's layout, looks and hit testing inside the skinned caption, and the
// caption's side of the partnership (creation, hand-over of the menu, Detach).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "MenuWindow.h"

namespace {

// The caption's height and the first row of its lower band, under the inner
// line, where the bar is drawn (at 96 DPI).
constexpr int kCapH = 48, kBandTop = 31;
const int kLeftEnd = ShippedSkin::ArtFor(Dpi::kBase).measures.activeLeftEnd;

// Text extents in the bar's font: the title font at normal weight.
SIZE Extent(const MenuWindow& w, const std::string& text) {
    HDC dc = GetWindowDC(w.hwnd());
    LOGFONTA lf{};
    cOrvelCaption::FontToLogFont(*w.caption->CaptionFont(), dc, lf);
    lf.lfWeight = FW_NORMAL;
    HFONT font = CreateFontIndirectA(&lf);
    HGDIOBJ old = SelectObject(dc, font);
    RECT r{0, 0, 0, 24};
    DrawTextA(dc, text.c_str(), -1, &r, DT_CALCRECT);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(w.hwnd(), dc);
    return {r.right - r.left, r.bottom - r.top};
}

int CountColor(const MenuWindow& w, const RECT& r, COLORREF color) {
    const std::vector<COLORREF> pixels = WindowPixels(w.hwnd(), r);
    return static_cast<int>(std::count(pixels.begin(), pixels.end(), color));
}

}  // namespace

TEST(MenuBarLayout, PopupEntriesFromXEightInBoxesCommandsTakeNoIndex) {
    HMENU menu = StandardMenu();
    MenuWindow w(menu);
    cMenuBar& bar = w.bar();
    EXPECT_EQ(bar.hMenu(), menu);
    // File, Edit, View, Help: the top-level command "&Run" is no bar item.
    ASSERT_EQ(bar.ItemCount(), 4);
    const char* texts[] = {"&File", "&Edit", "&View", "&Help"};
    const int positions[] = {0, 1, 3, 4};
    int x = 8;
    for (int k = 1; k <= 4; ++k) {
        const SIZE e = Extent(w, texts[k - 1]);
        const RECT r = w.ItemRect(k);
        EXPECT_EQ(r.left, kLeftEnd + x - 2) << k;
        EXPECT_EQ(r.right, kLeftEnd + x + e.cx + 9) << k;
        // The text on the band's middle rows, its box 2 pixels around it but
        // never beyond the band.
        const int height = static_cast<int>(e.cy);
        const int textTop = kBandTop + (kCapH - kBandTop - height) / 2;
        EXPECT_EQ(r.top, std::max(kBandTop, textTop - 2)) << k;
        EXPECT_EQ(r.bottom, std::min(kCapH, textTop + height + 2)) << k;
        EXPECT_EQ(bar.SubMenuOf(k), GetSubMenu(menu, positions[k - 1])) << k;
        x += e.cx + 1 + 10;
    }
    EXPECT_EQ(bar.SubMenuOf(0), nullptr);
    EXPECT_EQ(bar.SubMenuOf(5), nullptr);

    // Out-of-range indices leave the caller's rectangle alone.
    RECT untouched{1, 2, 3, 4};
    bar.GetItemScreenRect(0, untouched);
    bar.GetItemScreenRect(5, untouched);
    EXPECT_EQ(untouched.left + untouched.top + untouched.right + untouched.bottom, 10);
}

TEST(MenuBarLayout, HitTestingAgreesWithTheDrawnBoxes) {
    MenuWindow w(StandardMenu());
    cMenuBar& bar = w.bar();
    ASSERT_EQ(bar.ItemCount(), 4);
    for (int k = 1; k <= 4; ++k) {
        const RECT r = w.ItemRect(k);
        // Just inside each edge (the frame's 10-pixel left margin must not shift anything).
        EXPECT_EQ(bar.ItemFromPoint(w.Screen(r.left, r.top)), k);
        EXPECT_EQ(bar.ItemFromPoint(w.Screen(r.right - 1, r.bottom - 1)), k);
        EXPECT_EQ(bar.ItemFromPoint(w.Screen(r.left, r.bottom)), 0);
    }
    EXPECT_EQ(bar.ItemFromPoint(w.Screen(kLeftEnd + 5, 30)), 0);
    EXPECT_EQ(bar.ItemFromPoint(w.Screen(kLeftEnd + 8, kCapH + 20)), 0);

    MoveAndWait(w.window, w.ItemCenter(3));
    EXPECT_EQ(bar.ItemUnderCursor(), 3);
}

TEST(MenuBarLayout, EmptyCaptionTakesElevenPixelsAndAnIndex) {
    MenuBuilder a, b;
    a.Item("x", 1);
    b.Item("y", 2);
    MenuBuilder top(false);
    top.Popup("", a.menu).Popup("&B", b.menu);
    MenuWindow w(top.menu);
    ASSERT_EQ(w.bar().ItemCount(), 2);
    EXPECT_EQ(w.ItemRect(1).left, kLeftEnd + 8 - 2);
    EXPECT_EQ(w.ItemRect(1).right, kLeftEnd + 8 + 9);
    EXPECT_EQ(w.ItemRect(2).left, kLeftEnd + 8 + 11 - 2);
}

TEST(MenuBarLayout, HotAndPressedLooks) {
    MenuWindow w(StandardMenu());
    cMenuBar& bar = w.bar();
    const RECT r = w.ItemRect(2);
    const COLORREF over = RGB(255, 0, 0);  // ActiveMenuColorOver 0x0000FF
    const COLORREF plainTL = w.Pixel(r.left, r.top), plainBR = w.Pixel(r.right - 1, r.bottom - 1);
    EXPECT_EQ(CountColor(w, r, over), 0);

    bar.HotItem(2);
    const COLORREF raisedTL = w.Pixel(r.left, r.top), raisedBR = w.Pixel(r.right - 1, r.bottom - 1);
    EXPECT_NE(raisedTL, plainTL);
    EXPECT_NE(raisedTL, raisedBR);
    EXPECT_GT(CountColor(w, r, over), 0);
    EXPECT_EQ(CountColor(w, w.ItemRect(1), over), 0);

    // Pressed under the pointer: sunken, the edge colours swap.
    bar.PressItem(2, true);
    EXPECT_EQ(w.Pixel(r.left, r.top), raisedBR);
    EXPECT_EQ(w.Pixel(r.right - 1, r.bottom - 1), raisedTL);

    // Releasing another item changes nothing; releasing this one leaves -1.
    bar.PressItem(3, false);
    EXPECT_EQ(bar.DownItem(), 2);
    bar.PressItem(2, false);
    EXPECT_EQ(bar.DownItem(), -1);
    bar.HotItem(0);
    EXPECT_EQ(w.Pixel(r.left, r.top), plainTL);
    EXPECT_EQ(w.Pixel(r.right - 1, r.bottom - 1), plainBR);
}

TEST(MenuBarLayout, WindowWithoutMenuDrawsOnlyTheTiledMiddle) {
    TestWindow plain;
    SkinBitmaps skin;
    auto caption = std::make_shared<cOrvelCaption>();
    ShowWindow(plain.hwnd(), SW_SHOW);
    skin.Attach(*caption, plain);
    SetWindowPos(plain.hwnd(), nullptr, 0, 0, 500, 200, SWP_NOMOVE | SWP_NOZORDER);
    SendMessageW(plain.hwnd(), WM_NCACTIVATE, TRUE, 0);
    SendMessageW(plain.hwnd(), WM_NCPAINT, 1, 0);
    ASSERT_TRUE(caption->MenuBar());
    EXPECT_EQ(caption->MenuBar()->hMenu(), nullptr);
    EXPECT_EQ(caption->MenuBar()->ItemCount(), 0);
    int wrong = 0;
    for (int y = kCapH / 2; y < kCapH; ++y)
        for (int x = kLeftEnd; x < 200; ++x)
            wrong += WindowPixel(plain.hwnd(), x, y) != skin.Caption(kLeftEnd + 1 + (x - kLeftEnd) % 52, y);
    EXPECT_EQ(wrong, 0);
    caption->Detach();
}

TEST(MenuBarHookup, DetachGivesTheMenuBackAndReattachStartsAFreshBar) {
    HMENU menu = StandardMenu();
    MenuWindow w(menu);
    // The frame controller takes the menu off the window at the next WM_SETCURSOR.
    MoveAndWait(w.window, w.Screen(250, 150));
    EXPECT_EQ(GetMenu(w.hwnd()), nullptr);

    const std::shared_ptr<cMenuBar> first = w.caption->MenuBar();
    ASSERT_NE(first->Tracker(), nullptr);
    w.skin.Attach(*w.caption, w.window);
    // The first bar is detached (its tracker dropped) and a new one shows the same menu.
    EXPECT_EQ(first->Tracker(), nullptr);
    ASSERT_NE(w.caption->MenuBar(), first);
    w.Paint();
    EXPECT_EQ(w.bar().hMenu(), menu);
    EXPECT_EQ(w.bar().ItemCount(), 4);

    // The first bar no longer answers the window's messages.
    MoveAndWait(w.window, w.ItemCenter(2));
    EXPECT_EQ(w.bar().HotItem(), 2);
    EXPECT_EQ(first->HotItem(), 0);

    w.caption->Detach();
    EXPECT_EQ(GetMenu(w.hwnd()), menu);
}
