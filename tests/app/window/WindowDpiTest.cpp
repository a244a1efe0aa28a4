// The main window in this process: its layout at the DPI it starts with, and
// through WM_DPICHANGED (which Wine never sends: the tests send it); and its
// switch to the system's frame under a high-contrast theme.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/window/frmTest.h"
#include "caption/ShippedSkin.h"
#include "ncframe/cNCCalcSize.h"
#include "plumbing/Dpi.h"
#include "plumbing/HighContrast.h"
#include "tests/support/GdiObjectCount.h"
#include "tests/support/WaitFor.h"

namespace {

struct MainWindow {
    MainWindow() { EXPECT_TRUE(form.Show(SW_SHOWNOACTIVATE)); }
    HWND hwnd() const { return form.hwnd(); }
    frmTest form{GetModuleHandleW(nullptr)};
};

RECT PlaceInClient(HWND window, int id) {
    RECT r{};
    GetWindowRect(GetDlgItem(window, id), &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The layout at `dpi`: the client area, where the visible controls are, their
// font, and room for what they show.
void ExpectLaidOutAt(const frmTest& form, int dpi) {
    SCOPED_TRACE("at " + std::to_string(dpi) + " DPI");
    const HWND w = form.hwnd();
    const auto px = [dpi](int v) { return Dpi::Scale(v, dpi); };
    EXPECT_EQ(form.WindowDpi(), dpi);
    RECT client{};
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, px(frmTest::kClientWidth));
    EXPECT_EQ(client.bottom, px(frmTest::kClientHeight));
    // Skinned, the caption band above the client area is the skin's as drawn
    // for this DPI (up to 200%, a drawing of its own for each scale).
    if (GetPropA(w, cNCCalcSize::kImplementationProperty)) {
        RECT window{};
        GetWindowRect(w, &window);
        POINT origin{0, 0};
        ClientToScreen(w, &origin);
        EXPECT_EQ(origin.y - window.top, Dpi::Scale(48, ShippedSkin::ArtFor(dpi).dpi));
    }

    const RECT expected[] = {{px(432), 0, px(473), px(49)}, {px(432), px(72), px(473), px(121)},
                             {0, 0, px(425), px(57)}, {0, px(64), px(425), px(121)}};
    const int ids[] = {frmTest::kCommand2, frmTest::kCommand3, frmTest::kText1, frmTest::kText2};
    for (int i = 0; i < 4; ++i) {
        const RECT r = PlaceInClient(w, ids[i]);
        EXPECT_TRUE(EqualRect(&r, &expected[i])) << ids[i] << ": " << r.left << "," << r.top << " " << r.right
                                                 << "," << r.bottom;
        // The font is the GUI font, made for the system's DPI, at this one.
        const auto font = reinterpret_cast<HFONT>(SendMessageW(GetDlgItem(w, ids[i]), WM_GETFONT, 0, 0));
        LOGFONTW lf{}, stock{};
        GetObjectW(font, sizeof lf, &lf);
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof stock, &stock);
        EXPECT_EQ(lf.lfHeight, MulDiv(stock.lfHeight, dpi, Dpi::System())) << ids[i];
    }

    // Each button's caption fits inside its button's edge, broken into lines
    // as the button breaks it.
    HDC dc = GetDC(w);
    for (int id : {frmTest::kCommand2, frmTest::kCommand3}) {
        const HWND button = GetDlgItem(w, id);
        wchar_t caption[32] = {};
        GetWindowTextW(button, caption, 32);
        RECT inside{};
        GetClientRect(button, &inside);
        InflateRect(&inside, -GetSystemMetrics(SM_CXEDGE), -GetSystemMetrics(SM_CYEDGE));
        RECT text = inside;
        const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)));
        DrawTextW(dc, caption, -1, &text, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
        SelectObject(dc, old);
        EXPECT_LE(text.right - text.left, inside.right - inside.left) << id;
        EXPECT_LE(text.bottom - text.top, inside.bottom - inside.top) << id;
    }
    // The boxes show several lines, not one.
    for (int id : {frmTest::kText1, frmTest::kText2}) {
        const HWND box = GetDlgItem(w, id);
        TEXTMETRICW tm{};
        const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)));
        GetTextMetricsW(dc, &tm);
        SelectObject(dc, old);
        RECT r{};
        GetClientRect(box, &r);
        EXPECT_GE(r.bottom / tm.tmHeight, 3) << id;
    }
    ReleaseDC(w, dc);
}

