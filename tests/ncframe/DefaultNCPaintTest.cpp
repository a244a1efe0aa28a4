// The plain system-coloured frame painted when a window has no skin.
#include <windows.h>

#include <gtest/gtest.h>

#include "TestSkin.h"
#include "ncframe/cNCCalcSize.h"
#include "tests/support/TestWindow.h"
#include "tests/support/WaitFor.h"

namespace {

// A framed window whose skin has been taken away: the controller falls back
// to the system's margins and its own default painting.
struct Unskinned {
    explicit Unskinned(int x = 100, int width = 300)
        : skin(std::make_shared<TestSkin>(window.hwnd())), controller(std::make_shared<cNCCalcSize>()) {
        // Sized afterwards, allowed past the screen's size.
        window.unboundedSize = true;
        SetWindowPos(window.hwnd(), nullptr, x, 100, width, 200, SWP_NOZORDER | SWP_NOACTIVATE);
        controller->Attach(*skin);
        RemovePropA(window.hwnd(), cNCCalcSize::kImplementationProperty);
        ShowWindow(window.hwnd(), SW_SHOW);
        SetForegroundWindow(window.hwnd());
        controller->Display(window);
        EXPECT_TRUE(WaitUntil([this] { return controller->WindowActive() && Painted(); }));
    }
    // No window of this thread waits to be painted.
    static bool Painted() { return HIWORD(GetQueueStatus(QS_PAINT)) == 0; }
    ~Unskinned() { controller->Detach(); }
    COLORREF Pixel(int x, int y) const { return WindowPixel(window.hwnd(), x, y); }
    int Width() const {
        RECT r{};
        GetWindowRect(window.hwnd(), &r);
        return r.right - r.left;
    }

    TestWindow window;
    std::shared_ptr<TestSkin> skin;
    std::shared_ptr<cNCCalcSize> controller;
};

const int cxF = GetSystemMetrics(SM_CXFRAME), cyF = GetSystemMetrics(SM_CYFRAME);
const int cyCap = GetSystemMetrics(SM_CYCAPTION);

// The middle caption button's rectangle in window coordinates.
RECT MiddleButton(int windowWidth) {
    const int w = windowWidth - 2 * cxF, h0 = cyCap - 1, b = h0 - 4;
    RECT B{w - 2 - (b + 2), 2, w - 2, h0 - 2};
    OffsetRect(&B, -(b + 4), 0);
    OffsetRect(&B, cxF, cyF);
    return B;
}

// The same control drawn by the system into a bitmap of the rectangle's size.
std::vector<COLORREF> Reference(const RECT& r, UINT state) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, r.right - r.left, r.bottom - r.top);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT at{0, 0, r.right - r.left, r.bottom - r.top};
    DrawFrameControl(dc, &at, DFC_CAPTION, state);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < at.bottom; ++y)
        for (int x = 0; x < at.right; ++x) pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixels;
}

}  // namespace

TEST(DefaultNCPaint, ActiveAndInactiveDifferOnlyInSystemColours) {
    Unskinned f;
    ASSERT_TRUE(f.controller->WindowActive());
    const int W = f.Width();
    const POINT border{cxF - 1, 100}, caption{W / 2 + 30, cyF + cyCap / 2}, edge{0, 100};
    const RECT close = [&] { RECT r = MiddleButton(W); OffsetRect(&r, cyCap - 1, 0); return r; }();
    const COLORREF activeBorder = f.Pixel(border.x, border.y), activeCaption = f.Pixel(caption.x, caption.y);
    const COLORREF activeEdge = f.Pixel(edge.x, edge.y);
    const auto activeClose = WindowPixels(f.window.hwnd(), close);
    EXPECT_EQ(activeBorder, GetSysColor(COLOR_ACTIVEBORDER));
    EXPECT_EQ(activeCaption, GetSysColor(COLOR_ACTIVECAPTION));

    SendMessageW(f.window.hwnd(), WM_NCACTIVATE, FALSE, 0);
    ASSERT_FALSE(f.controller->WindowActive());
    EXPECT_EQ(f.Pixel(border.x, border.y), GetSysColor(COLOR_INACTIVEBORDER));
    EXPECT_EQ(f.Pixel(caption.x, caption.y), GetSysColor(COLOR_INACTIVECAPTION));
    EXPECT_EQ(f.Pixel(edge.x, edge.y), activeEdge);
    EXPECT_EQ(WindowPixels(f.window.hwnd(), close), activeClose);
}

TEST(DefaultNCPaint, MaximizedWindowShowsTheRestoreGlyph) {
    Unskinned f;
    const RECT normal = MiddleButton(f.Width());
    EXPECT_EQ(WindowPixels(f.window.hwnd(), normal), Reference(normal, DFCS_CAPTIONMAX));
    ShowWindow(f.window.hwnd(), SW_MAXIMIZE);
    ASSERT_TRUE(WaitUntil([&] { return IsZoomed(f.window.hwnd()) && Unskinned::Painted(); }));
    const RECT maximized = MiddleButton(f.Width());
    EXPECT_EQ(WindowPixels(f.window.hwnd(), maximized), Reference(maximized, DFCS_CAPTIONRESTORE));
}

TEST(DefaultNCPaint, WindowWiderThanTheScreenKeepsItsBorders) {
    const int screen = GetSystemMetrics(SM_CXSCREEN);
    Unskinned f(-300, screen + 200);  // the right part is on screen
    const int W = f.Width();
    ASSERT_EQ(W, screen + 200);
    EXPECT_EQ(f.Pixel(W - cxF + 1, 100), GetSysColor(COLOR_ACTIVEBORDER));
    EXPECT_EQ(f.Pixel(W - 150, 200 - cyF + 1), GetSysColor(COLOR_ACTIVEBORDER));
}
