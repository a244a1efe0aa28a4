// The frame controller on real windows, with a skin written for the tests.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>

#include "TestSkin.h"
#include "ncframe/cNCCalcSize.h"
#include "plumbing/Dwm.h"
#include "tests/support/TestWindow.h"
#include "ncframe/mDeclares.h"
#include "tests/support/SyntheticInput.h"
#include "tests/support/WaitFor.h"

namespace {

LPARAM ScreenPoint(HWND hwnd, int x, int y) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return MAKELPARAM(r.left + x, r.top + y);
}

class FrameTest : public testing::Test {
protected:
    void Frame(DWORD style = WS_OVERLAPPEDWINDOW, HMENU menu = nullptr) {
        window = std::make_unique<TestWindow>(style, 100, 100, 300, 200, menu);
        ASSERT_NE(window->hwnd(), nullptr);
        skin = std::make_shared<TestSkin>(window->hwnd());
        skin->left = skin->right = skin->bottom = 10;
        skin->top = 48;
        controller = std::make_shared<cNCCalcSize>();
        controller->Attach(*skin);
        controller->Display(*window);
    }
    void TearDown() override {
        if (controller) controller->Detach();
    }

    std::unique_ptr<TestWindow> window;
    std::shared_ptr<TestSkin> skin;
    std::shared_ptr<cNCCalcSize> controller;
};

}  // namespace

TEST_F(FrameTest, MarginsComeFromTheSkin) {
    Frame();
    // The worked example: a 300 x 200 window at (50, 60).
    WINDOWPOS pos{window->hwnd(), nullptr, 50, 60, 300, 200, 0};
    NCCALCSIZE_PARAMS params{};
    params.rgrc[0] = {50, 60, 350, 260};
    params.rgrc[1] = params.rgrc[2] = params.rgrc[0];
    params.lppos = &pos;
    skin->calls.clear();
    EXPECT_EQ(SendMessageW(window->hwnd(), WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params)), WVR_REDRAW);
    EXPECT_EQ(params.rgrc[0].left, 60);
    EXPECT_EQ(params.rgrc[0].top, 108);
    EXPECT_EQ(params.rgrc[0].right, 340);
    EXPECT_EQ(params.rgrc[0].bottom, 250);
    EXPECT_TRUE(EqualRect(&params.rgrc[1], &params.rgrc[0]));
    EXPECT_EQ(params.lppos, &pos);
    EXPECT_EQ(skin->calls, (std::vector<std::string>{"left", "top", "right", "bottom"}));

    // And the real window's client area after Display.
    RECT client{}, frame{};
    GetClientRect(window->hwnd(), &client);
    GetWindowRect(window->hwnd(), &frame);
    EXPECT_EQ(client.right, 280);
    EXPECT_EQ(client.bottom, 142);
    POINT origin{0, 0};
    ClientToScreen(window->hwnd(), &origin);
    EXPECT_EQ(origin.x - frame.left, 10);
    EXPECT_EQ(origin.y - frame.top, 48);
    EXPECT_EQ(window->refreshes, 1);  // Display refreshed the form

    // wParam 0: the previous procedure's answer, the skin not asked.
    skin->calls.clear();
    RECT proposed{0, 0, 300, 200};
    SendMessageW(window->hwnd(), WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&proposed));
    EXPECT_TRUE(skin->calls.empty());
}

TEST_F(FrameTest, SkinThatLeavesMarginsGetsSystemSizes) {
    Frame();
    skin->left = skin->top = skin->right = skin->bottom = -1;
    controller->Display(*window);
    RECT client{};
    GetClientRect(window->hwnd(), &client);
    const int cxFrame = GetSystemMetrics(SM_CXFRAME), cyFrame = GetSystemMetrics(SM_CYFRAME);
    EXPECT_EQ(client.right, 300 - 2 * cxFrame);
    EXPECT_EQ(client.bottom, 200 - GetSystemMetrics(SM_CYCAPTION) - 2 * cyFrame);
}