// What the system suggests for a move to a monitor of `dpi`: the window
// scaled about its top-left corner, moved by (dx, dy).
RECT Suggested(HWND w, int from, int to, int dx, int dy) {
    RECT r{};
    GetWindowRect(w, &r);
    const int width = MulDiv(r.right - r.left, to, from), height = MulDiv(r.bottom - r.top, to, from);
    return {r.left + dx, r.top + dy, r.left + dx + width, r.top + dy + height};
}

void ChangeDpi(const frmTest& form, int to, RECT suggested) {
    SendMessageW(form.hwnd(), WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
}

}  // namespace

TEST(MainWindowDpi, LaidOutForTheDpiItStartsWith) {
    MainWindow w;
    ExpectLaidOutAt(w.form, Dpi::OfWindow(w.hwnd()));
    // At the system's DPI the controls' font is the stock GUI font, as it always was.
    LOGFONTW mine{}, stock{};
    GetObjectW(w.form.ControlFont(), sizeof mine, &mine);
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof stock, &stock);
    EXPECT_EQ(std::memcmp(&mine, &stock, sizeof mine), 0);
}

TEST(MainWindowDpi, DpiChangesLayTheWindowOutAgainInTheSuggestedRectangle) {
    MainWindow w;
    int dpi = w.form.WindowDpi();
    for (int to : {144, 96, dpi}) {
        const RECT suggested = Suggested(w.hwnd(), dpi, to, 30, 20);
        ChangeDpi(w.form, to, suggested);
        dpi = to;
        RECT now{};
        GetWindowRect(w.hwnd(), &now);
        EXPECT_EQ(now.left, suggested.left) << to;
        EXPECT_EQ(now.top, suggested.top) << to;
        ExpectLaidOutAt(w.form, to);
    }
}

namespace {

// Counts the paints of one window of this thread, of its frame (WM_NCPAINT)
// and of its client area (WM_PAINT): those sent to it, and those it takes
// from the queue. Hooks see them whoever handles them (the skin's frame
// controller answers WM_NCPAINT before the window's own procedure).
class PaintCount {
public:
    explicit PaintCount(HWND hwnd) : m_hwnd(hwnd) {
        s_count = this;
        m_sent = SetWindowsHookExW(WH_CALLWNDPROC, Sent, nullptr, GetCurrentThreadId());
        m_taken = SetWindowsHookExW(WH_GETMESSAGE, Taken, nullptr, GetCurrentThreadId());
    }
    ~PaintCount() {
        UnhookWindowsHookEx(m_sent);
        UnhookWindowsHookEx(m_taken);
        s_count = nullptr;
    }
    PaintCount(const PaintCount&) = delete;
    PaintCount& operator=(const PaintCount&) = delete;

