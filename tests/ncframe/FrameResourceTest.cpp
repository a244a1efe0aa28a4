// Painting, attaching and resizing many times leaves nothing behind.
#include <windows.h>

#include <gtest/gtest.h>

#include "TestSkin.h"
#include "ncframe/cNCCalcSize.h"
#include "tests/support/TestWindow.h"
#include "ncframe/mDeclares.h"
#include "tests/support/GdiObjectCount.h"
#include "tests/support/SyntheticInput.h"

namespace {

int PropertyCount(HWND hwnd) {
    int count = 0;
    EnumPropsExA(
        hwnd, [](HWND, LPSTR, HANDLE, ULONG_PTR counter) -> BOOL { return ++*reinterpret_cast<int*>(counter), TRUE; },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

}  // namespace

TEST(FrameResources, PaintsAttachesAndResizesLeakNothing) {
    TestWindow window;
    ShowWindow(window.hwnd(), SW_SHOW);
    const int propertiesBefore = PropertyCount(window.hwnd());
    auto skin = std::make_shared<TestSkin>(window.hwnd());
    auto controller = std::make_shared<cNCCalcSize>();

    // One full round first, so the system's own caches (fonts, brushes) exist.
    controller->Attach(*skin);
    RemovePropA(window.hwnd(), cNCCalcSize::kImplementationProperty);
    for (BOOL active : {TRUE, FALSE}) {
        SendMessageW(window.hwnd(), WM_NCACTIVATE, active, 0);
        SendMessageW(window.hwnd(), WM_NCPAINT, 1, 0);
    }
    SetWindowPos(window.hwnd(), nullptr, 0, 0, 250, 180, SWP_NOMOVE | SWP_NOZORDER);
    controller->Detach();
    const unsigned long before = GdiObjectCount();

    for (int i = 0; i < 1000; ++i) {
        controller->Attach(*skin);
        controller->Detach();
    }
    EXPECT_EQ(GdiObjectCount(), before);

    controller->Attach(*skin);
    RemovePropA(window.hwnd(), cNCCalcSize::kImplementationProperty);  // default painting
    for (int i = 0; i < 10000; ++i) {
        if (i % 2 == 0) SendMessageW(window.hwnd(), WM_NCACTIVATE, i % 4 == 0, 0);
        SendMessageW(window.hwnd(), WM_NCPAINT, 1, 0);
    }
    for (int i = 0; i < 1000; ++i)
        SetWindowPos(window.hwnd(), nullptr, 0, 0, 200 + i % 300, 150 + i % 200, SWP_NOMOVE | SWP_NOZORDER);
    controller->Detach();

    EXPECT_EQ(GdiObjectCount(), before);
    EXPECT_EQ(PropertyCount(window.hwnd()), propertiesBefore);
    EXPECT_EQ(mDeclares::KeyboardHook(), nullptr);
}
