// Hot tracking, presses, the popup tracker's moves between bar items and
// Alt+mnemonic through the real keyboard hook, driven by real input.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "MenuWindow.h"
#include "menubar/cToolbarMenu.h"
#include "ncframe/mDeclares.h"
#include "tests/support/SyntheticInput.h"

namespace {

// Presses and releases on bar item k; the popup loop runs inside the pump.
void ClickItem(const MenuWindow& w, int k) {
    SyntheticInput::MoveTo(w.ItemCenter(k));
    SyntheticInput::Button(true);
    SyntheticInput::Button(false);
    SyntheticInput::Pump(100);
}

std::function<void()> Key(WORD vk) {
    return [vk] {
        SyntheticInput::Key(vk, false);
        SyntheticInput::Key(vk, true);
    };
}

}  // namespace

TEST(MenuBarTracking, HotItemFollowsThePointerAndThePollStartsAndStops) {
    MenuWindow w(StandardMenu());
    cMenuBar& bar = w.bar();
    SyntheticInput::MoveTo(w.ItemCenter(2));
    EXPECT_EQ(bar.HotItem(), 2);
    EXPECT_EQ(bar.PollInterval(), 50);
    SyntheticInput::MoveTo(w.ItemCenter(3));
    EXPECT_EQ(bar.HotItem(), 3);

    // Into the client area: the move itself clears the item and stops the poll.
    SyntheticInput::MoveTo(w.Screen(250, 150));
    EXPECT_EQ(bar.HotItem(), 0);
    EXPECT_EQ(bar.PollInterval(), 0);

    // Onto the title, where the window gets no client mouse message: the poll clears it.
    SyntheticInput::MoveTo(w.ItemCenter(1));
    EXPECT_EQ(bar.HotItem(), 1);
    SyntheticInput::MoveTo(w.Screen(250, 10));
    SyntheticInput::Pump(200);
    EXPECT_EQ(bar.HotItem(), 0);
    EXPECT_EQ(bar.PollInterval(), 0);
}

TEST(MenuBarTracking, PressOpensThePopupBelowTheItemAndMnemonicsExecute) {
    HMENU menu = StandardMenu();
    MenuWindow w(menu);
    cMenuBar& bar = w.bar();
    const cToolbarMenu& tracker = *bar.Tracker();
    RECT item{}, popup{};
    int state = -1, current = -1, down = -1;
    bool hooked = false;
    MenuScript script({[] {},
                       [&] {
                           bar.GetItemScreenRect(1, item);
                           HWND shown = nullptr;
                           EnumThreadWindows(
                               GetCurrentThreadId(),
                               [](HWND h, LPARAM out) -> BOOL {
                                   char name[16] = {};
                                   GetClassNameA(h, name, sizeof name);
                                   if (std::string(name) == "#32768" && IsWindowVisible(h))
                                       *reinterpret_cast<HWND*>(out) = h;
                                   return TRUE;
                               },
                               reinterpret_cast<LPARAM>(&shown));
                           if (shown) GetWindowRect(shown, &popup);
                           state = tracker.State();
                           current = tracker.Current();
                           down = bar.DownItem();
                           hooked = mDeclares::MsgHook() != nullptr;
                       },
                       Key('X')});  // "E&xit": found by its mnemonic and carried out
    ClickItem(w, 1);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(popup.left, item.left);
    EXPECT_EQ(popup.top, item.bottom);
    EXPECT_EQ(state, cToolbarMenu::kPopupOpen);
    EXPECT_EQ(current, 1);
    EXPECT_EQ(down, 1);
    EXPECT_TRUE(hooked);
    EXPECT_EQ(w.PopupsOpened(), std::vector<HMENU>{GetSubMenu(menu, 0)});
    EXPECT_EQ(w.window.CountSeen(WM_COMMAND), 1);
    EXPECT_EQ(std::find_if(w.window.seen.begin(), w.window.seen.end(),
                           [](const TestWindow::Seen& s) { return s.message == WM_COMMAND; })
                  ->wParam,
              103u);

    // After the popup: the loop is over, nothing pressed or hot, no hook,
    // every item back as it was.
    EXPECT_EQ(tracker.State(), cToolbarMenu::kIdle);
    EXPECT_FALSE(tracker.Tracking());
    EXPECT_EQ(bar.DownItem(), -1);
    EXPECT_EQ(mDeclares::MsgHook(), nullptr);
    EXPECT_EQ(bar.ItemRecordCount(), 0);
    EXPECT_EQ(ItemText(GetSubMenu(menu, 0), 3), "E&xit");

    // Once a popup has been used the poll keeps running off the bar...
    SyntheticInput::MoveTo(w.Screen(250, 150));
    EXPECT_EQ(bar.PollInterval(), 50);
    // ...until a press away from the bar.
    SyntheticInput::LeftDown();
    SyntheticInput::LeftUp();
    EXPECT_EQ(bar.DownItem(), 0);
    SyntheticInput::MoveTo(w.Screen(260, 160));
    EXPECT_EQ(bar.PollInterval(), 0);
}

