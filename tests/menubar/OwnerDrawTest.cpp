// Popup items drawn by the menu bar: preparation, sizes, drawing, mnemonic
// keys and the exact restore afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MenuWindow.h"
#include "tests/support/SyntheticInput.h"

namespace {

struct Snapshot {
    UINT id, type, state;
    ULONG_PTR data;
    std::string text;
    bool operator==(const Snapshot&) const = default;
};

std::vector<Snapshot> Snap(HMENU menu) {
    std::vector<Snapshot> all;
    for (int p = 0; p < GetMenuItemCount(menu); ++p) {
        const MENUITEMINFOA i = ItemInfo(menu, p);
        all.push_back({i.wID, i.fType, i.fState, i.dwItemData, ItemText(menu, p)});
    }
    return all;
}

// Width + 1 and height + 1 of a text in the popup items' font.
SIZE Measure(const MenuWindow& w, const char* text) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, w.caption->MenuFont()->Handle());
    RECT r{};
    DrawTextA(dc, text, -1, &r, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return {r.right - r.left + 1, r.bottom - r.top + 1};
}

MEASUREITEMSTRUCT MeasureThroughWindow(const MenuWindow& w, HMENU menu, int pos) {
    MEASUREITEMSTRUCT mis{};
    mis.CtlType = ODT_MENU;
    const MENUITEMINFOA info = ItemInfo(menu, pos);
    mis.itemID = info.wID;
    mis.itemData = info.dwItemData;
    SendMessageA(w.hwnd(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
    return mis;
}

const std::string kLongText = std::string(150, 'L') + "\tCtrl+L";

// A popup of every kind of item. Position: 0 New+label, 1 Open+label,
// 2 separator, 3 checked, 4 radio (checked), 5 disabled, 6 application's own
// owner-drawn item, 7 a long text.
HMENU KitchenSink() {
    MenuBuilder m;
    m.Item("&New\tCtrl+N", 101).Item("&Open...\tCtrl+Shift+O", 102).Separator().Item("&Wrap", 103, MF_CHECKED);
    m.Item("&Left", 104);
    CheckMenuRadioItem(m.menu, 104, 104, 104, MF_BYCOMMAND);
    m.Item("Cu&t\tCtrl+X", 105, MF_GRAYED);
    AppendMenuA(m.menu, MF_OWNERDRAW, 106, reinterpret_cast<LPCSTR>(0x1234));
    m.Item(kLongText.c_str(), 107);
    return m.menu;
}

MenuWindow& Window() {
    static MenuWindow* w = new MenuWindow(StandardMenu());
    return *w;
}

}  // namespace

TEST(OwnerDraw, PreparedItemsAreRestoredExactly) {
    MenuWindow& w = Window();
    HMENU popup = KitchenSink();
    const std::vector<Snapshot> before = Snap(popup);
    ASSERT_EQ(before[7].text, kLongText);
    cMenuBar& bar = w.bar();

    bar.InitPopup(popup);
    ASSERT_EQ(bar.ItemRecordCount(), 8);
    for (int p = 0; p < 8; ++p) {
        const MENUITEMINFOA i = ItemInfo(popup, p);
        EXPECT_TRUE(i.fType & MFT_OWNERDRAW) << p;
        // Each item names its record; the application's own keeps its data.
        EXPECT_EQ(i.dwItemData, p == 6 ? 0x1234u : static_cast<ULONG_PTR>(p + 1)) << p;
    }
    // Shown again in the same loop: no second set of records; an item that
    // lost its owner-drawn look is read again into its old record, and one
    // added meanwhile gets a record of its own.
    MENUITEMINFOA plain{};
    plain.cbSize = sizeof plain;
    plain.fMask = MIIM_TYPE;
    plain.fType = MFT_STRING;
    char renamed[] = "&Renamed";
    plain.dwTypeData = renamed;
    SetMenuItemInfoA(popup, 0, TRUE, &plain);
    AppendMenuA(popup, MF_STRING, 108, "&Added");
    bar.InitPopup(popup);
    EXPECT_EQ(bar.ItemRecordCount(), 9);
    EXPECT_EQ(ItemInfo(popup, 0).dwItemData, 1u);
    EXPECT_EQ(ItemInfo(popup, 8).dwItemData, 9u);
    EXPECT_TRUE(ItemInfo(popup, 8).fType & MFT_OWNERDRAW);

    bar.RestorePopupItems();
    EXPECT_EQ(bar.ItemRecordCount(), 0);
    std::vector<Snapshot> after = Snap(popup);
    ASSERT_EQ(after.size(), 9u);
    EXPECT_EQ(after[0].text, "&Renamed");
    EXPECT_EQ(after[8].text, "&Added");
    EXPECT_EQ(after[8].type, static_cast<UINT>(MFT_STRING));
    after[0].text = before[0].text;
    after.pop_back();
    EXPECT_EQ(after, before);  // the long text included, in full
    DestroyMenu(popup);
}

TEST(OwnerDraw, SizesAlignAcceleratorsAndLeaveOthersToTheWindow) {
    MenuWindow& w = Window();
    HMENU withLabels = KitchenSink();
    MenuBuilder noLabels;
    noLabels.Item("&Short", 201).Item("A &longer caption", 202).Separator();
    w.bar().InitPopup(withLabels);
    w.bar().InitPopup(noLabels.menu);

    const SIZE line = Measure(w, "A &longer caption");
    const MEASUREITEMSTRUCT plain = MeasureThroughWindow(w, noLabels.menu, 0);
    EXPECT_EQ(plain.itemWidth, static_cast<UINT>(line.cx + 30));
    EXPECT_EQ(plain.itemHeight, static_cast<UINT>(line.cy + 8));
    // The separator of this popup is measured from its own record, not from
    // the other popup's separator (both have identifier 0).
    const MEASUREITEMSTRUCT separator = MeasureThroughWindow(w, noLabels.menu, 2);
    EXPECT_EQ(separator.itemHeight, 6u);
    EXPECT_EQ(separator.itemWidth, static_cast<UINT>(line.cx + 30));

    const int widestCaption = Measure(w, std::string(150, 'L').c_str()).cx;
    const int widestLabel = Measure(w, "Ctrl+Shift+O").cx;
    const MEASUREITEMSTRUCT labelled = MeasureThroughWindow(w, withLabels, 3);
    EXPECT_EQ(labelled.itemWidth, static_cast<UINT>(widestCaption + widestLabel + 38));

    // No record, or the application's own owner-drawn item: the window answers.
    const int seen = w.window.CountSeen(WM_MEASUREITEM);
    MEASUREITEMSTRUCT unknown{ODT_MENU, 0, 9999, 0, 0, 0};
    SendMessageA(w.hwnd(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&unknown));
    MeasureThroughWindow(w, withLabels, 6);
    EXPECT_EQ(w.window.CountSeen(WM_MEASUREITEM), seen + 2);

    w.bar().RestorePopupItems();
    DestroyMenu(withLabels);
    DestroyMenu(noLabels.menu);
}

TEST(OwnerDraw, MenuCharExecutesTheFirstRecordWithTheMnemonic) {
    MenuWindow& w = Window();
    MenuBuilder m;
    m.Item("&Save", 1).Item("&Print", 2).Item("&save as", 3).Item("&&Amp", 4);
    w.bar().InitPopup(m.menu);
    auto menuChar = [&](char ch, WORD flags) {
        return SendMessageA(w.hwnd(), WM_MENUCHAR, MAKEWPARAM(ch, flags), reinterpret_cast<LPARAM>(m.menu));
    };
    EXPECT_EQ(menuChar('s', MF_POPUP), MAKELRESULT(0, MNC_EXECUTE));
    EXPECT_EQ(menuChar('P', MF_POPUP), MAKELRESULT(1, MNC_EXECUTE));
    EXPECT_EQ(menuChar('&', MF_POPUP), MAKELRESULT(3, MNC_EXECUTE));  // a doubled "&" is not special
    const int seen = w.window.CountSeen(WM_MENUCHAR);
    EXPECT_EQ(menuChar('z', MF_POPUP), 0);
    EXPECT_EQ(menuChar('s', MF_POPUP | MF_SYSMENU), 0);  // the system menu is the window's
    EXPECT_EQ(w.window.CountSeen(WM_MENUCHAR), seen + 2);
    w.bar().RestorePopupItems();
    DestroyMenu(m.menu);
}

namespace {

RECT ItemScreenRect(HMENU menu, int pos) {
    RECT r{};
    GetMenuItemRect(nullptr, menu, static_cast<UINT>(pos), &r);
    return r;
}

// The open popup's own pixels, at screen points. Read from its window DC: the
// screen shows a window's drawing only once the system has flushed it there.
class PopupReader {
public:
    PopupReader() {
        const HWND popup = VisiblePopup();
        GetWindowRect(popup, &m_at);
        m_pixels = WindowPixels(popup, RECT{0, 0, m_at.right - m_at.left, m_at.bottom - m_at.top});
    }
    COLORREF operator()(int x, int y) const {
        const int width = m_at.right - m_at.left;
        x -= m_at.left;
        y -= m_at.top;
        if (x < 0 || y < 0 || x >= width || y >= m_at.bottom - m_at.top) return CLR_INVALID;
        return m_pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }

private:
    RECT m_at{};
    std::vector<COLORREF> m_pixels;
};

int Count(const RECT& r, COLORREF color) {
    const PopupReader pixel;
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) n += pixel(x, y) == color;
    return n;
}

// The leftmost column of r holding a pixel other than `background`; -1 if none.
int LeftmostInk(const RECT& r, COLORREF background) {
    const PopupReader pixel;
    for (int x = r.left; x < r.right; ++x)
        for (int y = r.top; y < r.bottom; ++y)
            if (pixel(x, y) != background) return x;
    return -1;
}

// Ink of black text, smoothed edges included, on a light background.
bool Dark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 110; }

