// Hot tracking, presses, the popup tracker's moves between bar items and
// Alt+mnemonic through the real keyboard hook, driven by real input.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "MenuWindow.h"
#include "menubar/cToolbarMenu.h"
#include "ncframe/mDeclares.h"
#include "tests/support/SyntheticInput.h"
#include "tests/support/WaitFor.h"

namespace {

// Moves the pointer onto bar item k and waits until the bar has it hot.
void PointAt(const MenuWindow& w, int k) {
    MoveAnew(w.ItemCenter(k));
    EXPECT_TRUE(WaitUntil([&] { return w.bar().HotItem() == k; })) << "item " << k;
}

// Presses and releases on bar item k and waits until the script has run
// (the popup loop runs inside the wait) and the loop is over.
void ClickItem(const MenuWindow& w, int k, const MenuScript& script) {
    PointAt(w, k);
    SyntheticInput::Button(true);
    SyntheticInput::Button(false);
    EXPECT_TRUE(WaitUntil([&] { return script.Over() && !w.bar().Tracking(); }));
    EXPECT_EQ(script.Missed(), -1) << "a step's condition never held";
}

// Alt+letter through the real keyboard hook; waits as ClickItem does, then
// until the window has seen Alt come up.
void AltKey(const MenuWindow& w, WORD letter, const MenuScript& script) {
    SyntheticInput::Key(VK_MENU, false);
    SyntheticInput::Key(letter, false);
    EXPECT_TRUE(WaitUntil([&] { return script.Over() && !w.bar().Tracking(); }));
    EXPECT_EQ(script.Missed(), -1) << "a step's condition never held";
    const size_t from = w.window.seen.size();
    SyntheticInput::Key(letter, true);
    SyntheticInput::Key(VK_MENU, true);
    EXPECT_TRUE(WaitUntil([&] {
        const auto& seen = w.window.seen;
        return std::any_of(seen.begin() + static_cast<std::ptrdiff_t>(from), seen.end(), [](const TestWindow::Seen& s) {
            return (s.message == WM_SYSKEYUP || s.message == WM_KEYUP) && s.wParam == VK_MENU;
        });
    }));
}

MenuScript::Step OpenOn(const MenuWindow& w, int k, std::function<void()> act) {
    return {[&w, k] { return PopupOpenOn(w.bar(), k); }, std::move(act)};
}

// The pixels of the popup on show, row by row, from its own window DC (the
// screen shows them only once the system has flushed them there).
std::vector<COLORREF> PopupPixels() {
    const HWND popup = VisiblePopup();
    RECT r{};
    GetWindowRect(popup, &r);
    return WindowPixels(popup, RECT{0, 0, r.right - r.left, r.bottom - r.top});
}

}  // namespace

TEST(MenuBarTracking, HotItemFollowsThePointerAndThePollStartsAndStops) {
    MenuWindow w(StandardMenu());
    cMenuBar& bar = w.bar();
    PointAt(w, 2);
    EXPECT_EQ(bar.PollInterval(), 50);
    PointAt(w, 3);

    // Into the client area: the move itself clears the item and stops the poll.
    MoveAndWait(w.window, w.Screen(250, 150));
    EXPECT_EQ(bar.HotItem(), 0);
    EXPECT_EQ(bar.PollInterval(), 0);

    // Onto the title, where the window gets no client mouse message: the poll clears it.
    PointAt(w, 1);
    SyntheticInput::Move(w.Screen(250, 10));
    EXPECT_TRUE(WaitUntil([&] { return bar.HotItem() == 0 && bar.PollInterval() == 0; }));
}

