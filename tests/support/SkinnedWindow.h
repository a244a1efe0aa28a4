#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>

#include "caption/ShippedSkin.h"
#include "caption/cOrvelCaption.h"
#include "plumbing/Dpi.h"
#include "plumbing/IForm.h"
#include "plumbing/StdPicture.h"
#include "plumbing/cMemDC.h"
#include "tests/support/TestWindow.h"

// The shipped skin's bitmaps at 96 dpi, from this test program's own
// resources, and how they are cut.
struct SkinBitmaps {
    SkinBitmaps();
    // Attaches `caption` to f's window with these bitmaps.
    void Attach(cOrvelCaption& caption, IForm& f) const;
    COLORREF Caption(int x, int y) const { return GetPixel(captionDC.hdc(), x, y); }
    COLORREF Border(int x, int y) const { return GetPixel(borderDC.hdc(), x, y); }

    const ShippedSkin::Art& art = ShippedSkin::ArtFor(Dpi::kBase);
    std::shared_ptr<StdPicture> caption, border;
    cMemDC captionDC, borderDC;
};

// The shipped skin as drawn for a DPI, from this program's resources: the
// drawing and its caption and hover bitmaps in memory DCs.
struct DrawnSkin {
    explicit DrawnSkin(int dpi);
    int S(int px96) const { return Dpi::Scale(px96, art.dpi); }
    COLORREF Caption(int x, int y) const { return GetPixel(captionDC.hdc(), x, y); }
    COLORREF Hover(int x, int y) const { return GetPixel(hoverDC.hdc(), x, y); }

    cOrvelCaption::Drawing art;
    cMemDC captionDC, hoverDC;
};

// A test window skinned as the main window is, shown and active.
struct SkinnedWindow {
    explicit SkinnedWindow(int width = 500, int height = 200, DWORD style = WS_OVERLAPPEDWINDOW,
                           const wchar_t* title = L"Skinned window");
    ~SkinnedWindow();

    void Attach();
    // Attaches the skin as drawn for the window's DPI, and for each new DPI.
    void AttachForDpi();
    // Puts the window at `dpi` as its owner would on WM_DPICHANGED (which Wine
    // never sends), keeping its place and size.
    void ChangeDpi(int dpi);
    void Activate();
    void Deactivate();
    int Width() const;
    int Height() const;
    COLORREF Pixel(int x, int y) const { return WindowPixel(window.hwnd(), x, y); }
    // Screen point of a window coordinate.
    POINT Screen(int x, int y) const;

    TestWindow window;
    SkinBitmaps skin;
    std::shared_ptr<cOrvelCaption> caption;
};

// Pointer input that waits for the window to see it, not for a fixed time.
//
// True once the window's own procedure has seen `message` since entry `from`
// of its record, at the screen point `*at` when one is given.
bool Saw(const TestWindow& window, size_t from, UINT message, const POINT* at = nullptr);
// Moves the pointer to `screen`, first a pixel aside when it is there
// already (the system reports no move that goes nowhere).
void MoveAnew(POINT screen);
// Moves the pointer anew and waits until the window has seen it arrive there (a
// point off the window: until the system has the pointer there).
void MoveAndWait(const TestWindow& window, POINT screen);
// Releases the left button and waits until the window has seen it (off the
// window: until the system has), then until what the release posted has
// been handled.
void ReleaseAndWait(const TestWindow& window, bool onTheWindow = true);
// Dispatches what is pending now, without waiting for anything more.
void DispatchPending();
