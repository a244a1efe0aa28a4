// The menu bar and its popups at the window's DPI. The expectations come from
// what is drawn, so the same tests hold at every display scale.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "MenuWindow.h"
#include "plumbing/Dpi.h"
#include "tests/support/TestWindow.h"
#include "tests/support/WaitFor.h"

namespace {

// The smallest rectangle holding every pixel that differs between a and b.
RECT Changed(const std::vector<COLORREF>& a, const std::vector<COLORREF>& b, const RECT& band) {
    RECT r{band.right, band.bottom, band.left, band.top};
    const int width = band.right - band.left;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (a[i] == b[i]) continue;
        const int x = band.left + static_cast<int>(i) % width, y = band.top + static_cast<int>(i) / width;
        r = {std::min<LONG>(r.left, x), std::min<LONG>(r.top, y), std::max<LONG>(r.right, x + 1),
             std::max<LONG>(r.bottom, y + 1)};
    }
    return r;
}

}  // namespace

TEST(MenuBarDpi, ItemsHitTestWhereTheyAreDrawn) {
    // Wide enough for the bar at the system's DPI (the window's, under Wine).
    const int system = Dpi::System();
    MenuWindow w(StandardMenu(), Dpi::Scale(600, system), Dpi::Scale(300, system));
    // Skinned as the demo is: with the shipped skin's art for its DPI.
    const int dpi = Dpi::OfWindow(w.hwnd());
    ShippedSkin::Attach(*w.caption, w.window, GetModuleHandleW(nullptr));
    w.Paint();
    cMenuBar& bar = w.bar();
    EXPECT_EQ(bar.WindowDpi(), dpi);
    ASSERT_EQ(bar.ItemCount(), 4);
    RECT window{};
    GetWindowRect(w.hwnd(), &window);
    POINT client{0, 0};
    ClientToScreen(w.hwnd(), &client);
    const RECT band{0, 0, window.right - window.left, client.y - window.top};
    for (int k = 1; k <= 4; ++k) {
        SCOPED_TRACE(k);
        // Hot, an item draws a raised box around itself: the box is the item
        // as drawn, whole (no edge cut off), inside the caption. First no
        // item is hot: the pointer rests on the client area.
        MoveAnew(w.Screen(band.right / 2, band.bottom + 40));
        ASSERT_TRUE(WaitUntil([&] { return bar.HotItem() == 0; }));
        const std::vector<COLORREF> plain = WindowPixels(w.hwnd(), band);
        bar.HotItem(k);
        const RECT drawn = Changed(plain, WindowPixels(w.hwnd(), band), band);
        bar.HotItem(0);
        const RECT hit = w.ItemRect(k);
        EXPECT_TRUE(EqualRect(&drawn, &hit)) << "drawn " << drawn.left << "," << drawn.top << " " << drawn.right
                                             << "," << drawn.bottom << "; hit " << hit.left << "," << hit.top << " "
                                             << hit.right << "," << hit.bottom;
        EXPECT_LE(drawn.bottom, band.bottom);
        // ... and on the caption's lower band: below the inner line that
        // separates it from the title plate (the first row, going up from
        // the band's bottom right of the last item, that is not the band's).
        const int x = w.ItemRect(4).right + 4;
        int line = band.bottom - 1;
        while (line > 0 && w.Pixel(x, line - 1) == w.Pixel(x, band.bottom - 1)) --line;
        EXPECT_GE(drawn.top, line);
        // The pointer over any part of the drawn box makes that item hot.
        for (POINT at : {POINT{(drawn.left + drawn.right) / 2, drawn.top + 1},
                         POINT{(drawn.left + drawn.right) / 2, (drawn.top + drawn.bottom) / 2},
                         POINT{drawn.right - 2, drawn.bottom - 2}}) {
            EXPECT_EQ(bar.ItemFromPoint(w.Screen(at.x, at.y)), k);
            MoveAnew(w.Screen(at.x, at.y));
            EXPECT_TRUE(WaitUntil([&] { return bar.HotItem() == k; })) << at.x << "," << at.y;
        }
    }
}

namespace {

// Screen pixels of item `pos` of the popup on show, row by row.
std::vector<COLORREF> ItemPixels(HMENU menu, int pos, RECT& item) {
    GetMenuItemRect(nullptr, menu, static_cast<UINT>(pos), &item);
    const HWND popup = VisiblePopup();
    RECT at{};
    GetWindowRect(popup, &at);
    RECT inPopup = item;
    OffsetRect(&inPopup, -at.left, -at.top);
    return WindowPixels(popup, inPopup);
}

}  // namespace

