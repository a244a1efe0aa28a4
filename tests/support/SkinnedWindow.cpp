#include "SkinnedWindow.h"

#include <windowsx.h>

#include <gtest/gtest.h>

#include "tests/support/SyntheticInput.h"
#include "tests/support/WaitFor.h"

SkinBitmaps::SkinBitmaps()
    : caption(StdPicture::FromResource(GetModuleHandleW(nullptr), art.captionBitmap)),
      border(StdPicture::FromResource(GetModuleHandleW(nullptr), art.borderBitmap)) {
    captionDC.CreateFromPicture(*caption);
    borderDC.CreateFromPicture(*border);
}

void SkinBitmaps::Attach(cOrvelCaption& c, IForm& f) const {
    ShippedSkin::Attach(c, f, *caption, *border, art.measures);
}

DrawnSkin::DrawnSkin(int dpi) : art(ShippedSkin::DrawingFor(GetModuleHandleW(nullptr), dpi)) {
    captionDC.CreateFromPicture(*art.caption);
    hoverDC.CreateFromPicture(*art.hover());
}

SkinnedWindow::SkinnedWindow(int width, int height, DWORD style, const wchar_t* title)
    : window(style, 100, 100, width, height), caption(std::make_shared<cOrvelCaption>()) {
    window.swallowSysCommands = false;
    window.unboundedSize = true;
    SetWindowTextW(window.hwnd(), title);
    ShippedSkin::Style(*caption);
    ShowWindow(window.hwnd(), SW_SHOW);
    Attach();
    // Attaching keeps the window's outer size; put back the size asked for.
    SetWindowPos(window.hwnd(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    Activate();
}

SkinnedWindow::~SkinnedWindow() {
    if (IsWindow(window.hwnd())) caption->Detach();
}

void SkinnedWindow::Attach() {
    skin.Attach(*caption, window);
}

void SkinnedWindow::AttachForDpi() {
    ShippedSkin::Attach(*caption, window, GetModuleHandleW(nullptr));
    Activate();
}

void SkinnedWindow::ChangeDpi(int dpi) {
    // What the window that owns the skin does with WM_DPICHANGED: hands the
    // scale down, has the frame measured again and repaints it.
    caption->OnDpiChanged(dpi);
    SetWindowPos(window.hwnd(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RedrawWindow(window.hwnd(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
}

void SkinnedWindow::Activate() {
    SetForegroundWindow(window.hwnd());
    SendMessageW(window.hwnd(), WM_NCACTIVATE, TRUE, 0);
    DispatchPending();
}

void SkinnedWindow::Deactivate() {
    SendMessageW(window.hwnd(), WM_NCACTIVATE, FALSE, 0);
    DispatchPending();
}

int SkinnedWindow::Width() const {
    RECT r{};
    GetWindowRect(window.hwnd(), &r);
    return r.right - r.left;
}

int SkinnedWindow::Height() const {
    RECT r{};
    GetWindowRect(window.hwnd(), &r);
    return r.bottom - r.top;
}

POINT SkinnedWindow::Screen(int x, int y) const {
    RECT r{};
    GetWindowRect(window.hwnd(), &r);
    return {r.left + x, r.top + y};
}

bool Saw(const TestWindow& window, size_t from, UINT message, const POINT* at) {
    for (size_t i = from; i < window.seen.size(); ++i) {
        const TestWindow::Seen& s = window.seen[i];
        if (s.message != message) continue;
        if (!at) return true;
        POINT p{GET_X_LPARAM(s.lParam), GET_Y_LPARAM(s.lParam)};
        const bool nonClient = message >= WM_NCMOUSEMOVE && message <= WM_NCMBUTTONDBLCLK;
        if (!nonClient) ClientToScreen(window.hwnd(), &p);
        if (p.x == at->x && p.y == at->y) return true;
    }
    return false;
}

void MoveAnew(POINT screen) {
    POINT now{};
    GetCursorPos(&now);
    if (now.x == screen.x && now.y == screen.y) SyntheticInput::Move({screen.x + 1, screen.y});
    SyntheticInput::Move(screen);
}

void MoveAndWait(const TestWindow& window, POINT screen) {
    const size_t from = window.seen.size();
    MoveAnew(screen);
    RECT r{};
    GetWindowRect(window.hwnd(), &r);
    bool arrived = false;
    if (PtInRect(&r, screen)) {
        arrived = WaitUntil([&] { return Saw(window, from, WM_NCMOUSEMOVE, &screen) || Saw(window, from, WM_MOUSEMOVE, &screen); });
    } else {
        arrived = WaitUntil([&] {
            POINT p{};
            GetCursorPos(&p);
            return p.x == screen.x && p.y == screen.y;
        });
    }
    EXPECT_TRUE(arrived) << "the pointer never reached " << screen.x << "," << screen.y;
}

void ReleaseAndWait(const TestWindow& window, bool onTheWindow) {
    const size_t from = window.seen.size();
    SyntheticInput::Button(false);
    if (onTheWindow)
        EXPECT_TRUE(WaitUntil([&] { return Saw(window, from, WM_NCLBUTTONUP) || Saw(window, from, WM_LBUTTONUP); }));
    else
        EXPECT_TRUE(WaitUntil([] { return (GetAsyncKeyState(VK_LBUTTON) & 0x8000) == 0; }));
    // Posted behind anything the release posted (a window command).
    PostMessageW(window.hwnd(), WM_APP, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(window.hwnd()) || Saw(window, from, WM_APP); }));
}

void DispatchPending() {
    WaitUntil([] { return true; });
}