// How much two ink masks overlap: shared ink over all ink (1 for the same shape).
double Overlap(const std::vector<bool>& a, const std::vector<bool>& b) {
    int both = 0, either = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        both += a[i] && b[i];
        either += a[i] || b[i];
    }
    return either ? static_cast<double>(both) / either : 0;
}

// `glyph` drawn centred in a w x h box in `font`, as a bitmap of ink / no ink.
std::vector<bool> GlyphMask(HFONT font, const char* glyph, int w, int h) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ oldBmp = SelectObject(dc, bmp);
    HGDIOBJ oldFont = SelectObject(dc, font);
    RECT r{0, 0, w, h};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, 0);
    DrawTextA(dc, glyph, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    std::vector<bool> mask;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) mask.push_back(Dark(GetPixel(dc, x, y)));
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBmp);
    DeleteObject(bmp);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return mask;
}

std::vector<bool> ScreenMask(const RECT& r) {
    const PopupReader pixel;
    std::vector<bool> mask;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) mask.push_back(Dark(pixel(x, y)));
    return mask;
}

}  // namespace

TEST(OwnerDraw, DrawsMarksEmbossingHighlightAndAlignedLabels) {
    MenuWindow& w = Window();
    HMENU popup = KitchenSink();
    const COLORREF background = ShippedSkin::kMenuBackgroundColor, over = RGB(255, 0, 0);
    const COLORREF light = GetSysColor(COLOR_3DHILIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);
    StdFont marlett;
    marlett.Name(L"Marlett");
    marlett.Size(w.caption->MenuFont()->Size() * 1.2);
    StdFont other;
    other.Size(marlett.Size());

    bool sawPopup = false, checkIsMarlett = false, radioIsMarlett = false, checkIsLetter = true;
    int labelColumn[2] = {-2, -2}, emboss[2] = {}, newFrame = -1, cutFrame = -1, separatorHeight = 0;
    bool boxAtSix = false, separatorInset = false, altTaken = false;
    int recordsAfterAlt = 0;
    int newOverInk = -1;
    const int expectedColumn = 24 + Measure(w, std::string(150, 'L').c_str()).cx + 8;
    MenuScript script({
        {PopupPainted,
        [&] {
            sawPopup = true;
            // Alt+F while the application's popup shows: taken, nothing opened or restored.
            altTaken = w.bar().AcceleratorKey('F');
            recordsAfterAlt = w.bar().ItemRecordCount();
            // Marks: a sunken square from 6 pixels in, the glyph in Marlett.
            for (int pos : {3, 4}) {
                const RECT item = ItemScreenRect(popup, pos);
                RECT C = item;
                OffsetRect(&C, -C.left, -C.top);
                InflateRect(&C, -4, -4);
                C.left += 2;
                C.right = C.left + (C.bottom - C.top + 1);
                const int cw = C.right - C.left, ch = C.bottom - C.top;
                RECT onScreen{item.left + C.left, item.top + C.top, item.left + C.right, item.top + C.bottom};
                const std::vector<bool> drawn = ScreenMask(onScreen);
                const char* glyph = pos == 3 ? "b" : "h";
                const bool same = Overlap(drawn, GlyphMask(marlett.Handle(), glyph, cw, ch)) > 0.6;
                (pos == 3 ? checkIsMarlett : radioIsMarlett) = same;
                if (pos == 3) checkIsLetter = Overlap(drawn, GlyphMask(other.Handle(), glyph, cw, ch)) > 0.6;
            }
            // Labels line up in one column after the widest caption.
            for (int i = 0; i < 2; ++i) {
                const RECT item = ItemScreenRect(popup, i);
                RECT labels = item;
                labels.left = item.left + 24 + 160;
                labelColumn[i] = LeftmostInk(labels, background) - item.left;
            }
            const RECT checked = ItemScreenRect(popup, 3);
            const PopupReader pixel;
            boxAtSix = pixel(checked.left + 5, checked.top + 10) == background &&
                       pixel(checked.left + 6, checked.top + 10) != background;
            // Separators: 6 high, a 2-pixel line from 8 pixels in.
            const RECT sep = ItemScreenRect(popup, 2);
            separatorHeight = sep.bottom - sep.top;
            separatorInset = pixel(sep.left + 7, sep.top + 2) == background &&
                             pixel(sep.left + 8, sep.top + 2) != background &&
                             pixel(sep.left + 8, sep.top + 3) != background;
            const RECT cut = ItemScreenRect(popup, 5);
            emboss[0] = Count(cut, light);
            emboss[1] = Count(cut, shadow);
            SyntheticInput::Move({ItemScreenRect(popup, 0).left + 40, ItemScreenRect(popup, 0).top + 5});
        }},
        {[&] { return Highlighted(popup) == 0; },
        [&] {
            const RECT item = ItemScreenRect(popup, 0);
            const PopupReader pixel;
            newFrame = pixel(item.left + 2, item.top) != background;
            newOverInk = Count(item, over);
            SyntheticInput::Move({ItemScreenRect(popup, 5).left + 40, ItemScreenRect(popup, 5).top + 5});
        }},
        {[&] { return Highlighted(popup) == 5; },
        [&] {
            const RECT item = ItemScreenRect(popup, 5);
            const PopupReader pixel;
            cutFrame = pixel(item.left + 2, item.top) != background || pixel(item.left + 2, item.bottom - 1) != background;
            TypeKey(VK_ESCAPE);
        }},
    });
    const POINT at = w.Screen(200, 120);
    TrackPopupMenuEx(popup, 0, at.x, at.y, w.hwnd(), nullptr);
    EXPECT_TRUE(script.Finished()) << "step " << script.Missed() << " never became ready";
    EXPECT_TRUE(sawPopup);
    EXPECT_TRUE(altTaken);
    EXPECT_EQ(recordsAfterAlt, 8);
    EXPECT_TRUE(checkIsMarlett);
    EXPECT_TRUE(radioIsMarlett);
    EXPECT_FALSE(checkIsLetter);
    // Labels line up after the widest caption (a glyph may start a pixel in).
    EXPECT_GE(labelColumn[0], expectedColumn);
    EXPECT_LE(labelColumn[0], expectedColumn + 2);
    EXPECT_EQ(labelColumn[0], labelColumn[1]);
    EXPECT_TRUE(boxAtSix);
    EXPECT_EQ(separatorHeight, 6);
    EXPECT_TRUE(separatorInset);
    EXPECT_GT(emboss[0], 0);
    EXPECT_GT(emboss[1], 0);
    EXPECT_EQ(newFrame, 1);
    EXPECT_GT(newOverInk, 0);  // highlighted text in ActiveMenuColorOver
    EXPECT_EQ(cutFrame, 0);
    EXPECT_EQ(w.bar().ItemRecordCount(), 0);  // restored at the end of the loop
    EXPECT_EQ(ItemInfo(popup, 0).fType, static_cast<UINT>(MFT_STRING));
    DestroyMenu(popup);
}