TEST_F(FrameTest, HitTestsBordersOnlyWhenSizable) {
    const int cyCaption = GetSystemMetrics(SM_CYCAPTION);
    struct Case {
        int x, y, sizable, fixed;
    };
    const Case cases[] = {
        {2, 2, HTTOPLEFT, HTCLIENT},        {5, 100, HTLEFT, HTCLIENT},      {5, 195, HTBOTTOMLEFT, HTCLIENT},
        {150, 5, HTTOP, HTCLIENT},          {150, 195, HTBOTTOM, HTCLIENT},  {295, 5, HTTOPRIGHT, HTCLIENT},
        {295, 100, HTRIGHT, HTCLIENT},      {295, 195, HTBOTTOMRIGHT, HTCLIENT},
        {150, 20, HTCAPTION, HTCAPTION},    {cyCaption, 20, HTSYSMENU, HTSYSMENU},
        {150, cyCaption + 11, HTCLIENT, HTCLIENT},  // below the caption band: the menu strip
        {150, 100, HTCLIENT, HTCLIENT},
    };
    for (bool sizable : {true, false}) {
        Frame(sizable ? WS_OVERLAPPEDWINDOW : WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU);
        for (const Case& c : cases) {
            const int expected = sizable ? c.sizable : c.fixed;
            EXPECT_EQ(SendMessageW(window->hwnd(), WM_NCHITTEST, 0, ScreenPoint(window->hwnd(), c.x, c.y)), expected)
                << (sizable ? "sizable " : "fixed ") << c.x << "," << c.y;
            EXPECT_EQ(skin->lastOfferedHitTest, expected);  // the skin saw the controller's answer
        }
        controller->Detach();
    }
}

TEST_F(FrameTest, MenuHitTestBecomesClientAndPressGoesToSkin) {
    Frame();
    skin->hitTestAnswer = HTMENU;
    EXPECT_EQ(SendMessageW(window->hwnd(), WM_NCHITTEST, 0, ScreenPoint(window->hwnd(), 150, 20)), HTCLIENT);
    skin->calls.clear();
    SendMessageW(window->hwnd(), WM_NCLBUTTONDOWN, HTCLIENT, ScreenPoint(window->hwnd(), 150, 20));
    EXPECT_EQ(skin->calls, std::vector<std::string>{"down"});
    EXPECT_EQ(window->CountSeen(WM_NCLBUTTONDOWN), 0);  // consumed by the skin
}

TEST_F(FrameTest, PressActsOnItsOwnHitTestCodeAndNudgesOnePixel) {
    Frame();
    skin->handlePresses = false;
    const HWND hwnd = window->hwnd();
    // Another program last asked about the caption; the press is on the border.
    EXPECT_EQ(SendMessageW(hwnd, WM_NCHITTEST, 0, ScreenPoint(hwnd, 150, 20)), HTCAPTION);
    POINT before{}, after{};
    GetCursorPos(&before);
    SendMessageW(hwnd, WM_NCLBUTTONDOWN, HTBORDER, ScreenPoint(hwnd, 150, 100));
    GetCursorPos(&after);
    EXPECT_EQ(std::abs(after.x - before.x), 1);  // the nudge: one pixel, whatever the pointer speed
    EXPECT_EQ(std::abs(after.y - before.y), 1);
    ASSERT_EQ(window->CountSeen(WM_NCLBUTTONDOWN), 1);
    for (const auto& s : window->seen) {
        if (s.message == WM_NCLBUTTONDOWN) {
            EXPECT_EQ(s.wParam, static_cast<WPARAM>(HTBORDER));
        }
    }

    // And the other way round: a caption press after a question about the
    // border is the controller's drag (over at once, no button is down).
    EXPECT_EQ(SendMessageW(hwnd, WM_NCHITTEST, 0, ScreenPoint(hwnd, 2, 100)), HTLEFT);
    SendMessageW(hwnd, WM_NCLBUTTONDOWN, HTCAPTION, ScreenPoint(hwnd, 150, 20));
    EXPECT_EQ(window->CountSeen(WM_NCLBUTTONDOWN), 1);

    skin->calls.clear();
    SendMessageW(hwnd, WM_NCLBUTTONUP, HTBORDER, ScreenPoint(hwnd, 150, 100));
    EXPECT_EQ(skin->calls, (std::vector<std::string>{"down", "up"}));
    EXPECT_EQ(window->CountSeen(WM_NCLBUTTONUP), 1);  // the window saw it first
}

