// A thousand popup loops leave no GDI object, hook, timer or property behind,
// and a skin let go of while its window lives leaves nothing that still
// points at it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "MenuWindow.h"
#include "menubar/cToolbarMenu.h"
#include "ncframe/mDeclares.h"
#include "plumbing/MTimer.h"
#include "tests/support/GdiObjectCount.h"
#include "tests/support/SyntheticInput.h"
#include "tests/support/WaitFor.h"

namespace {

int PropertyCount(HWND hwnd) {
    return EnumPropsExA(
        hwnd, [](HWND, LPSTR, HANDLE, ULONG_PTR) -> BOOL { return TRUE; }, 0);
}

std::vector<std::string> AllTexts(HMENU menu) {
    std::vector<std::string> texts;
    for (int p = 0; p < GetMenuItemCount(menu); ++p) {
        texts.push_back(ItemText(menu, p));
        if (HMENU sub = GetSubMenu(menu, p))
            for (const std::string& t : AllTexts(sub)) texts.push_back(t);
    }
    return texts;
}

}  // namespace

TEST(MenuBarResources, AThousandPopupLoopsLeaveNothingBehind) {
    HMENU menu = StandardMenu();
    MenuWindow w(menu);
    const std::vector<std::string> texts = AllTexts(menu);
    const int propertiesUnskinned = [] {
        TestWindow plain;
        return PropertyCount(plain.hwnd());
    }();
    // Ends every popup loop soon after it starts (and its items are drawn).
    const UINT_PTR ender = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); });
    const char mnemonics[] = {'F', 'E', 'V', 'H'};
    auto loop = [&](int i) {
        // Every other loop also switches to the next bar item with Right.
        if (i % 2) PostMessageA(w.hwnd(), WM_KEYDOWN, VK_RIGHT, 0);
        EXPECT_TRUE(w.bar().AcceleratorKey(mnemonics[i % 4])) << i;
    };
    for (int i = 0; i < 8; ++i) loop(i);  // surfaces and fonts reach their working size
    DispatchPending();
    const unsigned long before = GdiObjectCount();
    const size_t opened = w.PopupsOpened().size();

    for (int i = 0; i < 1000; ++i) loop(i);
    DispatchPending();
    KillTimer(nullptr, ender);
    EXPECT_EQ(GdiObjectCount(), before);
    EXPECT_GE(w.PopupsOpened().size() - opened, 1500u);  // 1000 popups and 500 switches
    EXPECT_EQ(mDeclares::MsgHook(), nullptr);
    EXPECT_FALSE(w.bar().Tracker()->Tracking());
    EXPECT_EQ(w.bar().ItemRecordCount(), 0);
    EXPECT_EQ(AllTexts(menu), texts);

    // The poll runs after a popup until the window lets the bar go.
    MoveAnew(w.ItemCenter(2));
    EXPECT_TRUE(WaitUntil([&] { return w.bar().HotItem() == 2; }));
    EXPECT_EQ(w.bar().PollInterval(), 50);
    w.caption->Detach();
    EXPECT_EQ(MTimer::RunningCount(), 0);
    EXPECT_EQ(mDeclares::KeyboardHook(), nullptr);
    EXPECT_EQ(PropertyCount(w.hwnd()), propertiesUnskinned);
    EXPECT_EQ(GetMenu(w.hwnd()), menu);
}

TEST(MenuBarResources, ASkinLetGoOfWhileItsWindowLivesLeavesTheWindowItsOwnProcedure) {
    HMENU menu = StandardMenu();
    MenuWindow w(menu);
    const HWND hwnd = w.hwnd();
    const int propertiesUnskinned = [] {
        TestWindow plain;
        return PropertyCount(plain.hwnd());
    }();
    // A popup has been used and the pointer rests on the bar: its poll runs.
    const UINT_PTR ender = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); });
    EXPECT_TRUE(w.bar().AcceleratorKey('E'));
    KillTimer(nullptr, ender);
    MoveAnew(w.ItemCenter(2));
    ASSERT_TRUE(WaitUntil([&] { return w.bar().HotItem() == 2 && w.bar().PollInterval() == 50; }));

    // The skin goes without a Detach; its blocks are then handed out again,
    // filled with garbage.
    const size_t barBlock = sizeof(cMenuBar);
    w.caption.reset();
    std::vector<std::unique_ptr<unsigned char[]>> reused;
    for (size_t size = 16; size <= 2 * barBlock + 64; size += 8)
        for (int i = 0; i < 8; ++i) {
            reused.push_back(std::make_unique<unsigned char[]>(size));
            std::memset(reused.back().get(), 0xA5, size);
        }

    EXPECT_EQ(GetWindowLongPtrW(hwnd, GWLP_WNDPROC), GetClassLongPtrW(hwnd, GCLP_WNDPROC));
    EXPECT_EQ(PropertyCount(hwnd), propertiesUnskinned);
    EXPECT_EQ(MTimer::RunningCount(), 0);
    EXPECT_EQ(mDeclares::KeyboardHook(), nullptr);
    EXPECT_EQ(GetMenu(hwnd), menu);  // given back

    const int movesBefore = w.window.CountSeen(WM_MOUSEMOVE);
    for (int i = 0; i < 1000; ++i) {
        const LPARAM at = MAKELPARAM(10 + i % 200, 20 + i % 100);
        SendMessageW(hwnd, WM_MOUSEMOVE, 0, at);
        SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(hwnd, WM_LBUTTONUP, 0, at);
        SendMessageW(hwnd, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
        SendMessageW(hwnd, WM_MENUCHAR, MAKEWPARAM('F', MF_POPUP), reinterpret_cast<LPARAM>(menu));
        SendMessageW(hwnd, WM_NCPAINT, 1, 0);
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    }
    EXPECT_EQ(w.window.CountSeen(WM_MOUSEMOVE), movesBefore + 1000);  // all through the window's own procedure
}
