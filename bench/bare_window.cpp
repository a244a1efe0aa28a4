// A bare Win32 window of the main window's size, style, place and back
// colour, with nothing else: startup_bench's yardstick for start-up time.
// It is DPI-aware and sized for the display's DPI, as the main window is, so
// that at 192 DPI both are drawn at the same scale.
#include <windows.h>

#include "caption/ShippedSkin.h"
#include "plumbing/Dpi.h"
#include "plumbing/WindowPlacement.h"

namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr int kClientWidth = 482;
constexpr int kClientHeight = 155;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    SetProcessDPIAware();  // no manifest: the call declares what the main window's manifest does
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    wc.hbrBackground = CreateSolidBrush(ShippedSkin::kMenuBackgroundColor);
    wc.lpszClassName = L"Torvane.BareWindow";
    RegisterClassExW(&wc);

    const int dpi = Dpi::OfWindow(nullptr);
    const RECT frame =
        WindowPlacement::CentredOnWorkArea(Dpi::Scale(kClientWidth, dpi), Dpi::Scale(kClientHeight, dpi), kStyle);
    const HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"Bare window", kStyle, frame.left, frame.top,
                                      frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance,
                                      nullptr);
    if (!hwnd) return 1;
    ShowWindow(hwnd, showCommand);
    UpdateWindow(hwnd);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