TEST_F(FrameTest, FrameIsTakenFromTheWindowManagerAndGivenBack) {
    struct Call {
        HWND hwnd;
        DWORD attribute;
        int value;
        bool operator==(const Call&) const = default;
    };
    static std::vector<Call> calls;
    calls.clear();
    Dwm::Api recorder;
    recorder.setWindowAttribute = [](HWND hwnd, DWORD attribute, LPCVOID value, DWORD size) -> HRESULT {
        if (size != sizeof(int)) return E_INVALIDARG;
        calls.push_back({hwnd, attribute, *static_cast<const int*>(value)});
        return S_OK;
    };
    Dwm::Replace(recorder);
    Frame();
    const HWND hwnd = window->hwnd();
    const std::vector<Call> taken{{hwnd, Dwm::kNcRenderingPolicy, Dwm::kPolicyDisabled},
                                  {hwnd, Dwm::kCornerPreference, Dwm::kCornerSquare}};
    EXPECT_EQ(calls, taken);

    // Composition switched: the policy again, and the frame recomputed.
    calls.clear();
    skin->calls.clear();
    SendMessageW(hwnd, WM_DWMCOMPOSITIONCHANGED, 0, 0);
    EXPECT_EQ(calls, taken);
    EXPECT_EQ(skin->calls, (std::vector<std::string>{"left", "top", "right", "bottom"}));

    // The system's own caption and frame painters are swallowed.
    ShowWindow(hwnd, SW_SHOWNA);
    window->seen.clear();
    EXPECT_EQ(SendMessageW(hwnd, 0xAE, 0, 0), 0);
    EXPECT_EQ(SendMessageW(hwnd, 0xAF, 0, 0), 0);
    EXPECT_TRUE(window->seen.empty());

    calls.clear();
    controller->Detach();
    Dwm::UseSystem();
    EXPECT_EQ(calls, (std::vector<Call>{{hwnd, Dwm::kNcRenderingPolicy, Dwm::kPolicyUseWindowStyle},
                                        {hwnd, Dwm::kCornerPreference, Dwm::kCornerDefault}}));
}