TEST(MenuBarTracking, PressOpensThePopupBelowTheItemAndMnemonicsExecute) {
    HMENU menu = StandardMenu();
    MenuWindow w(menu);
    cMenuBar& bar = w.bar();
    const cToolbarMenu& tracker = *bar.Tracker();
    RECT item{}, popup{};
    int down = -1;
    bool hooked = false;
    MenuScript script({OpenOn(w, 1,
                              [&] {
                                  bar.GetItemScreenRect(1, item);
                                  GetWindowRect(VisiblePopup(), &popup);
                                  down = bar.DownItem();
                                  hooked = mDeclares::MsgHook() != nullptr;
                                  TypeKey('X');  // "E&xit": found by its mnemonic and carried out
                              })});
    ClickItem(w, 1, script);
    EXPECT_EQ(popup.left, item.left);
    EXPECT_EQ(popup.top, item.bottom);
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
    EXPECT_EQ(bar.DownItem(), -1);
    EXPECT_EQ(mDeclares::MsgHook(), nullptr);
    EXPECT_EQ(bar.ItemRecordCount(), 0);
    EXPECT_EQ(ItemText(GetSubMenu(menu, 0), 3), "E&xit");

    // Once a popup has been used the poll keeps running off the bar...
    MoveAndWait(w.window, w.Screen(250, 150));
    EXPECT_EQ(bar.PollInterval(), 50);
    // ...until a press away from the bar.
    SyntheticInput::Button(true);
    ReleaseAndWait(w.window);
    EXPECT_EQ(bar.DownItem(), 0);
    MoveAndWait(w.window, w.Screen(260, 160));
    EXPECT_EQ(bar.PollInterval(), 0);
}

TEST(MenuBarTracking, LeftAndRightMoveBetweenBarItemsAndWrap) {
    MenuWindow w(StandardMenu());
    // Each step waits for the popup of the item the previous key led to.
    const int items[] = {1, 2, 3, 4, 1, 4, 3};
    const WORD keys[] = {VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_RIGHT, VK_LEFT, VK_LEFT, VK_ESCAPE};
    std::vector<MenuScript::Step> steps;
    for (size_t i = 0; i < std::size(items); ++i) steps.push_back(OpenOn(w, items[i], [vk = keys[i]] { TypeKey(vk); }));
    MenuScript script(std::move(steps));
    ClickItem(w, 1, script);
    EXPECT_TRUE(script.Finished());
}

TEST(MenuBarTracking, KeysInsideSubmenusAreLeftToThePopupLoop) {
    HMENU menu = StandardMenu();
    MenuWindow w(menu);
    const cToolbarMenu& tracker = *w.bar().Tracker();
    HMENU edit = GetSubMenu(menu, 1), options = GetSubMenu(edit, 3);
    bool rightMovesOverOptions = true, leftMovesInOptions = true, rightMovesOverUndo = false;
    int current[2] = {};
    int last = -1;
    // Down until "&Options" (a submenu item) is selected: each step waits for
    // the highlight to move.
    const MenuScript::Step downToOptions{[&] { return Highlighted(edit) != last || last == 3; },
                                         [&] {
                                             last = Highlighted(edit);
                                             if (last != 3) TypeKey(VK_DOWN);
                                         }};
    MenuScript script({OpenOn(w, 2, [] { TypeKey(VK_DOWN); }),
                       {[&] { return Highlighted(edit) == 0; },
                        [&] {
                            // A command's identifier is no position: 3 does not make it the submenu item.
                            rightMovesOverUndo = tracker.RightMoves();
                            last = 0;
                            TypeKey(VK_DOWN);
                        }},
                       downToOptions, downToOptions, downToOptions,
                       {[&] { return Highlighted(edit) == 3; },
                        [&] {
                            rightMovesOverOptions = tracker.RightMoves();
                            TypeKey(VK_RIGHT);  // opens the cascaded submenu
                        }},
                       {[&] { return Highlighted(options) == 0; },
                        [&] {
                            leftMovesInOptions = tracker.LeftMoves();
                            current[0] = tracker.Current();
                            TypeKey(VK_LEFT);  // closes it again
                        }},
                       // Closed again, and only the submenu: its own item is still selected.
                       {[&] { return Highlighted(options) == -1 && Highlighted(edit) == 3; },
                        [&] {
                            current[1] = tracker.Current();
                            TypeKey(VK_ESCAPE);
                        }}});
    ClickItem(w, 2, script);
    EXPECT_TRUE(rightMovesOverUndo);
    EXPECT_FALSE(rightMovesOverOptions);
    EXPECT_FALSE(leftMovesInOptions);
    EXPECT_EQ(current[0], 2);
    EXPECT_EQ(current[1], 2);
    const std::vector<HMENU> opened = w.PopupsOpened();
    EXPECT_NE(std::find(opened.begin(), opened.end(), options), opened.end());
}

