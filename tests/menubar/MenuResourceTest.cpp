// A thousand popup loops leave no GDI object, hook, timer or property behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MenuWindow.h"
#include "menubar/cToolbarMenu.h"
#include "ncframe/mDeclares.h"
#include "plumbing/MTimer.h"
#include "tests/support/GdiObjectCount.h"
#include "tests/support/SyntheticInput.h"

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
    SyntheticInput::Pump(30);
    const unsigned long before = GdiObjectCount();
    const size_t opened = w.PopupsOpened().size();

    for (int i = 0; i < 1000; ++i) loop(i);
    SyntheticInput::Pump(30);
    KillTimer(nullptr, ender);
    EXPECT_EQ(GdiObjectCount(), before);
    EXPECT_GE(w.PopupsOpened().size() - opened, 1500u);  // 1000 popups and 500 switches
    EXPECT_EQ(mDeclares::MsgHook(), nullptr);
    EXPECT_FALSE(w.bar().Tracker()->Tracking());
    EXPECT_EQ(w.bar().ItemRecordCount(), 0);
    EXPECT_EQ(AllTexts(menu), texts);

    // The poll runs after a popup until the window lets the bar go.
    SyntheticInput::MoveTo(w.ItemCenter(2));
    EXPECT_EQ(w.bar().PollInterval(), 50);
    w.caption->Detach();
    EXPECT_EQ(MTimer::RunningCount(), 0);
    EXPECT_EQ(mDeclares::KeyboardHook(), nullptr);
    EXPECT_EQ(PropertyCount(w.hwnd()), propertiesUnskinned);
    EXPECT_EQ(GetMenu(w.hwnd()), menu);
}
