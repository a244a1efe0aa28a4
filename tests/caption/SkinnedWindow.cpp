#include "SkinnedWindow.h"

#include "resources/resource.h"
#include "tests/support/SyntheticInput.h"

ShippedSkin::ShippedSkin()
    : caption(StdPicture::FromResource(GetModuleHandleW(nullptr), IDB_CAPTION)),
      border(StdPicture::FromResource(GetModuleHandleW(nullptr), IDB_BORDER)) {
    captionDC.CreateFromPicture(*caption);
    borderDC.CreateFromPicture(*border);
}

SkinnedWindow::SkinnedWindow(int width, int height, DWORD style, const wchar_t* title)
    : window(style, 100, 100, width, height), caption(std::make_shared<cOrvelCaption>()) {
    window.swallowSysCommands = false;
    window.unboundedSize = true;
    SetWindowTextW(window.hwnd(), title);
    caption->ActiveCaptionColor(0xFFFFFF);
    caption->InActiveCaptionColor(0xC0C0C0);
    caption->CaptionFont()->Name(L"宋体");
    caption->CaptionFont()->Size(9);
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
    caption->Attach(window, *skin.caption, *skin.border, 19, 20, 90, 140, 240, 400);
}

void SkinnedWindow::Activate() {
    SetForegroundWindow(window.hwnd());
    SendMessageW(window.hwnd(), WM_NCACTIVATE, TRUE, 0);
    SyntheticInput::Pump(30);
}

void SkinnedWindow::Deactivate() {
    SendMessageW(window.hwnd(), WM_NCACTIVATE, FALSE, 0);
    SyntheticInput::Pump(30);
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