TEST(MenuBarTracking, PointerSwitchesItemsAndAPressOnTheOpenItemIsSwallowed) {
    MenuWindow w(StandardMenu());
    // The press and release on the open item's own entry come before the
    // move to item 4: the switch to 4 shows that the popup loop had them and
    // that the popup stayed open.
    MenuScript script({OpenOn(w, 1, [&] { SyntheticInput::Move(w.ItemCenter(3)); }),
                       OpenOn(w, 3,
                              [&] {
                                  SyntheticInput::Button(true);
                                  SyntheticInput::Button(false);
                                  SyntheticInput::Move(w.ItemCenter(4));
                              }),
                       OpenOn(w, 4, [] { TypeKey(VK_ESCAPE); })});
    ClickItem(w, 1, script);
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(w.PopupsOpened().size(), 3u);  // 1, 3, 4: the press closed nothing
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
    MenuScript script({OpenOn(w, 1, [] { TypeKey(VK_ESCAPE); }), OpenOn(w, 3, [] { TypeKey(VK_ESCAPE); })});
    AltKey(w, 'F', script);
    EXPECT_EQ(w.PopupsOpened(), (std::vector<HMENU>{file.menu, format.menu}));

    // A top-level command's mnemonic opens nothing and is not used.
    EXPECT_FALSE(w.bar().AcceleratorKey('R'));
    EXPECT_EQ(w.PopupsOpened().size(), 2u);
}

TEST(MenuBarTracking, AltMnemonicPopupIsDrawnExactlyAsAClickedOne) {
    HMENU menu = StandardMenu();
    MenuWindow w(menu);
    w.window.swallowSysCommands = true;
    HMENU file = GetSubMenu(menu, 0);
    // "&New" highlighted and left again, "&Open..." highlighted.
    auto highlightSecond = [&](std::vector<COLORREF>& pixels) {
        return std::vector<MenuScript::Step>{{[&] { return Highlighted(file) == 0; }, [] { TypeKey(VK_DOWN); }},
                                             {[&] { return Highlighted(file) == 1; },
                                              [&] {
                                                  pixels = PopupPixels();
                                                  TypeKey(VK_ESCAPE);
                                              }}};
    };
    std::vector<COLORREF> clicked, typed;
    {
        std::vector<MenuScript::Step> steps{OpenOn(w, 1, [] { TypeKey(VK_DOWN); })};
        for (auto& step : highlightSecond(clicked)) steps.push_back(step);
        MenuScript script(std::move(steps));
        ClickItem(w, 1, script);
    }
    // The key that opened the popup reaches the hook again while it shows:
    // it is taken, and the items stay owner-drawn.
    LRESULT again = 0;
    int records = 0;
    {
        std::vector<MenuScript::Step> steps{OpenOn(w, 1, [&] {
            again = mDeclares::KeyboardProc(HC_ACTION, 'F', 1 | (1 << 29));
            records = w.bar().ItemRecordCount();
            TypeKey(VK_DOWN);
        })};
        for (auto& step : highlightSecond(typed)) steps.push_back(step);
        MenuScript script(std::move(steps));
        AltKey(w, 'F', script);
    }
    EXPECT_EQ(again, 1);
    EXPECT_EQ(records, GetMenuItemCount(file));
    ASSERT_FALSE(clicked.empty());
    EXPECT_TRUE(typed == clicked) << "the popup opened with Alt+F is drawn differently";
    EXPECT_EQ(w.PopupsOpened(), (std::vector<HMENU>{file, file}));
    EXPECT_EQ(w.bar().ItemRecordCount(), 0);
}