TEST(MenuBarTracking, LeftAndRightMoveBetweenBarItemsAndWrap) {
    MenuWindow w(StandardMenu());
    const cToolbarMenu& tracker = *w.bar().Tracker();
    std::vector<int> visited;
    auto look = [&] { visited.push_back(tracker.Current()); };
    auto then = [&](WORD vk) {
        return [&, vk] {
            look();
            Key(vk)();
        };
    };
    MenuScript script({[] {}, then(VK_RIGHT), then(VK_RIGHT), then(VK_RIGHT), then(VK_RIGHT), then(VK_LEFT),
                       then(VK_LEFT), then(VK_ESCAPE)});
    ClickItem(w, 1);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(visited, (std::vector<int>{1, 2, 3, 4, 1, 4, 3}));
}

TEST(MenuBarTracking, KeysInsideSubmenusAreLeftToThePopupLoop) {
    HMENU menu = StandardMenu();
    MenuWindow w(menu);
    const cToolbarMenu& tracker = *w.bar().Tracker();
    HMENU edit = GetSubMenu(menu, 1), options = GetSubMenu(edit, 3);
    std::vector<int> visited;
    bool rightMovesOverOptions = true, leftMovesInOptions = true, rightMovesOverUndo = false;
    // Down until "&Options" (a submenu item) is selected, then into it and back.
    auto downToOptions = [&] {
        if (!(GetMenuState(edit, 3, MF_BYPOSITION) & MF_HILITE)) Key(VK_DOWN)();
    };
    MenuScript script({[] {}, Key(VK_DOWN),
                       [&] {
                           // A command's identifier is no position: 3 does not make it the submenu item.
                           rightMovesOverUndo = (GetMenuState(edit, 0, MF_BYPOSITION) & MF_HILITE) && tracker.RightMoves();
                       },
                       downToOptions, downToOptions, downToOptions, downToOptions,
                       [&] {
                           rightMovesOverOptions = tracker.RightMoves();
                           Key(VK_RIGHT)();  // opens the cascaded submenu
                       },
                       [&] {
                           leftMovesInOptions = tracker.LeftMoves();
                           visited.push_back(tracker.Current());
                           Key(VK_LEFT)();  // closes it again
                       },
                       [&] {
                           visited.push_back(tracker.Current());
                           Key(VK_ESCAPE)();
                       }});
    ClickItem(w, 2);
    EXPECT_TRUE(script.Finished());
    EXPECT_TRUE(rightMovesOverUndo);
    EXPECT_FALSE(rightMovesOverOptions);
    EXPECT_FALSE(leftMovesInOptions);
    EXPECT_EQ(visited, (std::vector<int>{2, 2}));
    const std::vector<HMENU> opened = w.PopupsOpened();
    EXPECT_NE(std::find(opened.begin(), opened.end(), options), opened.end());
}

TEST(MenuBarTracking, PointerSwitchesItemsAndAPressOnTheOpenItemIsSwallowed) {
    MenuWindow w(StandardMenu());
    const cToolbarMenu& tracker = *w.bar().Tracker();
    std::vector<int> visited;
    auto look = [&] { visited.push_back(tracker.Current()); };
    MenuScript script({[] {}, [&] { SyntheticInput::Move(w.ItemCenter(3)); }, [&] {
                           look();
                           SyntheticInput::Button(true);  // on the open item's own entry
                       },
                       [&] {
                           SyntheticInput::Button(false);
                           look();
                           SyntheticInput::Move(w.ItemCenter(4));
                       },
                       [&] {
                           look();
                           Key(VK_ESCAPE)();
                       }});
    ClickItem(w, 1);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(visited, (std::vector<int>{3, 3, 4}));
}

TEST(MenuBarTracking, AltMnemonicOpensEveryMatchingEntryThroughTheKeyboardHook) {
    MenuBuilder file, edit, format;
    file.Item("&Save", 1);
    edit.Item("&Copy", 2);
    format.Item("&Bold", 3);
    MenuBuilder top(false);
    top.Item("&Run", 9).Popup("&File", file.menu).Popup("&Edit", edit.menu).Popup("&Font", format.menu);
    MenuWindow w(top.menu);
    w.window.swallowSysCommands = true;  // Alt's release must not start the system's menu mode
    ASSERT_EQ(w.bar().ItemCount(), 3);
    std::vector<int> current;
    const cToolbarMenu& tracker = *w.bar().Tracker();
    MenuScript script({[] {},
                       [&] {
                           current.push_back(tracker.Current());
                           Key(VK_ESCAPE)();
                       },
                       [&] {
                           current.push_back(tracker.Current());
                           Key(VK_ESCAPE)();
                       }});
    SyntheticInput::Key(VK_MENU, false);
    SyntheticInput::Key('F', false);
    SyntheticInput::Pump(400);
    SyntheticInput::Key('F', true);
    SyntheticInput::Key(VK_MENU, true);
    SyntheticInput::Pump(50);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(current, (std::vector<int>{1, 3}));
    EXPECT_EQ(w.PopupsOpened(), (std::vector<HMENU>{file.menu, format.menu}));

    // A top-level command's mnemonic opens nothing and is not used.
    EXPECT_FALSE(w.bar().AcceleratorKey('R'));
    EXPECT_EQ(w.PopupsOpened().size(), 2u);
}
