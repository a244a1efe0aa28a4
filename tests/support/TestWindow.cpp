#include "TestWindow.h"

#include <algorithm>

#include "plumbing/UniqueHandle.h"

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
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return {};
    // One copy of the rectangle into a top-down 32-bit DIB, whose pixels are
    // 0x00RRGGBB: faster than a GetPixel per pixel, and all from one moment.
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const UniqueBitmap dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const UniqueDC memory(CreateCompatibleDC(nullptr));
    const WindowDC window = WindowDC::Whole(hwnd);
    if (!dib || !bits || !memory || !window) return {};
    {
        const SelectGuard selected(memory.get(), dib.get());
        BitBlt(memory.get(), 0, 0, width, height, window.get(), r.left, r.top, SRCCOPY);
    }
    const auto* p = static_cast<const DWORD*>(bits);
    std::vector<COLORREF> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    std::transform(p, p + pixels.size(), pixels.begin(),
                   [](DWORD c) { return RGB(GetBValue(c), GetGValue(c), GetRValue(c)); });
    return pixels;
}
