// The Alt-key hook with real key input on real, active windows.
#include <windows.h>

#include <gtest/gtest.h>

#include "TestSkin.h"
#include "ncframe/cNCCalcSize.h"
#include "tests/support/TestWindow.h"
#include "ncframe/mDeclares.h"
#include "tests/support/SyntheticInput.h"
#include "tests/support/WaitFor.h"

namespace {

using SyntheticInput::Key;

// Holds the modifiers, presses and releases `vk`, lets go of the modifiers,
// and returns once `focused` has seen the last key go up: the hook has then
// seen every key before it.
void Chord(const TestWindow& focused, std::initializer_list<WORD> modifiers, WORD vk) {
    const WORD last = modifiers.size() ? *(modifiers.end() - 1) : vk;
    const auto ups = [&] {
        int n = 0;
        for (const auto& s : focused.seen) n += (s.message == WM_KEYUP || s.message == WM_SYSKEYUP) && s.wParam == last;
        return n;
    };
    const int before = ups();
    for (WORD m : modifiers) Key(m, false);
    if (vk) {
        Key(vk, false);
        SyntheticInput::SettleInput();  // the hook reads the modifiers' state as it is now
        Key(vk, true);
    }
    for (WORD m : modifiers) Key(m, true);
    EXPECT_TRUE(WaitUntil([&] { return ups() > before; })) << "no release of key " << last;
}

// Under Wine, the display reports a focus change with the keys it holds down
// (none), and the modifiers a chord holds are let go when that report is
// handled. A call that asks the display a question (the pointer's position)
// brings in every report sent before the answer; they are handled here.
void SettleDisplayFocus() {
    POINT pointer{};
    GetCursorPos(&pointer);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
    SyntheticInput::SettleInput();
}

struct Framed {
    Framed() : skin(std::make_shared<TestSkin>(window.hwnd())), controller(std::make_shared<cNCCalcSize>()) {
        controller->Attach(*skin);
        ShowWindow(window.hwnd(), SW_SHOW);
    }
    ~Framed() { controller->Detach(); }
    void Activate() {
        SetForegroundWindow(window.hwnd());
        EXPECT_TRUE(WaitUntil([this] { return controller->WindowActive() && GetFocus() == window.hwnd(); }));
        SettleDisplayFocus();
    }
    int SysKeyDowns(WORD vk) const {
        int n = 0;
        for (const auto& s : window.seen) n += s.message == WM_SYSKEYDOWN && s.wParam == vk;
        return n;
    }
    TestWindow window;
    std::shared_ptr<TestSkin> skin;
    std::shared_ptr<cNCCalcSize> controller;
};

}  // namespace

TEST(KeyboardHook, OffersAltKeyToTheActiveFrameOnly) {
    Framed a, b;
    b.Activate();
    ASSERT_TRUE(b.controller->WindowActive());
    ASSERT_FALSE(a.controller->WindowActive());
    Chord(b.window, {VK_MENU}, 'K');
    EXPECT_EQ(b.skin->offeredKeys, std::vector<int>{'K'});
    EXPECT_TRUE(a.skin->offeredKeys.empty());
    EXPECT_EQ(b.SysKeyDowns('K'), 1);  // answered 0: the key went on

    a.Activate();
    Chord(a.window, {VK_MENU}, 'J');
    EXPECT_EQ(a.skin->offeredKeys, std::vector<int>{'J'});
    EXPECT_EQ(b.skin->offeredKeys, std::vector<int>{'K'});
}

TEST(KeyboardHook, NeverOffersReservedKeysReleasesOrPlainKeys) {
    Framed f;
    f.Activate();
    Chord(f.window, {VK_MENU, VK_CONTROL}, 'K');
    for (WORD fn : {VK_F1, VK_F4, VK_F10, VK_F12}) Chord(f.window, {VK_MENU}, fn);
    Chord(f.window, {VK_MENU}, VK_ESCAPE);
    Chord(f.window, {VK_MENU}, VK_DELETE);
    Chord(f.window, {VK_MENU}, 0);  // Alt alone
    Chord(f.window, {}, 'K');       // no Alt
    Chord(f.window, {VK_SHIFT}, 'K');
    Chord(f.window, {VK_MENU}, VK_SHIFT);  // a modifier is part of a chord, not its key
    EXPECT_TRUE(f.skin->offeredKeys.empty());
    // Only the press is offered, never the release.
    Chord(f.window, {VK_MENU}, 'L');
    EXPECT_EQ(f.skin->offeredKeys, std::vector<int>{'L'});
}

TEST(KeyboardHook, NonZeroAnswerSwallowsTheKey) {
    Framed f;
    f.Activate();
    f.skin->altAnswer = 1;
    Chord(f.window, {VK_MENU}, 'M');
    EXPECT_EQ(f.skin->offeredKeys, std::vector<int>{'M'});
    EXPECT_EQ(f.SysKeyDowns('M'), 0);
    f.skin->altAnswer = 0;
    Chord(f.window, {VK_MENU}, 'M');
    EXPECT_EQ(f.SysKeyDowns('M'), 1);
}

TEST(KeyboardHook, NoActiveFrameLetsTheKeyThrough) {
    Framed f;
    TestWindow plain;  // not framed
    ShowWindow(plain.hwnd(), SW_SHOW);
    SetForegroundWindow(plain.hwnd());
    ASSERT_TRUE(WaitUntil([&] { return GetFocus() == plain.hwnd(); }));
    SettleDisplayFocus();
    ASSERT_FALSE(f.controller->WindowActive());
    Chord(plain, {VK_MENU}, 'K');
    EXPECT_TRUE(f.skin->offeredKeys.empty());
    int seen = 0;
    for (const auto& s : plain.seen) seen += s.message == WM_SYSKEYDOWN && s.wParam == 'K';
    EXPECT_EQ(seen, 1);
}