    int frame = 0, client = 0;
    RECT frameAt{};  // the window's place when its frame was last painted

private:
    void Saw(HWND hwnd, UINT message) {
        if (hwnd != m_hwnd) return;
        client += message == WM_PAINT;
        if (message != WM_NCPAINT) return;
        ++frame;
        GetWindowRect(hwnd, &frameAt);
    }
    static LRESULT CALLBACK Sent(int code, WPARAM wParam, LPARAM lParam) noexcept {
        const auto* m = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && s_count) s_count->Saw(m->hwnd, m->message);
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static LRESULT CALLBACK Taken(int code, WPARAM wParam, LPARAM lParam) noexcept {
        const auto* m = reinterpret_cast<const MSG*>(lParam);
        if (code == HC_ACTION && wParam == PM_REMOVE && s_count) s_count->Saw(m->hwnd, m->message);
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline PaintCount* s_count = nullptr;
    HWND m_hwnd;
    HHOOK m_sent = nullptr, m_taken = nullptr;
};

}  // namespace

TEST(MainWindowDpi, AChangeRepaintsTheWindowOnceAtItsNewSize) {
    MainWindow w;
    WaitUntil([] { return true; });  // the first paints
    const int from = w.form.WindowDpi(), to = from == 144 ? 96 : 144;
    PaintCount paints(w.hwnd());
    ChangeDpi(w.form, to, Suggested(w.hwnd(), from, to, 0, 0));
    // Anything the change left to paint later is painted here.
    WaitUntil([] { return true; });
    EXPECT_EQ(paints.frame, 1);
    EXPECT_EQ(paints.client, 1);
    EXPECT_FALSE(GetUpdateRect(w.hwnd(), nullptr, FALSE));
    RECT now{};
    GetWindowRect(w.hwnd(), &now);
    EXPECT_TRUE(EqualRect(&paints.frameAt, &now));
}

TEST(MainWindowDpi, ThousandChangesLeaveTheGdiCountUnchanged) {
    MainWindow w;
    const int start = w.form.WindowDpi();
    int dpi = start;
    const auto change = [&](int to) {
        ChangeDpi(w.form, to, Suggested(w.hwnd(), dpi, to, 0, 0));
        dpi = to;
    };
    // One round first, so that whatever is made once and kept is counted.
    change(144);
    change(start);
    WaitUntil([] { return true; });
    const unsigned long before = GdiObjectCount();
    ASSERT_GT(before, 0u);
    for (int i = 0; i < 1000; ++i) {
        change(i % 2 == 0 ? 144 : 96);
        if (i % 50 == 49) WaitUntil([] { return true; });  // let the window paint
    }
    change(start);
    WaitUntil([] { return true; });
    EXPECT_EQ(GdiObjectCount(), before);
    ExpectLaidOutAt(w.form, start);
}

namespace {

bool Skinned(HWND w) { return GetPropA(w, cNCCalcSize::kImplementationProperty) != nullptr; }

// Wine cannot switch high contrast (SPI_SETHIGHCONTRAST has no effect there and
// SPI_GETHIGHCONTRAST stays off), so the test hands the setting in through
// HighContrast::SetForTests and sends the real WM_SETTINGCHANGE the system
// broadcasts when the theme changes.
void SwitchHighContrast(HWND w, bool on) {
    HighContrast::SetForTests(on);
    SendMessageW(w, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
}

// Unskinned, the frame is the system's: the window is its client area grown
// by the system's frame for its style.
void ExpectSystemFrame(HWND w) {
    RECT window{}, client{};
    GetWindowRect(w, &window);
    GetClientRect(w, &client);
    RECT framed = client;
    AdjustWindowRectEx(&framed, static_cast<DWORD>(GetWindowLongW(w, GWL_STYLE)), FALSE, 0);
    EXPECT_EQ(window.right - window.left, framed.right - framed.left);
    EXPECT_EQ(window.bottom - window.top, framed.bottom - framed.top);
}

}  // namespace

TEST(MainWindowHighContrast, RunsUnskinnedWhileAThemeIsOnAndSwitchesWhileRunning) {
    struct Reset {
        ~Reset() { HighContrast::SetForTests(std::nullopt); }
    } reset;
    {
        // Started with a theme on: the system's frame from the first paint.
        HighContrast::SetForTests(true);
        MainWindow w;
        EXPECT_FALSE(Skinned(w.hwnd()));
        ExpectSystemFrame(w.hwnd());
        ExpectLaidOutAt(w.form, w.form.WindowDpi());
        SwitchHighContrast(w.hwnd(), false);
        EXPECT_TRUE(Skinned(w.hwnd()));
    }
    HighContrast::SetForTests(false);
    MainWindow w;
    ASSERT_TRUE(Skinned(w.hwnd()));
    // One round first, so that whatever is made once and kept is counted.
    SwitchHighContrast(w.hwnd(), true);
    SwitchHighContrast(w.hwnd(), false);
    WaitUntil([] { return true; });
    const unsigned long before = GdiObjectCount();
    for (int i = 0; i < 20; ++i) {
        SwitchHighContrast(w.hwnd(), true);
        ASSERT_FALSE(Skinned(w.hwnd()));
        ExpectSystemFrame(w.hwnd());
        ExpectLaidOutAt(w.form, w.form.WindowDpi());
        SwitchHighContrast(w.hwnd(), false);
        ASSERT_TRUE(Skinned(w.hwnd()));
        WaitUntil([] { return true; });
    }
    EXPECT_EQ(GdiObjectCount(), before);
    // A setting change that leaves the theme as it is changes nothing.
    SendMessageW(w.hwnd(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_TRUE(Skinned(w.hwnd()));
    ExpectLaidOutAt(w.form, w.form.WindowDpi());
    // Skinned anew after a change of DPI, the skin is drawn for the window's.
    const int from = w.form.WindowDpi(), to = from == 144 ? 96 : 144;
    ChangeDpi(w.form, to, Suggested(w.hwnd(), from, to, 0, 0));
    SwitchHighContrast(w.hwnd(), true);
    SwitchHighContrast(w.hwnd(), false);
    ExpectLaidOutAt(w.form, to);
}
