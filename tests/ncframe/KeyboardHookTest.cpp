// The Alt-key hook with real key input on real, active windows.
#include <windows.h>

#include <gtest/gtest.h>

#include "TestSkin.h"
#include "ncframe/cNCCalcSize.h"
#include "tests/support/TestWindow.h"
#include "ncframe/mDeclares.h"
#include "tests/support/SyntheticInput.h"

namespace {

using SyntheticInput::Key;

// Holds the modifiers, presses and releases `vk`, lets go of the modifiers.
void Chord(std::initializer_list<WORD> modifiers, WORD vk) {
    for (WORD m : modifiers) Key(m, false);
    if (vk) {
        Key(vk, false);
        SyntheticInput::Pump(20);
        Key(vk, true);
    }
    SyntheticInput::Pump(20);
    for (WORD m : modifiers) Key(m, true);
    SyntheticInput::Pump(30);
}

struct Framed {
    Framed() : skin(std::make_shared<TestSkin>(window.hwnd())), controller(std::make_shared<cNCCalcSize>()) {
        controller->Attach(*skin);
        ShowWindow(window.hwnd(), SW_SHOW);
    }
    ~Framed() { controller->Detach(); }
    void Activate() {
        SetForegroundWindow(window.hwnd());
        SyntheticInput::Pump(50);
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
    Chord({VK_MENU}, 'K');
    EXPECT_EQ(b.skin->offeredKeys, std::vector<int>{'K'});
    EXPECT_TRUE(a.skin->offeredKeys.empty());
    EXPECT_EQ(b.SysKeyDowns('K'), 1);  // answered 0: the key went on

    a.Activate();
    Chord({VK_MENU}, 'J');
    EXPECT_EQ(a.skin->offeredKeys, std::vector<int>{'J'});
    EXPECT_EQ(b.skin->offeredKeys, std::vector<int>{'K'});
}

TEST(KeyboardHook, NeverOffersReservedKeysReleasesOrPlainKeys) {
    Framed f;
    f.Activate();
    Chord({VK_MENU, VK_CONTROL}, 'K');
    for (WORD fn : {VK_F1, VK_F4, VK_F10, VK_F12}) Chord({VK_MENU}, fn);
    Chord({VK_MENU}, VK_ESCAPE);
    Chord({VK_MENU}, VK_DELETE);
    Chord({VK_MENU}, 0);  // Alt alone
    Chord({}, 'K');       // no Alt
    Chord({VK_SHIFT}, 'K');
    EXPECT_TRUE(f.skin->offeredKeys.empty());
    // Only the press is offered, never the release.
    Chord({VK_MENU}, 'L');
    EXPECT_EQ(f.skin->offeredKeys, std::vector<int>{'L'});
}

TEST(KeyboardHook, NonZeroAnswerSwallowsTheKey) {
    Framed f;
    f.Activate();
    f.skin->altAnswer = 1;
    Chord({VK_MENU}, 'M');
    EXPECT_EQ(f.skin->offeredKeys, std::vector<int>{'M'});
    EXPECT_EQ(f.SysKeyDowns('M'), 0);
    f.skin->altAnswer = 0;
    Chord({VK_MENU}, 'M');
    EXPECT_EQ(f.SysKeyDowns('M'), 1);
}

TEST(KeyboardHook, NoActiveFrameLetsTheKeyThrough) {
    Framed f;
    TestWindow plain;  // not framed
    ShowWindow(plain.hwnd(), SW_SHOW);
    SetForegroundWindow(plain.hwnd());
    SyntheticInput::Pump(50);
    ASSERT_FALSE(f.controller->WindowActive());
    Chord({VK_MENU}, 'K');
    EXPECT_TRUE(f.skin->offeredKeys.empty());
    int seen = 0;
    for (const auto& s : plain.seen) seen += s.message == WM_SYSKEYDOWN && s.wParam == 'K';
    EXPECT_EQ(seen, 1);
}
