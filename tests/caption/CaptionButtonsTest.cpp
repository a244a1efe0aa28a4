// The caption buttons under real (synthetic) pointer input.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/support/SkinnedWindow.h"
#include "tests/support/SyntheticInput.h"
#include "tests/support/WaitFor.h"

namespace {

POINT CenterOfButton(const SkinnedWindow& w, int index) {
    const RECT& r = w.caption->ButtonRect(index);
    return w.Screen((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

void MoveTo(const SkinnedWindow& w, POINT screen) { MoveAndWait(w.window, screen); }

void ClickButton(const SkinnedWindow& w, int index) {
    MoveTo(w, CenterOfButton(w, index));
    SyntheticInput::Button(true);
    ReleaseAndWait(w.window);
}

bool ButtonLooksNormal(const SkinnedWindow& w, int index, int sourceColumn) {
    const RECT& r = w.caption->ButtonRect(index);
    const ShippedSkin::Measures& cut = w.skin.art.measures;
    for (int y = 0; y < cut.buttonHeight; ++y)
        for (int x = 0; x < cut.buttonWidth; ++x)
            if (w.Pixel(r.left + x, r.top + y) != w.skin.Caption(sourceColumn + x, y)) return false;
    return true;
}

bool ButtonLooksPressed(const SkinnedWindow& w, int index, int sourceColumn) {
    const RECT& r = w.caption->ButtonRect(index);
    const ShippedSkin::Measures& cut = w.skin.art.measures;  // pressed looks lie below the normal ones
    for (int y = 0; y < cut.buttonHeight; ++y)
        for (int x = 0; x < cut.buttonWidth; ++x)
            if (w.Pixel(r.left + x, r.top + y) != w.skin.Caption(sourceColumn + x, cut.buttonHeight + y)) return false;
    return true;
}

LRESULT HitTestAt(const SkinnedWindow& w, int x, int y) {
    const POINT p = w.Screen(x, y);
    return SendMessageW(w.window.hwnd(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
}

}  // namespace

TEST(CaptionButtons, CloseClosesTheWindow) {
    SkinnedWindow w;
    const HWND hwnd = w.window.hwnd();
    ClickButton(w, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(hwnd); }));
}

TEST(CaptionButtons, MaximizeThenRestore) {
    SkinnedWindow w;
    ClickButton(w, 1);
    EXPECT_TRUE(IsZoomed(w.window.hwnd()));
    EXPECT_TRUE(WaitUntil([&] { return ButtonLooksNormal(w, 1, 259); }));  // now the restore glyph
    ClickButton(w, 1);
    EXPECT_FALSE(IsZoomed(w.window.hwnd()));
    EXPECT_EQ(w.Width(), 500);
}

TEST(CaptionButtons, MinimizeMinimizes) {
    SkinnedWindow w;
    ClickButton(w, 2);
    EXPECT_TRUE(IsIconic(w.window.hwnd()));
}

bool AllButtonsLookNormal(const SkinnedWindow& w) {
    return ButtonLooksNormal(w, 0, 241) && ButtonLooksNormal(w, 1, 278) && ButtonLooksNormal(w, 2, 297);
}

TEST(CaptionButtons, PressMoveOffAndReleaseElsewhereDoesNothing) {
    SkinnedWindow w;
    MoveTo(w, CenterOfButton(w, 0));
    SyntheticInput::Button(true);
    EXPECT_TRUE(WaitUntil([&] { return ButtonLooksPressed(w, 0, 241); }));
    MoveTo(w, w.Screen(250, 38));  // off the button, still on the caption band
    EXPECT_TRUE(WaitUntil([&] { return ButtonLooksNormal(w, 0, 241); }));  // sprang back
    MoveTo(w, CenterOfButton(w, 0));
    EXPECT_TRUE(ButtonLooksNormal(w, 0, 241));  // not pressed again on the way back
    MoveTo(w, w.Screen(250, 38));
    ReleaseAndWait(w.window);
    EXPECT_TRUE(IsWindow(w.window.hwnd()));
    EXPECT_FALSE(IsZoomed(w.window.hwnd()) || IsIconic(w.window.hwnd()));
    EXPECT_TRUE(AllButtonsLookNormal(w));
}

TEST(CaptionButtons, PressEndingOffItsButtonLeavesEveryButtonNormal) {
    SkinnedWindow w;
    // Straight from the pressed button into the client area, and off the window.
    for (const POINT release : {POINT{250, 120}, POINT{560, 15}}) {
        for (int index = 0; index < 3; ++index) {
            const int column[] = {241, 278, 297};
            MoveTo(w, CenterOfButton(w, index));
            SyntheticInput::Button(true);
            EXPECT_TRUE(WaitUntil([&] { return ButtonLooksPressed(w, index, column[index]); }));
            MoveTo(w, w.Screen(release.x, release.y));
            ReleaseAndWait(w.window, release.x < w.Width());
            EXPECT_TRUE(WaitUntil([&] { return AllButtonsLookNormal(w); }))
                << "button " << index << " released at " << release.x << "," << release.y;
        }
    }
    EXPECT_TRUE(IsWindow(w.window.hwnd()));
    EXPECT_FALSE(IsZoomed(w.window.hwnd()) || IsIconic(w.window.hwnd()));
}

TEST(CaptionButtons, ButtonsLightUnderThePointerUntilItLeavesTheWindow) {
    const int systemDpi = Dpi::System();
    int hoverLoads = 0;
    SkinnedWindow w(Dpi::Scale(500, systemDpi), Dpi::Scale(200, systemDpi));
    // The shipped skin, counting the loads of its hover looks: none until a button lights up.
    w.caption->Attach(w.window, [&hoverLoads](int dpi) {
        cOrvelCaption::Drawing d = ShippedSkin::DrawingFor(GetModuleHandleW(nullptr), dpi);
        d.hover = [&hoverLoads, load = d.hover] {
            ++hoverLoads;
            return load();
        };
        return d;
    });
    w.Activate();
    EXPECT_EQ(hoverLoads, 0);
    const DrawnSkin drawn(w.caption->Dpi());
    const int bw = drawn.art.lButtonWidth, bh = drawn.art.lButtonHeight, rightEnd = drawn.art.lActiveRightEnd;
    // Compares a button with a cell of the hover looks (close, restore,
    // maximize, minimize) or of the normal looks.
    auto shows = [&](int index, int cell, bool lit) {
        const RECT& r = w.caption->ButtonRect(index);
        const int column = cell == 0 ? rightEnd + 1 : rightEnd + cell * bw;
        for (int y = 0; y < bh; ++y)
            for (int x = 0; x < bw; ++x)
                if (w.Pixel(r.left + x, r.top + y) !=
                    (lit ? drawn.Hover(cell * bw + x, y) : drawn.Caption(column + x, y)))
                    return false;
        return true;
    };
    const int cells[] = {0, 2, 3};
    for (int index = 0; index < 3; ++index) {
        MoveTo(w, CenterOfButton(w, index));
        EXPECT_TRUE(WaitUntil([&] { return shows(index, cells[index], true); })) << "button " << index;
        EXPECT_EQ(w.caption->HotButton(), index);
        if (index > 0) {
            EXPECT_TRUE(shows(index - 1, cells[index - 1], false));  // the last one went out
        }
    }
    EXPECT_EQ(hoverLoads, 1);
    // The close button lights up red.
    MoveTo(w, CenterOfButton(w, 0));
    EXPECT_TRUE(WaitUntil([&] { return shows(0, 0, true); }));
    const RECT& close = w.caption->ButtonRect(0);
    EXPECT_EQ(w.Pixel(close.left + drawn.S(2), (close.top + close.bottom) / 2), RGB(232, 17, 35));

    // Off the window, straight from the lit button: every button normal again.
    MoveTo(w, w.Screen(w.Width() + 40, (close.top + close.bottom) / 2));
    EXPECT_TRUE(WaitUntil([&] { return shows(0, 0, false) && shows(1, 2, false) && shows(2, 3, false); }));
    EXPECT_EQ(w.caption->HotButton(), -1);
}

TEST(CaptionButtons, IconAreaAndButtonsAnswerAsSystemMenu) {
    SkinnedWindow w;
    EXPECT_EQ(HitTestAt(w, 12, 11), HTSYSMENU);
    EXPECT_EQ(HitTestAt(w, 41, 42), HTSYSMENU);
    EXPECT_NE(HitTestAt(w, 42, 43), HTSYSMENU);
    EXPECT_EQ(HitTestAt(w, 500 - 25, 5), HTSYSMENU);
    EXPECT_EQ(HitTestAt(w, 500 - 5, 5), HTTOPRIGHT);  // past the close button: the sizing corner
    EXPECT_EQ(HitTestAt(w, 250, 15), HTCAPTION);
}

TEST(CaptionButtons, NoButtonAnswersBeforeTheFirstPaint) {
    TestWindow window;  // never shown: never painted
    SkinBitmaps skin;
    auto caption = std::make_shared<cOrvelCaption>();
    skin.Attach(*caption, window);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(caption->HasButton(i));
        EXPECT_TRUE(IsRectEmpty(&caption->ButtonRect(i)));
    }
    int e = HTCAPTION;
    caption->HitTest(300 - 20, 10, e);
    EXPECT_EQ(e, HTCAPTION);
    bool handled = false;
    caption->NCMouseDown(300 - 20, 10, handled, nullptr, 0, 0, 300, 200);
    EXPECT_FALSE(handled);
    caption->Detach();
}
