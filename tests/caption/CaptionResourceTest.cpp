// Painting, resizing and re-attaching many times leaves nothing behind.
#include <windows.h>

#include <gtest/gtest.h>

#include "ncframe/mDeclares.h"
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
