#include "TestWindow.h"

#include <algorithm>

namespace {

constexpr const wchar_t* kClass = L"Torvane.FrameTestWindow";

}  // namespace

TestWindow::TestWindow(DWORD style, int x, int y, int width, int height, HMENU menu) {
    static const ATOM registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
        wc.lpszClassName = kClass;
        return RegisterClassExW(&wc);
    }();
    (void)registered;
    m_hwnd = CreateWindowExW(0, kClass, L"Frame test", style, x, y, width, height, nullptr, menu,
                             GetModuleHandleW(nullptr), this);
}

TestWindow::~TestWindow() {
    if (IsWindow(m_hwnd)) DestroyWindow(m_hwnd);
}

int TestWindow::CountSeen(UINT message) const {
    return static_cast<int>(std::count_if(seen.begin(), seen.end(), [&](const Seen& s) { return s.message == message; }));
}

LRESULT CALLBACK TestWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    if (auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))) {
        self->seen.push_back({message, wParam, lParam});
        if (self->onMessage) self->onMessage(message);
        if (message == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        if (message == WM_GETMINMAXINFO && self->unboundedSize) {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMaxTrackSize = {32000, 32000};
            return 0;
        }
        // Keyboard tests press Alt+letters and Alt+F4: no menu mode, no closing.
        if (message == WM_SYSCOMMAND && self->swallowSysCommands) return 0;
        // Wine keeps the physical right button's messages when the buttons
        // are swapped: its release would open the system menu.
        if (message == WM_CONTEXTMENU && self->swallowSysCommands) return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

COLORREF WindowPixel(HWND hwnd, int x, int y) {
    HDC dc = GetWindowDC(hwnd);
    const COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return color;
}

std::vector<COLORREF> WindowPixels(HWND hwnd, const RECT& r) {
    std::vector<COLORREF> pixels;
    HDC dc = GetWindowDC(hwnd);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) pixels.push_back(GetPixel(dc, x, y));
    ReleaseDC(hwnd, dc);
    return pixels;
}