TEST_F(FrameTest, SetCursorTakesMenuOffWithoutRepaintingTwice) {
    HMENU menu = CreateMenu();
    AppendMenuW(menu, MF_STRING, 1, L"&File");
    Frame(WS_OVERLAPPEDWINDOW, menu);
    ShowWindow(window->hwnd(), SW_SHOWNA);
    EXPECT_EQ(controller->hMenu(), menu);

    // A text change while the system answers WM_SETCURSOR is painted by the
    // system's own request alone, not a second time by the controller; the
    // window stays visible meanwhile, so input keeps reaching it.
    bool visibleInside = false;
    window->onMessage = [&](UINT message) {
        if (message != WM_SETCURSOR) return;
        visibleInside = (GetWindowLongW(window->hwnd(), GWL_STYLE) & WS_VISIBLE) != 0;
        SetWindowTextW(window->hwnd(), L"changed inside");
    };
    const int paintsBefore = skin->paints;
    SendMessageW(window->hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(window->hwnd()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    window->onMessage = nullptr;
    EXPECT_TRUE(visibleInside);
    EXPECT_LE(skin->paints, paintsBefore + 1);
    EXPECT_EQ(GetMenu(window->hwnd()), nullptr);
    EXPECT_EQ(controller->hMenu(), menu);
    EXPECT_TRUE(GetWindowLongW(window->hwnd(), GWL_STYLE) & WS_VISIBLE);
    wchar_t text[32] = {};
    GetWindowTextW(window->hwnd(), text, 32);
    EXPECT_STREQ(text, L"changed inside");

    // Outside the guard, a text change repaints the frame.
    SetWindowTextW(window->hwnd(), L"changed outside");
    EXPECT_GE(skin->paints, paintsBefore + 1);
    DestroyMenu(menu);
}

TEST_F(FrameTest, PropertyAndHookFollowTheAttachment) {
    Frame();
    const HWND hwnd = window->hwnd();
    EXPECT_EQ(reinterpret_cast<TestSkin*>(GetPropA(hwnd, cNCCalcSize::kImplementationProperty)), skin.get());
    EXPECT_NE(mDeclares::KeyboardHook(), nullptr);

    // A second controller on another window: still one hook.
    TestWindow other;
    auto otherSkin = std::make_shared<TestSkin>(other.hwnd());
    auto second = std::make_shared<cNCCalcSize>();
    const HHOOK hook = mDeclares::KeyboardHook();
    second->Attach(*otherSkin);
    EXPECT_EQ(mDeclares::KeyboardHook(), hook);
    EXPECT_EQ(mDeclares::FindFrame(*second), 2);

    controller->Detach();
    controller->Detach();  // twice: harmless, the other registration stays
    EXPECT_EQ(GetPropA(hwnd, cNCCalcSize::kImplementationProperty), nullptr);
    EXPECT_EQ(mDeclares::FindFrame(*controller), 0);
    EXPECT_EQ(mDeclares::FindFrame(*second), 1);
    EXPECT_EQ(mDeclares::KeyboardHook(), hook);

    // Destroying the window detaches its controller, and the last one takes the hook.
    HANDLE propertyAtDestroy = reinterpret_cast<HANDLE>(1);
    other.onMessage = [&](UINT message) {
        if (message == WM_NCDESTROY) propertyAtDestroy = GetPropA(other.hwnd(), cNCCalcSize::kImplementationProperty);
    };
    DestroyWindow(other.hwnd());
    EXPECT_EQ(propertyAtDestroy, nullptr);
    EXPECT_EQ(second->hwnd(), nullptr);
    EXPECT_EQ(mDeclares::FindFrame(*second), 0);
    EXPECT_EQ(mDeclares::KeyboardHook(), nullptr);

    auto fresh = std::make_shared<cNCCalcSize>();
    fresh->Detach();  // before any Attach
    EXPECT_EQ(mDeclares::KeyboardHook(), nullptr);
}

TEST_F(FrameTest, CaptionDragMovesTheWindowThroughItsOwnLoopWithEitherHand) {
    // A left-handed user drags with the physical right button, the primary one.
    struct Unswap {
        ~Unswap() { SwapMouseButton(FALSE); }
    } unswap;
    for (const bool swapped : {false, true}) {
        SCOPED_TRACE(swapped ? "buttons swapped" : "buttons as made");
        SwapMouseButton(swapped);
        ASSERT_EQ(GetSystemMetrics(SM_SWAPBUTTON) != 0, swapped);
        Frame();
        ShowWindow(window->hwnd(), SW_SHOW);
        SetForegroundWindow(window->hwnd());
        ASSERT_TRUE(WaitUntil([this] { return controller->WindowActive(); }));
        RECT before{};
        GetWindowRect(window->hwnd(), &before);
        const POINT start{before.left + 150, before.top + 20};
        SyntheticInput::MoveTo(start);

        // The press runs the controller's move loop on this thread; another
        // thread moves the pointer and lets go, each step once the last one shows.
        struct Drag {
            HWND hwnd;
            POINT start;
            RECT before;
            std::atomic<bool> sawProbe{false};
            bool Moved(int dx, int dy) const {
                RECT r{};
                GetWindowRect(hwnd, &r);
                return std::abs(r.left - before.left - dx) <= 2 && std::abs(r.top - before.top - dy) <= 2;
            }
        } drag{window->hwnd(), start, before};
        window->onMessage = [&drag](UINT message) {
            if (message == WM_APP) drag.sawProbe = true;
        };
        HANDLE mover = CreateThread(
            nullptr, 0,
            [](void* p) -> DWORD {
                Drag& d = *static_cast<Drag*>(p);
                // The press nudges the pointer before the loop starts; a message
                // posted after that is dispatched by the loop itself.
                WaitUntil([&] {
                    POINT at{};
                    GetCursorPos(&at);
                    return at.x != d.start.x || at.y != d.start.y;
                });
                PostMessageW(d.hwnd, WM_APP, 0, 0);
                WaitUntil([&] { return d.sawProbe.load(); });
                SyntheticInput::MoveTo({d.start.x + 20, d.start.y + 10});
                WaitUntil([&] { return d.Moved(20, 10); });
                SyntheticInput::MoveTo({d.start.x + 40, d.start.y + 30});
                WaitUntil([&] { return d.Moved(40, 30); });
                SyntheticInput::Button(false);
                return 0;
            },
            &drag, 0, nullptr);
        ASSERT_NE(mover, nullptr);
        SyntheticInput::Button(true);
        // Wine reports the swap (SM_SWAPBUTTON) and keeps the button's key
        // state physical, as Windows does, but still sends the physical
        // right button's messages; the press Windows would send is posted here.
        if (swapped) PostMessageW(window->hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(start.x, start.y));
        EXPECT_TRUE(WaitUntil([&] { return WaitForSingleObject(mover, 0) == WAIT_OBJECT_0; }, 20000));
        CloseHandle(mover);
        window->onMessage = nullptr;
        SyntheticInput::SettleInput();

        EXPECT_TRUE(drag.sawProbe);
        RECT after{};
        GetWindowRect(window->hwnd(), &after);
        EXPECT_NEAR(after.left - before.left, 40, 2);
        EXPECT_NEAR(after.top - before.top, 30, 2);
        EXPECT_EQ(GetAsyncKeyState(swapped ? VK_RBUTTON : VK_LBUTTON) & 0x8000, 0);
        EXPECT_EQ(window->CountSeen(WM_NCLBUTTONDOWN), 0);  // not the system's move loop
    }
}

TEST_F(FrameTest, ActivationReachesTheSystemOnceWithoutItsFramePaint) {
    Frame();
    ShowWindow(window->hwnd(), SW_SHOWNA);
    window->seen.clear();
    const int paints = skin->paints;
    EXPECT_TRUE(SendMessageW(window->hwnd(), WM_NCACTIVATE, FALSE, 0));
    EXPECT_FALSE(controller->WindowActive());
    ASSERT_EQ(window->CountSeen(WM_NCACTIVATE), 1);
    for (const auto& s : window->seen) {
        if (s.message == WM_NCACTIVATE) {
            EXPECT_EQ(s.lParam, -1);  // the system does not paint its own frame
        }
    }
    EXPECT_EQ(skin->paints, paints + 1);        // the skin does
    SendMessageW(window->hwnd(), WM_NCACTIVATE, TRUE, 0);
    EXPECT_TRUE(controller->WindowActive());
}

TEST_F(FrameTest, EscDuringCaptionDragPutsTheWindowBack) {
    Frame();
    ShowWindow(window->hwnd(), SW_SHOW);
    SetForegroundWindow(window->hwnd());
    ASSERT_TRUE(WaitUntil([this] { return controller->WindowActive(); }));
    struct Drag {
        HWND hwnd;
        RECT before;
        POINT start;
        HANDLE loopEnded;
        bool moved = false, ended = false;
    } drag{window->hwnd(), {}, {}, CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    GetWindowRect(drag.hwnd, &drag.before);
    drag.start = {drag.before.left + 150, drag.before.top + 20};
    SyntheticInput::MoveTo(drag.start);

    // This thread runs the move loop; another one drags, presses Esc while
    // the button is still down, and lets go only once the loop has ended.
    SyntheticInput::Button(true);
    HANDLE mover = CreateThread(
        nullptr, 0,
        [](void* p) -> DWORD {
            auto& d = *static_cast<Drag*>(p);
            // The pointer keeps moving until the loop, once it runs, has moved
            // the window (a step each time WaitUntil looks again).
            int step = 0;
            d.moved = WaitUntil([&] {
                ++step;
                SyntheticInput::Move({d.start.x + step % 40, d.start.y + step % 30});
                RECT r{};
                GetWindowRect(d.hwnd, &r);
                return r.left != d.before.left || r.top != d.before.top;
            });
            SyntheticInput::Key(VK_ESCAPE, false);
            SyntheticInput::Key(VK_ESCAPE, true);
            d.ended = WaitForSingleObject(d.loopEnded, 5000) == WAIT_OBJECT_0;
            const POINT further{d.start.x + 80, d.start.y + 60};
            SyntheticInput::Move(further);
            WaitUntil([&] {
                POINT at{};
                GetCursorPos(&at);
                return at.x == further.x && at.y == further.y;
            });
            SyntheticInput::Button(false);
            return 0;
        },
        &drag, 0, nullptr);
    // The loop runs inside this pump and returns to it when it ends.
    WaitUntil([&] { return drag.moved; }, 10000);
    SetEvent(drag.loopEnded);
    while (MsgWaitForMultipleObjects(1, &mover, FALSE, 10000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
        SyntheticInput::Pump(0);
    CloseHandle(mover);
    CloseHandle(drag.loopEnded);

    EXPECT_TRUE(drag.moved);
    EXPECT_TRUE(drag.ended);
    RECT after{};
    GetWindowRect(window->hwnd(), &after);
    EXPECT_EQ(after.left, drag.before.left);
    EXPECT_EQ(after.top, drag.before.top);
}