TEST(MenuBarDpi, PopupTextStaysClearOfMarksAndLabels) {
    MenuWindow w(StandardMenu());
    const COLORREF background = ShippedSkin::kMenuBackgroundColor;
    // Each marked or labelled item has a twin with the caption alone: where
    // the two differ is the mark and the label, which must lie outside the
    // columns of the caption's ink, with a column of space between.
    MenuBuilder m;
    m.Item("&Word wrap\tCtrl+Shift+W", 1, MF_CHECKED).Item("&Word wrap", 2).Item("&Left\tCtrl+L", 3).Item("&Left", 4);
    CheckMenuRadioItem(m.menu, 3, 3, 3, MF_BYCOMMAND);
    struct Span {
        int textFirst = -1, textLast = -1, outsideFirst = -1, outsideLast = -1, inside = 0;
    } spans[2];
    MenuScript script({{PopupPainted, [&] {
                            for (int pair = 0; pair < 2; ++pair) {
                                RECT marked{}, alone{};
                                const std::vector<COLORREF> a = ItemPixels(m.menu, 2 * pair, marked);
                                const std::vector<COLORREF> b = ItemPixels(m.menu, 2 * pair + 1, alone);
                                const int width = marked.right - marked.left;
                                Span& s = spans[pair];
                                for (size_t i = 0; i < b.size(); ++i) {
                                    const int x = static_cast<int>(i) % width;
                                    if (b[i] == background) continue;
                                    if (s.textFirst < 0 || x < s.textFirst) s.textFirst = x;
                                    s.textLast = std::max(s.textLast, x);
                                }
                                for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
                                    if (a[i] == b[i]) continue;
                                    const int x = static_cast<int>(i) % width;
                                    if (x >= s.textFirst - 1 && x <= s.textLast + 1)
                                        ++s.inside;
                                    else if (x < s.textFirst)
                                        s.outsideFirst = s.outsideFirst < 0 ? x : std::min(s.outsideFirst, x);
                                    else
                                        s.outsideLast = std::max(s.outsideLast, x);
                                }
                            }
                            TypeKey(VK_ESCAPE);
                        }}});
    // The pointer away from where the popup opens, so no item is highlighted.
    MoveAnew(w.Screen(5, 5));
    const POINT at = w.Screen(200, 120);
    TrackPopupMenuEx(m.menu, 0, at.x, at.y, w.hwnd(), nullptr);
    EXPECT_TRUE(script.Finished()) << "the popup was never painted";
    for (int pair = 0; pair < 2; ++pair) {
        SCOPED_TRACE(pair == 0 ? "check mark" : "radio mark");
        EXPECT_GT(spans[pair].textFirst, 0);
        EXPECT_GE(spans[pair].outsideFirst, 0);             // the mark, left of the caption
        EXPECT_GT(spans[pair].outsideLast, spans[pair].textLast);  // the label, right of it
        EXPECT_EQ(spans[pair].inside, 0);                   // nothing of either on the caption
    }
    DestroyMenu(m.menu);
}

TEST(MenuBarDpi, SubmenuArrowScalesInsideTheHighlight) {
    MenuWindow w(StandardMenu());
    const int dpi = w.bar().WindowDpi();
    const COLORREF background = ShippedSkin::kMenuBackgroundColor;
    // Twins, one opening a submenu: where they differ is the arrow.
    MenuBuilder sub;
    sub.Item("&Left", 11);
    MenuBuilder m;
    m.Popup("&Alignment", sub.menu).Item("&Alignment", 2);
    RECT arrow{LONG_MAX, LONG_MAX, -1, -1}, item{};
    MenuScript script({{PopupPainted, [&] {
                            RECT twin{};
                            const std::vector<COLORREF> a = ItemPixels(m.menu, 0, item);
                            const std::vector<COLORREF> b = ItemPixels(m.menu, 1, twin);
                            const int width = item.right - item.left;
                            for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
                                if (a[i] == b[i] || a[i] == background) continue;
                                const LONG x = static_cast<LONG>(i) % width, y = static_cast<LONG>(i) / width;
                                arrow = {std::min(arrow.left, x), std::min(arrow.top, y), std::max(arrow.right, x + 1),
                                         std::max(arrow.bottom, y + 1)};
                            }
                            TypeKey(VK_ESCAPE);
                        }}});
    MoveAnew(w.Screen(5, 5));
    const POINT at = w.Screen(200, 120);
    TrackPopupMenuEx(m.menu, 0, at.x, at.y, w.hwnd(), nullptr);
    ASSERT_TRUE(script.Finished()) << "the popup was never painted";
    ASSERT_GE(arrow.right, 0) << "no arrow";
    // Inside the highlight's edge (2 pixels at 96 DPI from the item's right),
    // centred on the item's rows, and as tall as the symbol font makes it here.
    EXPECT_LT(arrow.right, item.right - item.left - Dpi::Scale(2, dpi));
    EXPECT_NEAR(arrow.top + arrow.bottom, item.bottom - item.top, 2 * Dpi::Scale(2, dpi));
    EXPECT_GE(arrow.bottom - arrow.top, Dpi::Scale(5, dpi));
    DestroyMenu(m.menu);
}
