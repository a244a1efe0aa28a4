#pragma once

#include <windows.h>

#include <memory>

#include "caption/cOrvelCaption.h"
#include "plumbing/StdPicture.h"
#include "plumbing/cMemDC.h"
#include "tests/support/TestWindow.h"

// The shipped skin bitmaps, from this test program's own resources.
struct ShippedSkin {
    ShippedSkin();
    COLORREF Caption(int x, int y) const { return GetPixel(captionDC.hdc(), x, y); }
    COLORREF Border(int x, int y) const { return GetPixel(borderDC.hdc(), x, y); }

    std::shared_ptr<StdPicture> caption, border;
    cMemDC captionDC, borderDC;
};

// A test window skinned as the main window is, shown and active.
struct SkinnedWindow {
    explicit SkinnedWindow(int width = 500, int height = 200, DWORD style = WS_OVERLAPPEDWINDOW,
                           const wchar_t* title = L"Skinned window");
    ~SkinnedWindow();

    void Attach();
    void Activate();
    void Deactivate();
    int Width() const;
    int Height() const;
    COLORREF Pixel(int x, int y) const { return WindowPixel(window.hwnd(), x, y); }
    // Screen point of a window coordinate.
    POINT Screen(int x, int y) const;

    TestWindow window;
    ShippedSkin skin;
    std::shared_ptr<cOrvelCaption> caption;
};
