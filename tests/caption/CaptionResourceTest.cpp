// Painting, resizing and re-attaching many times leaves nothing behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ncframe/mDeclares.h"
#include "plumbing/Dpi.h"
#include "tests/support/GdiObjectCount.h"
#include "tests/support/SkinnedWindow.h"

TEST(CaptionResources, PaintsResizesAndAttachesLeakNothing) {
    SkinnedWindow w(600, 400);
    // The buffers grow to the largest size first; after that nothing is allocated.
    SetWindowPos(w.window.hwnd(), nullptr, 0, 0, 900, 700, SWP_NOMOVE | SWP_NOZORDER);
    w.Deactivate();
    w.Activate();
    const unsigned long before = GdiObjectCount();

    for (int i = 0; i < 10000; ++i) {
        if (i % 100 == 0) SendMessageW(w.window.hwnd(), WM_NCACTIVATE, (i / 100) % 2, 0);
        SendMessageW(w.window.hwnd(), WM_NCPAINT, 1, 0);
    }
    for (int i = 0; i < 1000; ++i) {
        const int size = i % 2 ? 300 + i % 400 : 880 - i % 300;
        SetWindowPos(w.window.hwnd(), nullptr, 0, 0, size, size * 3 / 4, SWP_NOMOVE | SWP_NOZORDER);
    }
    EXPECT_EQ(GdiObjectCount(), before);

    // Each Attach makes new memory DCs and a new controller; the old ones go.
    for (int i = 0; i < 100; ++i) w.Attach();
    SendMessageW(w.window.hwnd(), WM_NCPAINT, 1, 0);
    SetWindowPos(w.window.hwnd(), nullptr, 0, 0, 900, 700, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(GdiObjectCount(), before);

    w.caption->Detach();
    EXPECT_EQ(mDeclares::KeyboardHook(), nullptr);
    EXPECT_EQ(GetPropA(w.window.hwnd(), "tarqCNCImplementation"), nullptr);
}

TEST(CaptionResources, DpiChangesReskinTheFrameAndLeakNothing) {
    SkinnedWindow w(600, 300);
    w.AttachForDpi();
    const HWND hwnd = w.window.hwnd();
    const int start = w.caption->Dpi();
    // The frame at a DPI: margins and the caption's left end as drawn for it.
    auto framedAt = [&](int dpi) {
        const DrawnSkin drawn(dpi);
        int top = 0, left = 0;
        w.caption->GetTopMarginHeight(top);
        w.caption->GetLeftMarginWidth(left);
        RECT window{}, client{};
        GetWindowRect(hwnd, &window);
        GetClientRect(hwnd, &client);
        EXPECT_EQ(top, drawn.S(48)) << dpi;
        EXPECT_EQ(left, drawn.S(10)) << dpi;
        EXPECT_EQ(client.bottom, window.bottom - window.top - top - left) << dpi;  // the bottom margin is the side's
        int wrong = 0;
        for (int y : {0, drawn.S(2), drawn.S(40)})
            for (int x = 0; x < drawn.S(90); ++x) wrong += w.Pixel(x, y) != drawn.Caption(x, y);
        EXPECT_EQ(wrong, 0) << dpi;
    };
    w.ChangeDpi(144);
    EXPECT_EQ(w.caption->Dpi(), 144);
    framedAt(144);
    w.ChangeDpi(288);  // above the largest drawing: that one, enlarged
    framedAt(288);
    w.ChangeDpi(start);
    framedAt(start);

    const unsigned long before = GdiObjectCount();
    for (int i = 0; i < 100; ++i) w.ChangeDpi(i % 2 ? start : 192);
    EXPECT_EQ(GdiObjectCount(), before);
}

TEST(CaptionResources, NothingRegisteredOutlivesTheWindowAndAnotherLockSurvivesAttach) {
    // The system allows one locked window at a time: a lock held elsewhere
    // is still held after the skin is put on (another Attach cannot lock).
    TestWindow other;
    ASSERT_TRUE(LockWindowUpdate(other.hwnd()));
    SkinnedWindow w;
    w.Attach();
    EXPECT_FALSE(LockWindowUpdate(w.window.hwnd()));
    LockWindowUpdate(nullptr);

    // Every property set on the window is removed before its last message
    // returns: a string property left behind keeps its atom in the session.
    std::vector<std::string> left;
    w.window.onMessage = [&](UINT message) {
        if (message != WM_NCDESTROY) return;
        EnumPropsExA(
            w.window.hwnd(),
            [](HWND, LPSTR name, HANDLE, ULONG_PTR names) -> BOOL {
                auto& list = *reinterpret_cast<std::vector<std::string>*>(names);
                const std::string text = IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name)) : name;
                if (text.rfind("__wine", 0) != 0) list.push_back(text);  // not Wine's own
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&left));
    };
    DestroyWindow(w.window.hwnd());
    EXPECT_EQ(left, std::vector<std::string>{});
}
